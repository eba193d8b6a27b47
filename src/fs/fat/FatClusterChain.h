#pragma once

// Following a file's clusters through the FAT and turning them into sector runs on the
// window. Reads the FAT through a CDiskWindow; everything else is arithmetic.

#include "device/DiskWindow.h"
#include "fs/fat/FatBootRecord.h"
#include "fs/fat/FatDirEntry.h"

#include <cstdint>
#include <vector>

namespace vantrel {

// A directory never holds more than 65 536 entries; no directory chain is followed
// further than this.
inline constexpr std::uint64_t kFatMaxDirectoryBytes = 65536u * 32u;

// Consecutive sectors on the window, in device sectors.
struct FatRun {
    std::uint64_t lba = 0;
    std::uint64_t sectors = 0;
};

struct FatExtents {
    std::vector<FatRun> runs; // in file order
    // The chain was gone (a FAT entry of 0, as after deletion): the clusters were taken
    // as consecutive from the first one.
    bool reconstructed = false;
    // The runs may not be the file's: reconstructed, a chain that leaves the volume,
    // loops or is cut at the volume's end, or a total that does not match the file size.
    bool doubtful = false;

    std::uint64_t TotalSectors() const;
};

// Bytes of the FAT read at once when following chains.
inline constexpr std::uint32_t kFatCacheBytes = 8192;

// Reads FAT entries of the first FAT, keeping the FAT sectors last read (kFatCacheBytes
// from the one asked for, or only it and the next where the window ends sooner) so that
// consecutive entries cost no further reads.
class FatTable {
public:
    // record.hiddenSectors must be the window LBA of the boot sector, and the window's
    // capacity must be known.
    FatTable(CDiskWindow& window, const FatBootRecord& record);

    // The volume's sector size is a whole multiple of the device's (others are not read).
    bool Usable() const { return deviceSectorsPerSector_ != 0; }
    // False when the FAT sector cannot be read.
    [[nodiscard]] bool Entry(std::uint32_t cluster, std::uint32_t* value);

    // Device sectors per volume sector.
    std::uint32_t DeviceSectorsPerSector() const { return deviceSectorsPerSector_; }
    std::uint64_t ToWindowLba(std::uint64_t volumeSector) const {
        return volumeSector * deviceSectorsPerSector_;
    }
    CDiskWindow& Window() { return window_; }
    const FatBootRecord& Record() const { return record_; }
    std::uint64_t ReadCount() const { return readCount_; }

private:
    // Makes count sectors from fatSector held in buffer_.
    [[nodiscard]] bool Load(std::uint64_t fatSector, std::uint32_t count);
    [[nodiscard]] bool Read(std::uint64_t fatSector, std::uint32_t count);

    CDiskWindow& window_;
    FatBootRecord record_;
    std::uint32_t deviceSectorsPerSector_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::uint64_t cachedSector_ = 0;
    std::uint32_t cachedCount_ = 0; // volume sectors held in buffer_
    bool failedStretch_ = false;    // a stretch from failedFrom_ could not be read
    std::uint64_t failedFrom_ = 0;
    std::uint64_t readCount_ = 0;
};

// The sector runs of entry's data. A first cluster of 0 gives no runs. The walk ends at
// an end-of-chain or bad-cluster mark, at a value outside the volume, at a loop, or after
// as many clusters as the file size needs plus one (a directory: 2 MiB); a FAT entry of
// 0 replaces the runs by the contiguous reconstruction (a directory gets one cluster).
// False only when the FAT could not be read.
[[nodiscard]] bool FollowClusterChain(FatTable& table, const FatDirEntry& entry,
                                      FatExtents* extents);

} // namespace vantrel
