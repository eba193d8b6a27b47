#include "engine/scan/NtfsScanMethod.h"

#include "engine/scan/NtfsSectorMarks.h"
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

} // namespace

BlockMarker NtfsScanMethod::BlockMarks() const {
    return MarkNtfsSectors;
}

void NtfsScanMethod::Reset() {
    SectorScanMethod::Reset();
    pending_.clear();
    pendingBytes_ = 0;
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
            if (!NtfsSearchLooksAt(mark, sector))
                continue;
            if ((mark & kNtfsMarkBootSector) ? TryBootSector(lba) : TryMftRecord(sector, lba)) {
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
    SetIdleWork([this] { return AddPendingRecord(); });
    const std::uint64_t begin = position_;
    while (StepGoesOn(begin)) {
        const std::uint32_t count = ReadChunk();
        for (std::uint32_t i = 0; i < count; ++i) {
            std::uint64_t recordNumber = 0;
            if ((ChunkMark(i) & kNtfsMarkRecord) &&
                RecordNumberAt(RangeStart() + position_ + i, &recordNumber))
                TakeRecord(recordNumber, i, count);
        }
        position_ += count;
    }
    if (position_ >= RangeLength()) {
        ReleaseReadAhead();
        DetectStopped();
    }
    return position_;
}

void NtfsScanMethod::DetectStopped() {
    while (AddPendingRecord()) {
    }
}

void NtfsScanMethod::TakeRecord(std::uint64_t recordNumber, std::uint32_t sector,
                                std::uint32_t count) {
    // About the MFT of a large volume: what is waiting stays within a few blocks' worth.
    constexpr std::size_t kMaxPendingBytes = std::size_t{4} << 20;
    if (!FirstMeeting(recordNumber))
        return;
    PendingRecord pending;
    pending.number = recordNumber;
    if (!RecordInChunk(recordNumber, sector, count, &pending.bytes))
        pending.bytes.clear();
    pendingBytes_ += sizeof(PendingRecord) + pending.bytes.size();
    pending_.push_back(std::move(pending));
    while (pendingBytes_ > kMaxPendingBytes && AddPendingRecord()) {
    }
}

bool NtfsScanMethod::AddPendingRecord() {
    if (pending_.empty() || !volume_)
        return false;
    PendingRecord pending = std::move(pending_.front());
    pending_.pop_front();
    pendingBytes_ -= sizeof(PendingRecord) + pending.bytes.size();
    MftRecord record;
    const bool loaded = pending.bytes.empty() ? record.Load(*volume_, pending.number)
                                              : record.LoadFromBytes(*volume_, pending.number,
                                                                     std::move(pending.bytes));
    if (!loaded)
        return true;
    if (IsNtfsFolder(record)) {
        auto folder = std::make_unique<NtfsFolderNode>();
        if (folder->SetUpFolder(volume_, record, deletedChildren_) && folder->Name() != u".")
            AddFoundFolder(std::move(folder));
        return true;
    }
    auto file = std::make_unique<FileEntry>();
    if (FillNtfsFileEntry(*file, volume_, record))
        AddFoundFile(std::move(file));
    return true;
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

bool NtfsScanMethod::RecordInChunk(std::uint64_t recordNumber, std::uint32_t sector,
                                   std::uint32_t count, std::vector<std::uint8_t>* bytes) const {
    // Only where reading the record through the MFT's map would read these very sectors
    // (as NtfsVolume::ReadRecord finds its run): one run holds the whole record, none of
    // its sectors failed to read, and it ends inside the chunk. Anything else, damaged
    // fields included, is read as before.
    const NtfsVolume& volume = *volume_;
    const std::uint64_t recordBytes = volume.RecordSize();
    const std::uint64_t sectorSize = volume.SectorSize();
    const std::uint64_t clusterBytes = volume.BytesPerCluster();
    std::uint64_t offset = 0;
    if (!volume.IsMftMapped() || recordBytes == 0 || clusterBytes == 0 ||
        sectorSize != SectorSize() || recordNumber >= volume.MappedRecordCount() ||
        __builtin_mul_overflow(recordNumber, recordBytes, &offset))
        return false;
    const std::vector<NtfsRun>& runs = volume.MftRuns();
    auto run = std::upper_bound(runs.begin(), runs.end(), offset / clusterBytes,
                                [](std::uint64_t vcn, const NtfsRun& r) { return vcn < r.vcn; });
    if (run == runs.begin())
        return false;
    --run;
    std::uint64_t runStart = 0;
    std::uint64_t runBytes = 0;
    if (run->sparse || run->lcn < 0 || __builtin_mul_overflow(run->vcn, clusterBytes, &runStart) ||
        __builtin_mul_overflow(run->clusters, clusterBytes, &runBytes) || offset < runStart ||
        offset - runStart >= runBytes || recordBytes > runBytes - (offset - runStart) ||
        (offset - runStart) % sectorSize != 0)
        return false;
    const std::uint64_t lba = RangeStart() + position_ + sector;
    const std::uint64_t first = volume.ClusterToLba(static_cast<std::uint64_t>(run->lcn));
    const std::uint64_t sectors = (recordBytes + sectorSize - 1) / sectorSize;
    if (first > lba || lba - first != (offset - runStart) / sectorSize || sectors > count - sector)
        return false;
    for (std::uint64_t i = 0; i < sectors; ++i)
        if (badSectors_.Contains(lba + i))
            return false;
    const Bytes chunk = ChunkFrom(sector, static_cast<std::uint32_t>(sectors));
    bytes->assign(chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(recordBytes));
    return true;
}

} // namespace vantrel
