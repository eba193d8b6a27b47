// The hint a database scan gathers for the volume searches, against the searches' own
// tests applied to every sector at once: handed the sectors in overlapping runs of any
// length, it must rule a search out exactly when no sector is one the search looks at,
// and rule nothing out when a run left a gap.

#include "engine/scan/FatSectorMarks.h"
#include "engine/scan/NtfsSectorMarks.h"
#include "engine/scan/VolumeSearchHint.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vantrel;
    if (size < 2)
        return 0;
    constexpr std::array<std::uint32_t, 3> kSizes{512, 1024, 4096};
    const std::uint32_t sectorSize = kSizes[data[0] % kSizes.size()];
    const std::size_t run = 1 + data[1] % 8; // sectors per run; runs overlap by one
    const bool gap = data[1] & 0x80;
    const std::vector<std::uint8_t> bytes(data + 2, data + size); // exact bounds for ASan
    const Bytes all(bytes);
    const std::size_t count = all.size() / sectorSize;
    if (count == 0)
        return 0;

    std::vector<std::uint64_t> marks(count);
    MarkFatSectors(all, sectorSize, FatCharacters{}, marks);
    bool fat = false;
    for (std::size_t i = 0; i < count; ++i)
        fat = fat || FatSearchLooksAt(marks[i], all.subspan(i * sectorSize, sectorSize));
    MarkNtfsSectors(all, sectorSize, marks);
    bool ntfs = false;
    for (std::size_t i = 0; i < count; ++i)
        ntfs = ntfs || NtfsSearchLooksAt(marks[i], all.subspan(i * sectorSize, sectorSize));

    constexpr std::uint64_t kStart = 1000;
    VolumeSearchHint hint;
    hint.Reset(kStart, count, sectorSize);
    std::size_t seen = 0; // sectors [0, seen) handed over without a gap
    bool gapLeft = false;
    for (std::size_t first = 0, turn = 0; first<count; first += run> 1 ? run - 1 : 1, ++turn) {
        if (gap && turn == 1) // the second run is left out
            continue;
        const std::size_t n = std::min(run, count - first);
        hint.Look(kStart + first, all.subspan(first * sectorSize, n * sectorSize));
        if (first > seen)
            gapLeft = true;
        else
            seen = std::max(seen, first + n);
    }
    const bool whole = !gapLeft && seen >= count;
    if (hint.MayFindFat() != (!whole || fat) || hint.MayFindNtfs() != (!whole || ntfs))
        __builtin_trap();
    return 0;
}
