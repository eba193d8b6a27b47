// The NTFS scan's block marks against the per-sector tests they stand for: on any bytes
// and sector size, every mark must be what IsMftRecord and IsNtfsBootSector say of that
// sector, and nothing may be read outside the block.

#include "engine/scan/NtfsSectorMarks.h"
#include "fs/ntfs/NtfsBootSector.h"
#include "fs/ntfs/NtfsRecordHeader.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    if (size == 0)
        return 0;
    // The first byte chooses the sector size, small and odd ones included.
    constexpr std::array<std::uint32_t, 8> kSizes{512, 1024, 4096, 520, 48, 47, 8, 1};
    const std::uint32_t sectorSize = kSizes[data[0] % kSizes.size()];
    const std::vector<std::uint8_t> block(data + 1, data + size); // exact bounds for ASan
    const Bytes sectors(block);
    // One mark more than there are sectors: it must come back 0.
    std::vector<std::uint64_t> marks(sectors.size() / sectorSize + 1, ~std::uint64_t{0});
    MarkNtfsSectors(sectors, sectorSize, marks);
    for (std::size_t i = 0; i < marks.size(); ++i) {
        std::uint64_t expected = 0;
        if (i < sectors.size() / sectorSize) {
            const Bytes sector = sectors.subspan(i * sectorSize, sectorSize);
            expected = (IsMftRecord(sector) ? kNtfsMarkRecord : 0) |
                       (IsNtfsBootSector(sector, sectorSize) ? kNtfsMarkBootSector : 0);
        }
        if (marks[i] != expected)
            __builtin_trap();
    }
    return 0;
}
