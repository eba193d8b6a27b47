#include "engine/scan/NtfsSectorMarks.h"

#include "fs/ntfs/NtfsBootSector.h"
#include "fs/ntfs/NtfsMftSelfRecord.h"
#include "fs/ntfs/NtfsRecordHeader.h"

#include <algorithm>

namespace vantrel {

namespace {

constexpr std::uint32_t kNtfsOemStart = 0x5346544E; // "NTFS" at offset 3 of a boot sector

} // namespace

void MarkNtfsSectors(Bytes sectors, std::uint32_t sectorSize, std::span<std::uint64_t> marks) {
    const std::size_t whole = sectorSize == 0 ? 0 : sectors.size() / sectorSize;
    const std::size_t count = std::min(marks.size(), whole);
    for (std::size_t i = 0; i < count; ++i) {
        // A block read on the other core is not in this one's cache; both tests start
        // with the first bytes.
        if (i + 8 < count)
            __builtin_prefetch(sectors.data() + (i + 8) * sectorSize);
        const Bytes sector = sectors.subspan(i * sectorSize, sectorSize);
        const ByteReader r(sector);
        // Both tests need fixed bytes in the first eight ("FILE" at 0, "NTFS" at 3): one
        // load turns nearly every sector away without a call.
        std::uint64_t mark = 0;
        if (r.U32(0) == kFileMagic && IsMftRecord(sector))
            mark |= kNtfsMarkRecord;
        if (r.U32(3) == kNtfsOemStart && IsNtfsBootSector(sector, sectorSize))
            mark |= kNtfsMarkBootSector;
        marks[i] = mark;
    }
    std::fill(marks.begin() + static_cast<std::ptrdiff_t>(count), marks.end(), 0);
}

bool NtfsSearchLooksAt(std::uint64_t mark, Bytes sector) {
    return (mark & kNtfsMarkBootSector) || ((mark & kNtfsMarkRecord) && IsMftSelfRecord(sector));
}

} // namespace vantrel
