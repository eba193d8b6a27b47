#include "fs/ntfs/NtfsFileName.h"

namespace vantrel {

bool IsValidFileName(Bytes value) {
    const ByteReader r(value);
    if (!r.Has(0, kFileNameHeaderSize))
        return false;
    const std::uint8_t nameLength = r.U8(64);
    return nameLength != 0 && r.Has(kFileNameHeaderSize, 2u * nameLength);
}

bool ParseFileNameValue(Bytes value, FileNameValue* out) {
    if (!IsValidFileName(value))
        return false;
    const ByteReader r(value);
    FileNameValue f;
    f.parentReference = r.U64(0);
    f.creationTime = r.U64(8);
    f.modificationTime = r.U64(16);
    f.mftChangeTime = r.U64(24);
    f.accessTime = r.U64(32);
    f.allocatedSize = r.U64(40);
    f.realSize = r.U64(48);
    f.fileAttributes = r.U32(56);
    f.reparseValue = r.U32(60);
    f.nameLength = r.U8(64);
    f.nameSpace = r.U8(65);
    f.name.resize(f.nameLength);
    for (std::size_t i = 0; i < f.nameLength; ++i)
        f.name[i] = static_cast<char16_t>(r.U16(kFileNameHeaderSize + 2 * i));
    *out = std::move(f);
    return true;
}

} // namespace vantrel
