// The one pass over an MFT that names carved files after the records still on disk. The
// input's first 1024 bytes fill every record slot of a small volume (records that name
// each other as parent folders, in loops too); the pass must neither crash, hang nor read
// outside the volume, whatever the records, their names and their run lists say.

#include "../ntfs_support/FuzzDisk.h"
#include "engine/scan/KnownEntries.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace vantrel;
using namespace vantrel::fuzzing;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024)
        return 0;
    FuzzDisk& disk = FuzzDiskWithRecords(data, size);
    const std::size_t recordBytes = std::min<std::size_t>(size, 1024);

    std::vector<std::uint8_t> record(data, data + recordBytes);
    NtfsRecordEntry entry;
    ReadNtfsRecordEntry(record, 512, &entry);

    CDiskWindow window;
    NtfsVolume volume;
    if (!window.Open(&disk, 0, 0) || !volume.Open(window, 0))
        return 0;
    std::unordered_set<std::uint64_t> starts;
    for (std::uint64_t lba = 0; lba < 2048; ++lba)
        starts.insert(lba);
    KnownEntryMap map(std::move(starts));
    NtfsEntryPass pass(volume, 0, u"root");
    for (int step = 0; step < 1000 && !pass.Step(map, 16); ++step) {
    }
    return 0;
}
