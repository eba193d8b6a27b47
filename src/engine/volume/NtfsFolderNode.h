#pragma once

// A folder of an NTFS volume: the volume's existing-folders root ("既存のフォルダ[label]",
// record 5) or a folder below it or found by a scan. One analysis step lists its index.

#include "engine/tree/ResultNode.h"
#include "fs/ntfs/MftRecord.h"
#include "fs/ntfs/NtfsDeletedChildren.h"
#include "fs/ntfs/NtfsVolume.h"

#include <cstdint>
#include <memory>

namespace vantrel {

inline constexpr std::uint64_t kNtfsVolumeRecord = 3;
inline constexpr std::uint64_t kNtfsRootRecord = 5;

class NtfsFolderNode : public ResultNode {
public:
    // The root of the NTFS volume whose boot sector lies at window LBA volumeStart.
    bool SetUpVolume(CDiskWindow* window, std::uint64_t volumeStart) {
        return SetUpVolume(window, volumeStart, volumeStart);
    }
    // The same with the boot sector read from bootCopyLba (the backup in the last sector).
    bool SetUpVolume(CDiskWindow* window, std::uint64_t volumeStart, std::uint64_t bootCopyLba);
    // The folder of MFT record recordNumber; it must be a folder (IsNtfsFolder). A record that is
    // not in use is a deleted folder. deletedChildren is shared by the folders of one
    // volume (a new one when null).
    bool SetUpFolder(std::shared_ptr<NtfsVolume> volume, std::uint64_t recordNumber,
                     std::shared_ptr<NtfsDeletedChildren> deletedChildren = nullptr);
    // The same from the folder's record already loaded through volume.
    bool SetUpFolder(std::shared_ptr<NtfsVolume> volume, const MftRecord& record,
                     std::shared_ptr<NtfsDeletedChildren> deletedChildren = nullptr);

    // Lists the folder's index in one step, then its deleted files and folders (records
    // not in use whose names point here): sub-folders become nodes, files entries.
    StepResult AnalyseStep() override;
    // The MFT record number.
    std::uint64_t Key() const override { return recordNumber_; }

    const std::shared_ptr<NtfsVolume>& Volume() const { return volume_; }
    std::uint64_t RecordNumber() const { return recordNumber_; }

private:
    // True when a name whose parent reference carries parentSequence was given in this
    // folder and not in a later one that reused the record.
    bool HeldChildWith(std::uint16_t parentSequence) const;
    // Adds the record as a sub-folder (when it is one) or as a file.
    void AddListed(const MftRecord& record);

    std::shared_ptr<NtfsVolume> volume_;                   // shared by every folder of the volume
    std::shared_ptr<NtfsDeletedChildren> deletedChildren_; // the same
    std::uint64_t recordNumber_ = 0;
    std::uint16_t sequence_ = 0;
};

} // namespace vantrel
