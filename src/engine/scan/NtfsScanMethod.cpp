#include "engine/scan/NtfsScanMethod.h"

#include "engine/scan/NtfsVolumeGuess.h"
#include "engine/volume/NtfsFileFill.h"
#include "engine/volume/NtfsFolderNode.h"
#include "fs/ntfs/NtfsDirectory.h"
#include "fs/ntfs/NtfsMftSelfRecord.h"
#include "fs/ntfs/NtfsRecordHeader.h"
#include "platform/Utf.h"

#include <algorithm>
#include <vector>

namespace vantrel {

namespace {

constexpr std::size_t kSelfRecordBytes = 512;

// Sector marks: what the search and the detection test every sector for.
constexpr std::uint64_t kMarkRecord = 1;
constexpr std::uint64_t kMarkBootSector = 2;
constexpr std::uint64_t kMarkSelfRecord = 4;

} // namespace

SectorMarker NtfsScanMethod::SectorMarks() const {
    const std::uint32_t sectorSize = SectorSize();
    return [sectorSize](Bytes sector) {
        std::uint64_t mark = IsMftRecord(sector) ? kMarkRecord : 0;
        if (IsNtfsBootSector(sector, sectorSize))
            mark |= kMarkBootSector;
        if (IsMftSelfRecord(sector))
            mark |= kMarkSelfRecord;
        return mark;
    };
}

void NtfsScanMethod::Reset() {
    SectorScanMethod::Reset();
    volume_.reset();
    deletedChildren_ = std::make_shared<NtfsDeletedChildren>();
    takenInMap_.clear();
    taken_.clear();
}

std::u16string NtfsScanMethod::MethodName() const {
    return FromUtf8("NTFS方式");
}

StepResult NtfsScanMethod::SearchStep() {
    if (!Window() || position_ >= RangeLength())
        return kStepFailed;
    const std::uint64_t begin = position_;
    while (StepGoesOn(begin)) {
        const std::uint32_t count = ReadChunk();
        for (std::uint32_t i = 0; i < count; ++i) {
            const Bytes sector = ChunkSector(i);
            const std::uint64_t lba = RangeStart() + position_ + i;
            const std::uint64_t mark = ChunkMark(i);
            const bool found = (mark & kMarkBootSector)
                                   ? TryBootSector(lba)
                                   : (mark & kMarkSelfRecord) && TryMftRecord(sector, lba);
            if (found) {
                position_ = 0; // detection covers the whole range again
                return kStepComplete;
            }
        }
        position_ += count;
    }
    if (position_ < RangeLength())
        return position_;
    ReleaseReadAhead();
    return kStepFailed;
}

// A volume checks out when its record 0 loads as a file whose data begins with the
// MFT's own record: the boot sector (or the guess) and the MFT agree.
bool NtfsScanMethod::TryVolume(std::shared_ptr<NtfsVolume> volume) {
    FileEntry mft;
    if (!FillNtfsFileEntry(mft, volume, 0) || mft.size < kSelfRecordBytes)
        return false;
    std::vector<std::uint8_t> head(kSelfRecordBytes);
    mft.readPosition = 0;
    if (!mft.ReadNext(head.data(), head.size()) || !IsMftSelfRecord(Bytes(head)))
        return false;
    volume_ = std::move(volume);
    deletedChildren_ = std::make_shared<NtfsDeletedChildren>();
    takenInMap_.clear(); // record numbers are the new volume's
    taken_.clear();
    return true;
}

bool NtfsScanMethod::TryBootSector(std::uint64_t lba) {
    auto volume = std::make_shared<NtfsVolume>();
    return volume->Open(*Window(), lba) && TryVolume(std::move(volume));
}

bool NtfsScanMethod::TryMftRecord(Bytes sector, std::uint64_t lba) {
    // The record's allocated size is the volume's record size.
    MftRecordHeader header;
    const std::uint32_t recordBytes =
        ParseMftRecordHeader(sector, &header) ? header.bytesAllocated : 0;
    for (const std::uint64_t offset : kNtfsGuessStarts) {
        if (offset >= RangeLength())
            continue;
        const std::uint64_t start = RangeStart() + offset;
        for (const std::uint32_t clusterBytes : kNtfsGuessClusterBytes) {
            const auto boot = GuessNtfsBootRecord(start, RangeLength() - offset, SectorSize(),
                                                  clusterBytes, lba, recordBytes);
            if (!boot)
                continue;
            auto volume = std::make_shared<NtfsVolume>();
            if (volume->OpenWithBootRecord(*Window(), start, *boot) && TryVolume(std::move(volume)))
                return true;
        }
    }
    return false;
}

StepResult NtfsScanMethod::DetectStep() {
    if (!Window() || !volume_)
        return kStepFailed;
    if (position_ >= RangeLength())
        return position_;
    const std::uint64_t begin = position_;
    while (StepGoesOn(begin)) {
        const std::uint32_t count = ReadChunk();
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint64_t recordNumber = 0;
            if ((ChunkMark(i) & kMarkRecord) &&
                RecordNumberAt(RangeStart() + position_ + i, &recordNumber))
                TakeRecord(recordNumber);
        }
        position_ += count;
    }
    if (position_ >= RangeLength())
        ReleaseReadAhead();
    return position_;
}

