// Index blocks ("INDX") and index entries: parsed on their own, and walked as the
// $INDEX_ALLOCATION of a folder whose root leads to VCN 0, so that sub-node VCNs that
// loop, repeat or point outside are followed the way a real folder would be.

#include "../ntfs_support/FuzzDisk.h"
#include "fs/ntfs/NtfsDirectory.h"
#include "fs/ntfs/NtfsFileName.h"
#include "fs/ntfs/NtfsIndexBlock.h"
#include "fs/ntfs/NtfsVolume.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace vantrel;
using namespace vantrel::fuzzing;

namespace {

constexpr std::uint64_t kAllocationCluster = 300;
constexpr std::uint64_t kAllocationClusters = 64;

// A folder record: $INDEX_ROOT with only the last entry, leading to VCN 0, and a
// non-resident $INDEX_ALLOCATION of 64 clusters at cluster 300.
std::vector<std::uint8_t> FolderRecord() {
    std::vector<std::uint8_t> r(1024, 0);
    std::copy_n("FILE", 4, r.begin());
    PutLe(r, 4, 48, 2); // update sequence at 48, all words 0 so every stride matches
    PutLe(r, 6, 3, 2);
    PutLe(r, 20, 56, 2); // attributes
    PutLe(r, 22, 3, 2);  // in use, folder
    PutLe(r, 28, 1024, 4);
    // $INDEX_ROOT at 56: 24-byte header, 56-byte value.
    PutLe(r, 56, 0x90, 4);
    PutLe(r, 60, 80, 4);
    PutLe(r, 56 + 16, 56, 4);
    PutLe(r, 56 + 20, 24, 2);
    const std::size_t value = 56 + 24;
    PutLe(r, value + 0, 0x30, 4);
    PutLe(r, value + 8, 4096, 4);
    PutLe(r, value + 16, 16, 4); // entries right after the index header
    PutLe(r, value + 20, 40, 4);
    PutLe(r, value + 24, 40, 4);
    r[value + 28] = 1;
    PutLe(r, value + 32 + 8, 24, 2); // last entry with sub-node VCN 0
    PutLe(r, value + 32 + 12, 3, 2);
    // $INDEX_ALLOCATION at 136: 64-byte header and the run list.
    PutLe(r, 136, 0xA0, 4);
    PutLe(r, 140, 72, 4);
    r[136 + 8] = 1;
    PutLe(r, 136 + 32, 64, 2);
    PutLe(r, 136 + 40, kAllocationClusters * 512, 8);
    PutLe(r, 136 + 48, kAllocationClusters * 512, 8);
    PutLe(r, 136 + 56, kAllocationClusters * 512, 8);
    const std::uint8_t runs[] = {0x21, static_cast<std::uint8_t>(kAllocationClusters),
                                 static_cast<std::uint8_t>(kAllocationCluster & 0xFF),
                                 static_cast<std::uint8_t>(kAllocationCluster >> 8), 0};
    std::copy(std::begin(runs), std::end(runs), r.begin() + 136 + 64);
    PutLe(r, 208, 0xFFFFFFFF, 4);
    return r;
}

} // namespace

// What a call returns does not matter here (hence the casts to void): only that it ends
// cleanly on any input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::size_t allocationBytes = kAllocationClusters * 512;
    if (size > allocationBytes)
        return 0;

    std::vector<std::uint8_t> block(data, data + size);
    IndexBlockHeader header;
    Bytes entries;
    if (ParseIndexBlock(block, &header, &entries)) {
        for (const IndexEntry& entry : SplitIndexEntries(entries)) {
            FileNameValue name;
            static_cast<void>(ParseFileNameValue(entry.key, &name));
        }
    }
    IndexRootHeader root;
    if (ParseIndexRoot(Bytes(data, size), &root))
        SplitIndexEntries(Bytes(data, size).subspan(std::min<std::size_t>(size, 32)));

    static const std::vector<std::uint8_t> base = [] {
        std::vector<std::uint8_t> bytes = FuzzVolumeBytes();
        const std::vector<std::uint8_t> folder = FolderRecord();
        for (std::size_t n = 1; n < 64; ++n)
            std::copy(folder.begin(), folder.end(),
                      bytes.begin() +
                          static_cast<std::ptrdiff_t>(kFuzzMftCluster * 512 + n * 1024));
        return bytes;
    }();
    static FuzzDisk disk(base);
    std::vector<std::uint8_t>& bytes = disk.Bytes();
    std::copy(base.begin(), base.end(), bytes.begin());
    std::copy_n(data, size, bytes.begin() + static_cast<std::ptrdiff_t>(kAllocationCluster * 512));
    CDiskWindow window;
    NtfsVolume volume;
    if (!window.Open(&disk, 0, 0) || !volume.Open(window, 0))
        return 0;
    std::vector<NtfsDirectoryEntry> list;
    static_cast<void>(ListNtfsDirectory(volume, 5, &list));
    return 0;
}
