#include "fs/ntfs/NtfsBootSector.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

namespace {
constexpr char kOemName[] = "NTFS    ";
}

bool IsNtfsBootSector(Bytes sector, std::uint32_t sectorSize) {
    const Bytes data = sector.first(std::min<std::size_t>(sector.size(), sectorSize));
    if (data.size() < kNtfsBootSectorSize)
        return false;
    const ByteReader r(data);
    if (std::memcmp(data.data() + 3, kOemName, 8) != 0)
        return false;
    return r.U16(11) != 0   // bytesPerSector
           && r.U8(13) != 0 // sectorsPerCluster
           && r.U16(510) == 0xAA55;
}

bool ParseNtfsBootRecord(Bytes sector, NtfsBootRecord* out) {
    if (sector.size() < kNtfsBootSectorSize || out == nullptr)
        return false;
    const ByteReader r(sector);
    NtfsBootRecord b;
    std::copy_n(sector.begin(), 3, b.jump.begin());                            // 0
    std::transform(sector.begin() + 3, sector.begin() + 11, b.oemName.begin(), // 3
                   [](std::uint8_t c) { return static_cast<char>(c); });
    b.bytesPerSector = r.U16(11);
    b.sectorsPerCluster = r.U8(13);
    b.reservedSectors = r.U16(14);
    b.media = r.U8(21);
    b.sectorsPerTrack = r.U16(24);
    b.numHeads = r.U16(26);
    b.hiddenSectors = r.U32(28);
    b.totalSectors = r.U64(40);
    b.mftCluster = r.U64(48);
    b.mftMirrorCluster = r.U64(56);
    b.clustersPerRecord = static_cast<std::int8_t>(r.U8(64));
    b.clustersPerIndexBlock = static_cast<std::int8_t>(r.U8(68));
    b.serialNumber = r.U64(72);
    b.checksum = r.U32(80);
    std::copy_n(sector.begin() + 84, b.bootCode.size(), b.bootCode.begin()); // 84
    b.endMarker = r.U16(508);
    b.signature = r.U16(510);
    *out = b;
    return true;
}

} // namespace vantrel
