#pragma once

// The $FILE_NAME attribute value (also the key of directory index entries): the parent
// folder, four times, sizes and the name in one of four namespaces.

#include "platform/ByteReader.h"

#include <cstdint>
#include <string>

namespace vantrel {

inline constexpr std::size_t kFileNameHeaderSize = 66;

enum FileNameNamespace : std::uint8_t {
    kNamespacePosix = 0,
    kNamespaceWin32 = 1,
    kNamespaceDos = 2,
    kNamespaceWin32AndDos = 3,
};

inline constexpr std::uint32_t kFileAttributeDirectory = 0x10000000; // in $FILE_NAME

struct FileNameValue {
    std::uint64_t parentReference = 0; // record in bits 0-47, sequence in 48-63
    std::uint64_t creationTime = 0;
    std::uint64_t modificationTime = 0;
    std::uint64_t mftChangeTime = 0;
    std::uint64_t accessTime = 0;
    std::uint64_t allocatedSize = 0;
    std::uint64_t realSize = 0;
    std::uint32_t fileAttributes = 0;
    std::uint32_t reparseValue = 0;
    std::uint8_t nameLength = 0; // UTF-16 units
    std::uint8_t nameSpace = 0;
    std::u16string name;
};

// nameLength != 0 and the value holds 66 + 2 * nameLength bytes.
bool IsValidFileName(Bytes value);
// False unless IsValidFileName.
[[nodiscard]] bool ParseFileNameValue(Bytes value, FileNameValue* out);

} // namespace vantrel
