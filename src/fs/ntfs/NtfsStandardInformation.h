#pragma once

// The $STANDARD_INFORMATION attribute value: the times a file shows and its DOS-style
// attributes.

#include "platform/ByteReader.h"

#include <cstdint>

namespace vantrel {

inline constexpr std::size_t kStandardInformationSize = 48;

struct StandardInformationValue {
    std::uint64_t creationTime = 0;
    std::uint64_t modificationTime = 0;
    std::uint64_t mftChangeTime = 0;
    std::uint64_t accessTime = 0;
    std::uint32_t fileAttributes = 0;
    std::uint32_t maxVersions = 0;
    std::uint32_t version = 0;
    std::uint32_t classId = 0;
};

// False when the value is shorter than 48 bytes.
[[nodiscard]] bool ParseStandardInformation(Bytes value, StandardInformationValue* out);

} // namespace vantrel
