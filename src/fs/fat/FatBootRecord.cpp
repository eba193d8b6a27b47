#include "fs/fat/FatBootRecord.h"

#include "fs/fat/FatGeometry.h"

#include <algorithm>

namespace vantrel {

namespace {

template <std::size_t N>
void CopyBytes(const ByteReader& in, std::size_t offset, std::array<std::uint8_t, N>& out) {
    const Bytes field = in.Slice(offset, N);
    std::copy(field.begin(), field.end(), out.begin());
}

// The extended fields shared by both forms, at base 36 (FAT12/16) or 64 (FAT32).
void ParseExtendedFields(const ByteReader& in, std::size_t base, FatBootRecord& record) {
    record.driveNumber = in.U8(base);                // 36 / 64
    record.reserved1 = in.U8(base + 1);              // 37 / 65
    record.bootSignature = in.U8(base + 2);          // 38 / 66
    record.volumeId = in.U32(base + 3);              // 39 / 67
    CopyBytes(in, base + 7, record.volumeLabel);     // 43 / 71
    CopyBytes(in, base + 18, record.fileSystemType); // 54 / 82
}

void ParseBootCode(const ByteReader& in, std::size_t from, FatBootRecord& record) {
    const Bytes code = in.Slice(from, 510 - from);
    std::copy(code.begin(), code.end(), record.bootCode.begin());
}

} // namespace

bool ParseFatBootRecord(FatBootRecord& record, Bytes sector) {
    record = FatBootRecord{};
    if (sector.size() < kFatBootSectorBytes)
        return false;
    const ByteReader in(sector.first(kFatBootSectorBytes));
    CopyBytes(in, 0, record.jumpBoot);
    CopyBytes(in, 3, record.oemName);
    record.bytesPerSector = in.U16(11);
    record.sectorsPerCluster = in.U8(13);
    record.reservedSectors = in.U16(14);
    record.numFats = in.U8(16);
    record.rootEntryCount = in.U16(17);
    record.totalSectors16 = in.U16(19);
    record.media = in.U8(21);
    record.fatSize16 = in.U16(22);
    record.sectorsPerTrack = in.U16(24);
    record.numHeads = in.U16(26);
    if (record.fatSize16 == 0)
        record.fatSize32 = in.U32(36);
    if (record.totalSectors16 == 0)
        record.totalSectors32 = in.U32(32);
    // The type decides which of the three layouts the rest of the sector has; the cluster
    // count needs only the fields read so far (hiddenSectors is still 0 and cancels out).
    record.fatType = FatTypeOf(ClusterLimit(record));

    if (record.fatType == kFat32) {
        record.hiddenSectors = in.U32(28);
        record.totalSectors32 = in.U32(32);
        record.fatSize32 = in.U32(36);
        record.extFlags = in.U16(40);
        CopyBytes(in, 42, record.fsVersion);
        record.rootCluster = in.U32(44);
        record.fsInfoSector = in.U16(48);
        record.backupBootSector = in.U16(50);
        CopyBytes(in, 52, record.reserved);
        ParseExtendedFields(in, 64, record);
        ParseBootCode(in, 90, record);
    } else if (in.U8(38) == 0x29) {
        record.hiddenSectors = in.U32(28);
        record.totalSectors32 = in.U32(32);
        ParseExtendedFields(in, 36, record);
        ParseBootCode(in, 62, record);
    } else {
        // Short (DOS 3.x) form: a 16-bit hidden-sector count and no extended fields.
        record.hiddenSectors = in.U16(28);
        record.totalSectors32 = 0;
        ParseBootCode(in, 30, record);
    }
    record.signature = in.U16(510);
    return true;
}

bool IsFatBootSector(Bytes sector, std::uint32_t sectorSize) {
    if (sectorSize < kFatBootSectorBytes || sector.size() < kFatBootSectorBytes)
        return false;
    const bool jump = sector[0] == 0xE9 || (sector[0] == 0xEB && sector[2] == 0x90);
    if (!jump || sector[510] != 0x55 || sector[511] != 0xAA)
        return false;
    FatBootRecord record;
    if (!ParseFatBootRecord(record, sector))
        return false;
    if (record.bytesPerSector == 0 || record.sectorsPerCluster == 0 || record.fatType == kFatNone)
        return false;
    return record.fileSystemType[0] == 'F' && record.fileSystemType[1] == 'A' &&
           record.fileSystemType[2] == 'T';
}

} // namespace vantrel
