#include "engine/scan/FatSectorMarks.h"

#include "fs/fat/FatBootRecord.h"
#include "fs/fat/FatDirEntry.h"
#include "fs/fat/FatDirectoryData.h"

#include <algorithm>

namespace vantrel {

void MarkFatSectors(Bytes sectors, std::uint32_t sectorSize, const FatCharacters& chars,
                    std::span<std::uint64_t> marks) {
    const std::size_t whole = sectorSize == 0 ? 0 : sectors.size() / sectorSize;
    const std::size_t count = std::min(marks.size(), whole);
    std::fill(marks.begin() + static_cast<std::ptrdiff_t>(count), marks.end(), 0);
    marks = marks.first(count);
    MarkDirectoryClusters(sectors.first(count * sectorSize), sectorSize, chars, marks,
                          kFatMarkDirectory);
    if (sectorSize < kFatBootSectorBytes)
        return;
    for (std::size_t i = 0; i < count; ++i) {
        const Bytes sector = sectors.subspan(i * sectorSize, sectorSize);
        // The jump instruction first: nearly no sector starts with one.
        const bool jump = sector[0] == 0xE9 || (sector[0] == 0xEB && sector[2] == 0x90);
        if (jump && IsFatBootSector(sector, sectorSize))
            marks[i] |= kFatMarkBootSector;
    }
}

bool FatSearchLooksAt(std::uint64_t mark, Bytes sector) {
    return (mark & kFatMarkBootSector) ||
           ((mark & kFatMarkDirectory) && IsDotEntry(sector.first(kFatDirEntryBytes)));
}

} // namespace vantrel
