#include "engine/scan/FatScanMethod.h"

#include "engine/scan/FatDirectoryRun.h"
#include "engine/scan/FatSectorMarks.h"
#include "engine/volume/FatFileFill.h"
#include "engine/volume/FatFolderNode.h"
#include "fs/fat/FatClusterChain.h"
#include "fs/fat/FatDirectoryData.h"
#include "fs/fat/FatGeometry.h"
#include "platform/Utf.h"

#include <algorithm>
#include <vector>

namespace vantrel {

namespace {

// FAT entries of cluster 1 at or above this (masked to the FAT's width) end a chain, as
// every formatter writes them.
constexpr std::uint32_t kEndOfChainThreshold = 0x0FFFFFF8;

} // namespace

BlockMarker FatScanMethod::BlockMarks() const {
    // The code page is asked once per scan, not once per sector.
    const FatCharacters chars;
    return [chars](Bytes sectors, std::uint32_t sectorSize, std::span<std::uint64_t> marks) {
        MarkFatSectors(sectors, sectorSize, chars, marks);
    };
}

void FatScanMethod::Reset() {
    SectorScanMethod::Reset();
    record_.reset();
    times_ = FatTimeConverter{}; // the zone may have changed since
    firstDot_.reset();
    latestDot_.reset();
}

std::u16string FatScanMethod::MethodName() const {
    return FromUtf8("FAT方式");
}

void FatScanMethod::Accept(const FatBootRecord& record) {
    record_ = std::make_shared<const FatBootRecord>(record);
    position_ = 0; // detection covers the whole range again
}

StepResult FatScanMethod::SearchStep() {
    if (!Window() || position_ >= RangeLength())
        return kStepFailed;
    const std::uint64_t begin = position_;
    while (StepGoesOn(begin)) {
        const std::uint32_t count = ReadChunk();
        for (std::uint32_t i = 0; i < count; ++i) {
            const Bytes sector = ChunkSector(i);
            const std::uint64_t lba = RangeStart() + position_ + i;
            const std::uint64_t mark = ChunkMark(i);
            if (!FatSearchLooksAt(mark, sector))
                continue;
            if ((mark & kFatMarkBootSector) ? TryBootSector(sector, lba) : TryDotEntry(sector, lba))
                return kStepComplete;
        }
        position_ += count;
    }
    // Reaching the end without a record fails the phase: detection cannot do without one.
    if (position_ < RangeLength())
        return position_;
    ReleaseReadAhead();
    return kStepFailed;
}

bool FatScanMethod::TryBootSector(Bytes sector, std::uint64_t lba) {
    FatBootRecord record;
    if (!ParseFatBootRecord(record, sector))
        return false;
    std::vector<std::uint64_t> starts{lba};
    // A FAT32 copy (at sector 6) describes the volume that starts that far before it: the
    // one left when the boot sector itself was damaged.
    const std::uint64_t perSector = SectorSize() ? record.bytesPerSector / SectorSize() : 0;
    const std::uint64_t backupOffset = std::uint64_t{record.backupBootSector} * perSector;
    if (record.fatType == kFat32 && backupOffset != 0 && lba >= RangeStart() + backupOffset)
        starts.push_back(lba - backupOffset);
    for (const std::uint64_t start : starts) {
        record.hiddenSectors = start;
        FatTable table(*Window(), record);
        std::uint32_t value = 0;
        if (!table.Usable() || !table.Entry(1, &value))
            continue;
        if (MaskClusterValue(record, value) < MaskClusterValue(record, kEndOfChainThreshold))
            continue;
        // A copy taken for the boot sector reads entry 1 from the middle of the FAT, where
        // an end of chain is common; entry 0 of a real FAT holds the media byte.
        std::uint32_t media = 0;
        if (starts.size() > 1 && (!table.Entry(0, &media) || (media & 0xFF) != record.media))
            continue;
        Accept(record);
        return true;
    }
    return false;
}

bool FatScanMethod::TryDotEntry(Bytes sector, std::uint64_t lba) {
    FatDirEntry dot;
    if (!ParseDirEntry(dot, sector))
        return false;
    const DotEntrySighting seen{lba, dot.firstCluster};
    if (!firstDot_) {
        firstDot_ = seen;
        return false;
    }
    latestDot_ = seen;
    const DotEntrySighting& first = *firstDot_;
    const bool pairUsable = seen.cluster > first.cluster && seen.lba > first.lba &&
                            (seen.lba - first.lba) % (seen.cluster - first.cluster) == 0;
    if (!pairUsable)
        return false; // the first entry stays the reference
    FatBootRecord record;
    if (RebuildBootRecordFromDots(first, seen, RangeStart(), RangeLength(), SectorSize(),
                                  &record)) {
        Accept(record);
        return true;
    }
    firstDot_ = seen;
    return false;
}

StepResult FatScanMethod::DetectStep() {
    if (!Window() || !record_)
        return kStepFailed;
    if (position_ >= RangeLength())
        return position_;
    const std::uint64_t begin = position_;
    while (StepGoesOn(begin)) {
        const std::uint32_t count = ReadChunk();
        std::uint32_t first = 0;
        while (first < count && (ChunkMark(first) & kFatMarkDirectory) == 0)
            ++first;
        if (first == count) {
            // Nothing marked: go on from the next chunk boundary, so that after a run the
            // chunks again lie inside the read-ahead's blocks (a chunk across two is copied).
            const std::uint64_t boundary = (position_ / ChunkSectors() + 1) * ChunkSectors();
            position_ = std::min<std::uint64_t>(position_ + count, boundary);
        } else if (first > 0) {
            position_ += first; // the run is read from its own first sector next pass
        } else {
            const std::size_t walked = ListRun(ChunkFrom(0, count));
            const std::uint64_t sectors = (walked + SectorSize() - 1) / SectorSize();
            position_ += sectors == 0 ? 1 : sectors;
        }
    }
    if (position_ < RangeLength())
        return position_;
    ReleaseReadAhead();
    return RangeLength();
}

std::size_t FatScanMethod::ListRun(Bytes data) {
    FatTable table(*Window(), *record_);
    if (!table.Usable())
        return data.size();
    const std::uint64_t lastLba = WindowLastLba();
    const EntryOutsideVolume outside = [&](const FatDirEntry& entry) {
        const std::uint64_t sector = FirstSectorOfCluster(*record_, entry.firstCluster);
        return table.ToWindowLba(sector) > lastLba;
    };
    const FatDirectoryRun run = WalkDirectoryRun(data, outside);
    // The run starts at the chunk's first sector.
    const std::uint64_t runAddress = (RangeStart() + position_) * SectorSize();
    const std::uint32_t clusterLimit = ClusterLimit(*record_);
    // Each sub-directory's first cluster is read below to set up its folder, usually far
    // ahead of the scan: ask for them all first, so that a disk fetches them at once
    // rather than one after another while the read-ahead waits.
    const std::uint32_t clusterSectors =
        record_->sectorsPerCluster * table.DeviceSectorsPerSector();
    for (const FatDirEntry& entry : run.entries)
        if (IsDirectory(entry) && IsCredibleEntry(entry, clusterLimit))
            Window()->WillRead(
                table.ToWindowLba(FirstSectorOfCluster(*record_, entry.firstCluster)),
                clusterSectors);
    for (std::size_t i = 0; i < run.entries.size(); ++i) {
        const FatDirEntry& entry = run.entries[i];
        if (!IsCredibleEntry(entry, clusterLimit))
            continue;
        if (IsDirectory(entry)) {
            auto folder = std::make_unique<FatFolderNode>();
            if (folder->SetUpFolder(Window(), record_, entry))
                AddFoundFolder(std::move(folder));
        } else {
            auto file = std::make_unique<FileEntry>();
            if (FillFatFileEntry(*file, table, entry, &times_)) {
                file->entryId = runAddress + run.offsets[i];
                AddFoundFile(std::move(file));
            }
        }
    }
    return run.bytesWalked;
}

} // namespace vantrel
