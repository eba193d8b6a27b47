#pragma once

// "NTFS方式": finds an NTFS volume in the range by its boot sector or, when that is gone,
// by the MFT's own record under the usual volume layouts; then takes every MFT record
// met in the raw sectors, deleted ones included, as a folder or a file.

#include "engine/scan/SectorScanMethod.h"
#include "fs/ntfs/NtfsDeletedChildren.h"
#include "fs/ntfs/NtfsVolume.h"

#include <deque>
#include <memory>
#include <unordered_set>
#include <vector>

namespace vantrel {

class NtfsScanMethod : public SectorScanMethod {
public:
    void Reset() override;
    StepResult SearchStep() override;
    StepResult DetectStep() override;
    void DetectStopped() override;
    std::u16string MethodName() const override;

    // The volume found by the search; null before.
    const std::shared_ptr<NtfsVolume>& Volume() const { return volume_; }

protected:
    BlockMarker BlockMarks() const override;

private:
    bool TryVolume(std::shared_ptr<NtfsVolume> volume);
    bool TryBootSector(std::uint64_t lba);
    bool TryMftRecord(Bytes sector, std::uint64_t lba);
    // The number of the record that starts at lba: through the MFT's own map when the
    // sector lies in it, otherwise by the contiguous rule. False for a sector inside the
    // map that is not the first of a record.
    bool RecordNumberAt(std::uint64_t lba, std::uint64_t* recordNumber) const;
    // The record that starts at sector `sector` of the chunk last read (count sectors).
    void TakeRecord(std::uint64_t recordNumber, std::uint32_t sector, std::uint32_t count);
    // Adds the oldest record taken as a folder or a file; false when none is waiting.
    bool AddPendingRecord();
    // The record's bytes from the chunk, when they are what the MFT's map would read.
    bool RecordInChunk(std::uint64_t recordNumber, std::uint32_t sector, std::uint32_t count,
                       std::vector<std::uint8_t>* bytes) const;
    // True the first time a record number is met.
    bool FirstMeeting(std::uint64_t recordNumber);

    std::shared_ptr<NtfsVolume> volume_; // shared with the folders and files found
    // Shared by the folders found, so that the MFT is read once for all of them.
    std::shared_ptr<NtfsDeletedChildren> deletedChildren_ = std::make_shared<NtfsDeletedChildren>();
    // Records met: a bit for each record of the MFT's map, a set for numbers past it.
    std::vector<bool> takenInMap_;
    std::unordered_set<std::uint64_t> taken_;

    // Records taken but not yet added, in the order met. Parsing one costs more than
    // reading its sectors: the MFT's first megabytes would hold the read-ahead (and a cold
    // disk) up, so records are parsed while the scan waits for blocks instead. Bounded;
    // all are added when detection ends or is stopped.
    struct PendingRecord {
        std::uint64_t number = 0;
        std::vector<std::uint8_t> bytes; // none: read through the MFT's map when added
    };
    std::deque<PendingRecord> pending_;
    std::size_t pendingBytes_ = 0;
};

} // namespace vantrel
