#pragma once

// A FAT volume read through a CDiskWindow: its boot record, its directories and the data
// of its files, deleted ones included.

#include "device/DiskWindow.h"
#include "fs/fat/FatBootRecord.h"
#include "fs/fat/FatClusterChain.h"
#include "fs/fat/FatDirEntry.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vantrel {

class FatVolume {
public:
    // Reads the boot sector at bootLba of window (whose capacity is asked here), requires
    // IsFatBootSector, and sets the record's hiddenSectors to bootLba so that its
    // geometry gives window LBAs. False when there is no usable FAT volume.
    [[nodiscard]] bool Open(CDiskWindow& window, std::uint64_t bootLba = 0) {
        return Open(window, bootLba, bootLba);
    }
    // The same with the boot record read from copyLba (a backup of the boot sector).
    [[nodiscard]] bool Open(CDiskWindow& window, std::uint64_t bootLba, std::uint64_t copyLba);
    // A volume whose record was read before (by a folder set-up or a scan's search);
    // record.hiddenSectors must be the window LBA of its boot sector.
    [[nodiscard]] bool OpenWithRecord(CDiskWindow& window, const FatBootRecord& record);

    const FatBootRecord& Record() const { return record_; }
    CDiskWindow* Window() const { return window_; }
    // The boot record's label with trailing blanks removed, decoded from the code page.
    std::u16string BootLabel() const;

    // Directory data: the fixed root area (FAT12/16), or the directory's cluster chain
    // (FAT32 root, sub-directories; at most 2 MiB). False when a sector cannot be read.
    [[nodiscard]] bool ReadRootDirectoryData(std::vector<std::uint8_t>* data);
    [[nodiscard]] bool ReadDirectoryData(const FatDirEntry& directory,
                                         std::vector<std::uint8_t>* data);

    // The entries of a directory as ParseDirectoryEntries gives them. Sectors that cannot
    // be read are added to BadSectors() and cost only the entries they held; false when
    // the FAT cannot be read or no sector of the directory could be.
    [[nodiscard]] bool ListRoot(std::vector<FatDirEntry>* entries);
    [[nodiscard]] bool ListDirectory(const FatDirEntry& directory,
                                     std::vector<FatDirEntry>* entries);
    // Window LBAs of the unreadable sectors the listings met, each once.
    const BadSectorList& BadSectors() const { return badSectors_; }

    // The sector runs of an entry's data (see FollowClusterChain).
    [[nodiscard]] bool Extents(const FatDirEntry& entry, FatExtents* extents);
    // Reads out.size() bytes from byte offset of the data described by extents. False
    // when the range lies past the runs or a sector cannot be read.
    [[nodiscard]] bool ReadExtents(const FatExtents& extents, std::uint64_t offset,
                                   std::span<std::uint8_t> out);
    // The whole file: fileSize bytes (a directory: its runs' bytes), at most maxBytes.
    // False when the runs are shorter or a sector cannot be read.
    [[nodiscard]] bool ReadFile(const FatDirEntry& entry, std::vector<std::uint8_t>* data,
                                std::uint64_t maxBytes = 1ull << 31);

private:
    // Sector runs of a directory's data; the root when directory is null.
    [[nodiscard]] bool DirectoryRuns(const FatDirEntry* directory, std::vector<FatRun>* runs);
    [[nodiscard]] bool ReadDirectoryRuns(const FatDirEntry* directory,
                                         std::vector<std::uint8_t>* data);
    [[nodiscard]] bool ListDirectoryRuns(const FatDirEntry* directory,
                                         std::vector<FatDirEntry>* entries);
    [[nodiscard]] bool ReadSectorsInto(std::uint64_t lba, std::uint64_t sectors,
                                       std::vector<std::uint8_t>& data);

    CDiskWindow* window_ = nullptr;
    FatBootRecord record_;
    std::uint32_t deviceSector_ = 512;
    BadSectorList badSectors_;
};

} // namespace vantrel
