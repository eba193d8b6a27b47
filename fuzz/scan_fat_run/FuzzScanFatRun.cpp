// Raw sectors as the FAT scan meets them: the directory-run walk must stay inside the
// bytes it is given and always move on, and the boot record rebuilt from two "." entries
// must put both clusters where they were seen.

#include "engine/scan/FatBootRebuild.h"
#include "engine/scan/FatDirectoryRun.h"
#include "fs/fat/FatGeometry.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    const Bytes input(data, size);
    // The last byte, when present, chooses which clusters count as outside the volume.
    const std::uint32_t limit = size ? 2u + data[size - 1] * 256u : 0xFFFFFFFFu;
    const FatDirectoryRun run = WalkDirectoryRun(
        input, [&](const FatDirEntry& entry) { return entry.firstCluster > limit; });
    if (run.bytesWalked > size || run.bytesWalked % kFatDirEntryBytes != 0)
        __builtin_trap();
    for (const FatDirEntry& entry : run.entries)
        if (IsDotEntry(entry) || IsDotDotEntry(entry) || entry.firstCluster > limit)
            __builtin_trap();

    if (size >= 32) {
        const ByteReader reader(input);
        const DotEntrySighting first{reader.U32(0), reader.U32(4)};
        const DotEntrySighting second{reader.U64(8), reader.U32(16)};
        FatBootRecord record;
        if (RebuildBootRecordFromDots(first, second, reader.U32(20), reader.U64(24), 512,
                                      &record) &&
            (FirstSectorOfCluster(record, first.cluster) != first.lba ||
             FirstSectorOfCluster(record, second.cluster) != second.lba))
            __builtin_trap();
    }
    return 0;
}
