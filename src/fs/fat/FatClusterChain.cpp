#include "fs/fat/FatClusterChain.h"

#include "fs/fat/FatGeometry.h"

#include <algorithm>

namespace vantrel {

std::uint64_t FatExtents::TotalSectors() const {
    std::uint64_t total = 0;
    for (const FatRun& run : runs)
        total += run.sectors;
    return total;
}

FatTable::FatTable(CDiskWindow& window, const FatBootRecord& record)
    : window_(window), record_(record) {
    const std::uint32_t deviceSector = window.SectorSize();
    if (deviceSector != 0 && record.bytesPerSector >= deviceSector &&
        record.bytesPerSector % deviceSector == 0)
        deviceSectorsPerSector_ = record.bytesPerSector / deviceSector;
}

bool FatTable::Load(std::uint64_t fatSector, std::uint32_t count) {
    if (fatSector >= cachedSector_ && fatSector - cachedSector_ + count <= cachedCount_)
        return true;
    cachedCount_ = 0;
    // Chains mostly run forward through the FAT: read a stretch of it at once where the
    // window holds it, and only the sectors asked for when that fails.
    const std::uint32_t stretch =
        std::max(count, kFatCacheBytes / std::max<std::uint32_t>(record_.bytesPerSector, 1));
    const std::uint64_t lba = ToWindowLba(fatSector);
    const std::uint64_t length = window_.Length();
    // A stretch that failed is not tried again for the sectors it covers: each failed read
    // of a damaged disk may take long.
    const bool failedBefore =
        failedStretch_ && fatSector >= failedFrom_ && fatSector - failedFrom_ < stretch;
    if (count > 1 && !failedBefore && lba < length &&
        (length - lba) / deviceSectorsPerSector_ >= stretch) {
        if (Read(fatSector, stretch))
            return true;
        failedStretch_ = true;
        failedFrom_ = fatSector;
    }
    return Read(fatSector, count);
}

bool FatTable::Read(std::uint64_t fatSector, std::uint32_t count) {
    const std::uint32_t deviceCount = count * deviceSectorsPerSector_;
    const std::uint32_t bytes = count * record_.bytesPerSector;
    buffer_.resize(bytes);
    ++readCount_;
    if (!window_.ReadSectors(ToWindowLba(fatSector), deviceCount, buffer_.data(), bytes))
        return false;
    cachedSector_ = fatSector;
    cachedCount_ = count;
    return true;
}

bool FatTable::Entry(std::uint32_t cluster, std::uint32_t* value) {
    if (!Usable() || record_.fatType == kFatNone)
        return false;
    const std::uint64_t sector = FatSectorOfCluster(record_, cluster);
    const std::uint64_t offset = FatEntryOffset(record_, cluster) % record_.bytesPerSector;
    const std::uint64_t width = record_.fatType == kFat32 ? 4 : 2;
    // Read the next sector too, as the decoding expects, unless this is the window's last
    // sector and the entry does not need it.
    const bool straddles = offset + width > record_.bytesPerSector;
    if (!Load(sector, 2) && (straddles || !Load(sector, 1)))
        return false;
    const std::size_t skip =
        static_cast<std::size_t>(sector - cachedSector_) * record_.bytesPerSector;
    const Bytes held(buffer_.data() + skip,
                     std::size_t{cachedCount_} * record_.bytesPerSector - skip);
    return ReadFatEntry(record_, cluster, held, value);
}

namespace {

void AddCluster(std::vector<FatRun>& runs, std::uint64_t lba, std::uint64_t sectors) {
    if (!runs.empty() && runs.back().lba + runs.back().sectors == lba)
        runs.back().sectors += sectors;
    else
        runs.push_back({lba, sectors});
}

// Cuts the runs at the window's end; true when anything was cut.
bool ClipToWindow(std::vector<FatRun>& runs, std::uint64_t windowLength) {
    // Nearly every chain lies inside the window: copy nothing then.
    if (std::all_of(runs.begin(), runs.end(), [&](const FatRun& run) {
            return run.lba < windowLength && run.sectors <= windowLength - run.lba;
        }))
        return false;
    bool clipped = false;
    std::vector<FatRun> kept;
    for (const FatRun& run : runs) {
        if (run.lba >= windowLength) {
            clipped = true;
            continue;
        }
        FatRun piece = run;
        if (piece.sectors > windowLength - piece.lba) {
            piece.sectors = windowLength - piece.lba;
            clipped = true;
        }
        kept.push_back(piece);
    }
    runs.swap(kept);
    return clipped;
}

} // namespace

bool FollowClusterChain(FatTable& table, const FatDirEntry& entry, FatExtents* extents) {
    FatExtents result;
    const FatBootRecord& record = table.Record();
    const std::uint32_t first = entry.firstCluster;
    if (first == 0) {
        if (extents)
            *extents = result;
        return true;
    }
    if (!table.Usable() || record.sectorsPerCluster == 0)
        return false;
    const std::uint32_t limit = ClusterLimit(record);
    const std::uint64_t clusterSectors =
        std::uint64_t{record.sectorsPerCluster} * table.DeviceSectorsPerSector();
    const std::uint64_t clusterBytes =
        std::uint64_t{record.sectorsPerCluster} * record.bytesPerSector;
    const std::uint64_t deviceSector = record.bytesPerSector / table.DeviceSectorsPerSector();
    const bool directory = IsDirectory(entry);
    const bool sized = !directory && !IsVolumeLabel(entry) && entry.fileSize != 0;

    // A valid chain holds no more clusters than its data needs (one more shows an overlong
    // chain) and no more than the volume has; this bounds loops and cross-links too.
    std::uint64_t maxClusters =
        directory ? std::max<std::uint64_t>(1, kFatMaxDirectoryBytes / clusterBytes)
                  : (entry.fileSize + clusterBytes - 1) / clusterBytes + 1;
    maxClusters = std::min<std::uint64_t>(maxClusters, limit > 2 ? limit - 2 : 0);

    auto clusterLba = [&](std::uint32_t cluster) {
        return table.ToWindowLba(FirstSectorOfCluster(record, cluster));
    };

    if (first < 2 || first >= limit || maxClusters == 0) {
        result.doubtful = true;
    } else {
        AddCluster(result.runs, clusterLba(first), clusterSectors);
        const std::uint32_t endOfChain = EndOfChainValue(record);
        const std::uint32_t bad = BadClusterValue(record);
        std::uint32_t cluster = first;
        std::uint64_t steps = 1;
        // Brent's cycle detection: compare with a cluster remembered at powers of two.
        std::uint32_t remembered = first;
        std::uint64_t power = 1;
        std::uint64_t sinceRemembered = 0;
        for (;;) {
            std::uint32_t next = 0;
            if (!table.Entry(cluster, &next))
                return false;
            if (next >= endOfChain || next == bad)
                break;
            if (next == 0) {
                // Freed chain: assume the data lies in consecutive clusters.
                result.runs.clear();
                const std::uint64_t sectors =
                    directory ? clusterSectors : (entry.fileSize + deviceSector - 1) / deviceSector;
                if (sectors != 0)
                    result.runs.push_back({clusterLba(first), sectors});
                result.reconstructed = true;
                result.doubtful = true;
                break;
            }
            if (next < 2 || next >= limit || next == remembered || steps >= maxClusters) {
                result.doubtful = true;
                break;
            }
            if (++sinceRemembered == power) {
                remembered = next;
                power *= 2;
                sinceRemembered = 0;
            }
            AddCluster(result.runs, clusterLba(next), clusterSectors);
            cluster = next;
            ++steps;
        }
    }

    if (ClipToWindow(result.runs, table.Window().Length()))
        result.doubtful = true;
    if (sized) {
        const std::uint64_t bytes = result.TotalSectors() * deviceSector;
        if (bytes < entry.fileSize || bytes - entry.fileSize >= clusterBytes)
            result.doubtful = true;
    }
    if (extents)
        *extents = std::move(result);
    return true;
}

} // namespace vantrel