void NtfsScanMethod::TakeRecord(std::uint64_t recordNumber) {
    MftRecord record;
    if (!FirstMeeting(recordNumber) || !record.Load(*volume_, recordNumber))
        return;
    if (IsNtfsFolder(record)) {
        auto folder = std::make_unique<NtfsFolderNode>();
        if (folder->SetUpFolder(volume_, record, deletedChildren_) && folder->Name() != u".")
            AddFoundFolder(std::move(folder));
        return;
    }
    auto file = std::make_unique<FileEntry>();
    if (FillNtfsFileEntry(*file, volume_, record))
        AddFoundFile(std::move(file));
}

bool NtfsScanMethod::FirstMeeting(std::uint64_t recordNumber) {
    // A bit per record instead of a hashed entry of about 40 bytes; the map's size bounds
    // the bits, and a damaged map that claims more than this many records gets the set.
    constexpr std::uint64_t kMaxMapBits = std::uint64_t{1} << 27;
    if (takenInMap_.empty() && volume_->IsMftMapped()) {
        const std::uint64_t records = volume_->MappedRecordCount();
        takenInMap_.assign(static_cast<std::size_t>(std::min(records, kMaxMapBits)), false);
    }
    if (recordNumber < takenInMap_.size()) {
        if (takenInMap_[static_cast<std::size_t>(recordNumber)])
            return false;
        takenInMap_[static_cast<std::size_t>(recordNumber)] = true;
        return true;
    }
    return taken_.insert(recordNumber).second;
}

bool NtfsScanMethod::RecordNumberAt(std::uint64_t lba, std::uint64_t* recordNumber) const {
    const NtfsVolume& volume = *volume_;
    const std::uint64_t sectorsPerCluster = volume.SectorsPerCluster();
    const std::uint64_t clusterBytes = volume.BytesPerCluster();
    const std::uint64_t recordBytes = volume.RecordSize();
    if (volume.IsMftMapped() && sectorsPerCluster != 0 && recordBytes != 0) {
        // A fragmented MFT: the contiguous rule would name the records of every later
        // fragment wrongly.
        for (const NtfsRun& run : volume.MftRuns()) {
            if (run.sparse || run.lcn < 0)
                continue;
            const std::uint64_t first = volume.ClusterToLba(static_cast<std::uint64_t>(run.lcn));
            const std::uint64_t sectors = run.clusters * sectorsPerCluster;
            if (lba < first || lba - first >= sectors)
                continue;
            const std::uint64_t byte = run.vcn * clusterBytes + (lba - first) * volume.SectorSize();
            if (byte % recordBytes != 0)
                return false;
            *recordNumber = byte / recordBytes;
            return true;
        }
    }
    *recordNumber = volume.LbaToRecordNumber(lba);
    return true;
}

} // namespace vantrel
