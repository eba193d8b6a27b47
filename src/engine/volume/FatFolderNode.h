#pragma once

// A folder of a FAT volume: the volume's existing-folders root ("既存のフォルダ[label]")
// or a sub-directory found below it or by a scan. Its directory data is a FileEntry, so
// it is read like any file; analysis lists the sub-folders and files it holds.

#include "engine/tree/ResultNode.h"
#include "fs/fat/FatBootRecord.h"
#include "fs/fat/FatDirEntry.h"

#include <cstdint>
#include <memory>

namespace vantrel {

class FatTable;
class FatTimeConverter;

class FatFolderNode : public ResultNode {
public:
    // The root of the FAT volume whose boot sector lies at window LBA volumeStart.
    bool SetUpVolume(CDiskWindow* window, std::uint64_t volumeStart) {
        return SetUpVolume(window, volumeStart, volumeStart);
    }
    // The same with the boot record read from bootCopyLba (a backup of the boot sector).
    bool SetUpVolume(CDiskWindow* window, std::uint64_t volumeStart, std::uint64_t bootCopyLba);
    // A sub-directory: its data must be readable and look like directory entries.
    // record.hiddenSectors is the window LBA of the volume's boot sector.
    bool SetUpFolder(CDiskWindow* window, std::shared_ptr<const FatBootRecord> record,
                     const FatDirEntry& entry);

    // One block of 32 768 bytes of directory data per step. A block that cannot be read
    // ends the analysis with what was read before it.
    StepResult AnalyseStep() override;
    // The first LBA of the directory data.
    std::uint64_t Key() const override { return directory_.Key(); }

    const FileEntry& DirectoryData() const { return directory_; }
    const FatBootRecord* BootRecord() const { return record_.get(); }
    CDiskWindow* VolumeWindow() const { return window_; }

private:
    // Lists the entries of block (directory data from position_); returns the bytes
    // walked. With passOver, slots that are no entry are passed over and a slot whose
    // first byte is 0 ends the directory (endMark).
    std::size_t WalkBlock(Bytes block, bool passOver, bool* endMark);
    // The entryId of the slot at offset bytes into the directory data.
    std::uint64_t SlotId(std::uint64_t offset) const;
    void AddEntry(const FatDirEntry& entry, FatTable& table, FatTimeConverter& times,
                  std::uint64_t entryId);
    StepResult Finish();

    CDiskWindow* window_ = nullptr;
    std::shared_ptr<const FatBootRecord> record_; // shared by every folder of the volume
    FileEntry directory_;
    std::uint64_t position_ = 0;
};

} // namespace vantrel
