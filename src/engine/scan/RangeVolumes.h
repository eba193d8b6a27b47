#pragma once

// The FAT and NTFS volumes that lie in a "スキャン結果" node's range, found as the
// partition walk finds them (tables, extended chains, GPT, a rebuilt table, backup boot
// sectors). The walk runs on nodes of its own, outside the result tree, so that a scan
// never expands or changes nodes the user interface shows. When it finds none, the FAT
// and NTFS methods' searches (a boot record rebuilt from folders' "." entries, the MFT's
// own record) look at the start of the range.

#include "device/DiskWindow.h"
#include "engine/scan/VolumeSearchHint.h"
#include "fs/fat/FatBootRecord.h"
#include "fs/ntfs/NtfsVolume.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantrel {

class ResultNode;
class ScanResultNode;

struct RangeVolume {
    std::shared_ptr<const FatBootRecord> fat; // one of fat and ntfs is set
    std::shared_ptr<NtfsVolume> ntfs;
    CDiskWindow* window = nullptr; // the volume's window, owned by the finder
    // Added to an LBA of the volume's window, gives the LBA of the scanned window.
    std::uint64_t lbaOffset = 0;
    // Display path of the volume's existing-folders root, as the result tree names it.
    std::u16string rootPath;
};

// Bytes at the start of a range that the methods' searches look at: where a volume's
// FATs, first folders and, on small volumes, its MFT lie. More would read a good part of
// the range again after every scan of a disk that holds no FAT or NTFS volume at all.
inline constexpr std::uint64_t kVolumeSearchBytes = 16ull << 20;
// Sectors at the start of a range that those searches may test: they stop at the first
// step that ends past kVolumeSearchBytes.
std::uint64_t VolumeSearchSectors(std::uint32_t sectorSize);

class RangeVolumeFinder {
public:
    RangeVolumeFinder();
    ~RangeVolumeFinder();
    RangeVolumeFinder(const RangeVolumeFinder&) = delete;
    RangeVolumeFinder& operator=(const RangeVolumeFinder&) = delete;

    // Walks the node's range. The volumes stay usable while the finder lives. With a
    // hint, a search it rules out is not run.
    void Find(ScanResultNode& node, const VolumeSearchHint* hint = nullptr);
    void Clear();
    const std::vector<RangeVolume>& Volumes() const { return volumes_; }

private:
    void Collect(ResultNode& node, const std::u16string& path, CDiskWindow& scanned, int depth);
    void Search(ScanResultNode& node, CDiskWindow& scanned, std::uint32_t sectorSize,
                const VolumeSearchHint* hint);

    std::unique_ptr<ResultNode> root_;
    std::vector<RangeVolume> volumes_;
};

// Names from the root down to node joined by "/", as the front ends show a node's place.
std::u16string NodeDisplayPath(const ResultNode& node);

} // namespace vantrel
