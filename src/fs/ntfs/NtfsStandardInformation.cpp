#include "fs/ntfs/NtfsStandardInformation.h"

namespace vantrel {

bool ParseStandardInformation(Bytes value, StandardInformationValue* out) {
    const ByteReader r(value);
    if (!r.Has(0, kStandardInformationSize))
        return false;
    StandardInformationValue s;
    s.creationTime = r.U64(0);
    s.modificationTime = r.U64(8);
    s.mftChangeTime = r.U64(16);
    s.accessTime = r.U64(24);
    s.fileAttributes = r.U32(32);
    s.maxVersions = r.U32(36);
    s.version = r.U32(40);
    s.classId = r.U32(44);
    *out = s;
    return true;
}

} // namespace vantrel
