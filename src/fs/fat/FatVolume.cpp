#include "fs/fat/FatVolume.h"

#include "fs/fat/FatDirectoryListing.h"
#include "fs/fat/FatGeometry.h"
#include "platform/CodePage.h"

#include <algorithm>

namespace vantrel {

namespace {

// Sectors read per call when loading data; keeps each read within the window layer's
// 32-bit byte counts.
constexpr std::uint64_t kSectorsPerRead = 64;

} // namespace

bool FatVolume::Open(CDiskWindow& window, std::uint64_t bootLba, std::uint64_t copyLba) {
    window_ = nullptr;
    record_ = FatBootRecord{};
    badSectors_.Clear();
    std::uint64_t lastLba = 0;
    std::uint32_t sectorSize = 0;
    if (!window.GetCapacity(&lastLba, &sectorSize) || sectorSize == 0 || bootLba > lastLba)
        return false;
    std::vector<std::uint8_t> sector(sectorSize);
    if (!window.ReadSectors(copyLba, 1, sector.data(), sectorSize))
        return false;
    FatBootRecord record;
    if (!IsFatBootSector(sector, sectorSize) || !ParseFatBootRecord(record, sector))
        return false;
    record.hiddenSectors = bootLba;
    return OpenWithRecord(window, record);
}

bool FatVolume::OpenWithRecord(CDiskWindow& window, const FatBootRecord& record) {
    window_ = nullptr;
    record_ = FatBootRecord{};
    badSectors_.Clear();
    std::uint64_t lastLba = 0;
    std::uint32_t sectorSize = 0;
    if (!window.GetCapacity(&lastLba, &sectorSize) || sectorSize == 0 ||
        record.hiddenSectors > lastLba)
        return false;
    // A volume sector smaller than, or not a multiple of, the device's cannot be addressed.
    if (record.bytesPerSector < sectorSize || record.bytesPerSector % sectorSize != 0)
        return false;
    record_ = record;
    window_ = &window;
    deviceSector_ = sectorSize;
    return true;
}

std::u16string FatVolume::BootLabel() const {
    std::size_t length = record_.volumeLabel.size();
    while (length > 0 &&
           (record_.volumeLabel[length - 1] == ' ' || record_.volumeLabel[length - 1] == 0))
        --length;
    return DecodeAnsi(Bytes(record_.volumeLabel.data(), length));
}

bool FatVolume::ReadSectorsInto(std::uint64_t lba, std::uint64_t sectors,
                                std::vector<std::uint8_t>& data) {
    while (sectors > 0) {
        const std::uint64_t count = std::min(sectors, kSectorsPerRead);
        const std::size_t at = data.size();
        data.resize(at + count * deviceSector_);
        if (!window_->ReadSectors(lba, static_cast<std::uint32_t>(count), data.data() + at,
                                  static_cast<std::uint32_t>(count * deviceSector_)))
            return false;
        lba += count;
        sectors -= count;
    }
    return true;
}

bool FatVolume::DirectoryRuns(const FatDirEntry* directory, std::vector<FatRun>* runs) {
    runs->clear();
    if (!directory && record_.fatType != kFat32) {
        const std::uint64_t perSector = record_.bytesPerSector / deviceSector_;
        runs->push_back({RootDirFirstSector(record_) * perSector,
                         std::uint64_t{RootDirSectors(record_)} * perSector});
        return true;
    }
    FatDirEntry root;
    if (!directory) {
        root.attributes = kFatAttrDirectory;
        root.firstCluster = record_.rootCluster;
        directory = &root;
    }
    FatExtents extents;
    if (!Extents(*directory, &extents))
        return false;
    // Directory chains are followed for 2 MiB at most; cut the last run there too.
    std::uint64_t room = kFatMaxDirectoryBytes / deviceSector_;
    for (const FatRun& run : extents.runs) {
        if (room == 0)
            break;
        runs->push_back({run.lba, std::min(run.sectors, room)});
        room -= runs->back().sectors;
    }
    return true;
}

bool FatVolume::ReadDirectoryRuns(const FatDirEntry* directory, std::vector<std::uint8_t>* data) {
    if (!window_ || !data)
        return false;
    data->clear();
    std::vector<FatRun> runs;
    if (!DirectoryRuns(directory, &runs))
        return false;
    for (const FatRun& run : runs)
        if (!ReadSectorsInto(run.lba, run.sectors, *data))
            return false;
    return true;
}

bool FatVolume::ReadRootDirectoryData(std::vector<std::uint8_t>* data) {
    return ReadDirectoryRuns(nullptr, data);
}

bool FatVolume::ReadDirectoryData(const FatDirEntry& directory, std::vector<std::uint8_t>* data) {
    return ReadDirectoryRuns(&directory, data);
}

bool FatVolume::ListDirectoryRuns(const FatDirEntry* directory, std::vector<FatDirEntry>* entries) {
    if (!window_ || !entries)
        return false;
    entries->clear();
    std::vector<FatRun> runs;
    if (!DirectoryRuns(directory, &runs))
        return false;
    // Each stretch of readable sectors is listed on its own, so that an unreadable sector
    // costs only the entries it held; the end-of-directory mark ends the whole listing.
    std::vector<std::uint8_t> stretch;
    bool anyRead = false;
    bool ended = false;
    auto listStretch = [&] {
        if (!ended && !stretch.empty()) {
            for (FatDirEntry& entry : ParseDirectoryEntries(stretch, &ended))
                entries->push_back(std::move(entry));
        }
        stretch.clear();
    };
    std::vector<std::uint8_t> sector(deviceSector_);
    for (const FatRun& run : runs) {
        for (std::uint64_t done = 0; done < run.sectors && !ended;) {
            const std::uint64_t count = std::min(run.sectors - done, kSectorsPerRead);
            const std::size_t at = stretch.size();
            stretch.resize(at + count * deviceSector_);
            if (window_->ReadSectors(run.lba + done, static_cast<std::uint32_t>(count),
                                     stretch.data() + at,
                                     static_cast<std::uint32_t>(count * deviceSector_))) {
                anyRead = true;
                done += count;
                continue;
            }
            stretch.resize(at);
            for (std::uint64_t i = 0; i < count; ++i, ++done) {
                if (window_->ReadSectors(run.lba + done, 1, sector.data(), deviceSector_)) {
                    stretch.insert(stretch.end(), sector.begin(), sector.end());
                    anyRead = true;
                } else {
                    badSectors_.Add(run.lba + done);
                    listStretch();
                }
            }
        }
    }
    listStretch();
    return anyRead || runs.empty();
}

bool FatVolume::ListRoot(std::vector<FatDirEntry>* entries) {
    return ListDirectoryRuns(nullptr, entries);
}

bool FatVolume::ListDirectory(const FatDirEntry& directory, std::vector<FatDirEntry>* entries) {
    return ListDirectoryRuns(&directory, entries);
}

bool FatVolume::Extents(const FatDirEntry& entry, FatExtents* extents) {
    if (!window_)
        return false;
    FatTable table(*window_, record_);
    return FollowClusterChain(table, entry, extents);
}

bool FatVolume::ReadExtents(const FatExtents& extents, std::uint64_t offset,
                            std::span<std::uint8_t> out) {
    if (!window_)
        return false;
    std::vector<std::uint8_t> piece;
    std::size_t done = 0;
    std::uint64_t runStart = 0; // byte position of the current run in the data
    for (const FatRun& run : extents.runs) {
        if (done == out.size())
            break;
        const std::uint64_t runBytes = run.sectors * deviceSector_;
        const std::uint64_t position = offset + done;
        if (position >= runStart + runBytes) {
            runStart += runBytes;
            continue;
        }
        // Read whole sectors from the one holding position to the end of the request or run.
        const std::uint64_t within = position - runStart;
        const std::uint64_t wanted = std::min<std::uint64_t>(out.size() - done, runBytes - within);
        std::uint64_t sector = within / deviceSector_;
        const std::uint64_t lastSector = (within + wanted - 1) / deviceSector_;
        std::uint64_t skip = within % deviceSector_;
        std::uint64_t left = wanted;
        while (sector <= lastSector) {
            const std::uint64_t count = std::min(lastSector - sector + 1, kSectorsPerRead);
            piece.clear();
            if (!ReadSectorsInto(run.lba + sector, count, piece))
                return false;
            const std::uint64_t take = std::min<std::uint64_t>(left, piece.size() - skip);
            std::copy_n(piece.begin() + static_cast<std::ptrdiff_t>(skip), take,
                        out.begin() + static_cast<std::ptrdiff_t>(done));
            done += static_cast<std::size_t>(take);
            left -= take;
            skip = 0;
            sector += count;
        }
        runStart += runBytes;
    }
    return done == out.size();
}

bool FatVolume::ReadFile(const FatDirEntry& entry, std::vector<std::uint8_t>* data,
                         std::uint64_t maxBytes) {
    if (!data)
        return false;
    data->clear();
    FatExtents extents;
    if (!Extents(entry, &extents))
        return false;
    const std::uint64_t size =
        IsDirectory(entry) ? extents.TotalSectors() * deviceSector_ : entry.fileSize;
    if (size > maxBytes)
        return false;
    data->resize(static_cast<std::size_t>(size));
    return ReadExtents(extents, 0, *data);
}

} // namespace vantrel
