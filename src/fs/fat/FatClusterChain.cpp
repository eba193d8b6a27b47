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
    if (cachedCount_ >= count && cachedSector_ == fatSector)
        return true;
    const std::uint32_t deviceCount = count * deviceSectorsPerSector_;
    const std::uint32_t bytes = count * record_.bytesPerSector;
    buffer_.assign(bytes, 0);
    cachedCount_ = 0;
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
    const Bytes held(buffer_.data(), std::size_t{cachedCount_} * record_.bytesPerSector);
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
