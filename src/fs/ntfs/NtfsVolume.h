#pragma once

// One NTFS volume on a sector window: the parsed boot sector, the geometry that turns
// clusters and record numbers into window LBAs, and the map of the MFT taken from the run
// list of record 0, so that records of a fragmented MFT are found where they are.
//
// Sectors here are the window's sectors. They equal the boot sector's bytes per sector
// whenever the device reports the size the volume was made with; an image file (512-byte
// sectors) of a volume with larger sectors reads correctly too.

#include "device/DiskWindow.h"
#include "fs/ntfs/NtfsAttribute.h"
#include "fs/ntfs/NtfsBootSector.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vantrel {

class NtfsVolume {
public:
    // GetCapacity of the window, then the boot sector at volumeStart must pass
    // IsNtfsBootSector and describe a usable geometry.
    [[nodiscard]] bool Open(CDiskWindow& window, std::uint64_t volumeStart) {
        return Open(window, volumeStart, volumeStart);
    }
    // The same with the boot sector read from bootCopyLba (the backup in the last sector).
    [[nodiscard]] bool Open(CDiskWindow& window, std::uint64_t volumeStart,
                            std::uint64_t bootCopyLba);
    // For a volume description built by a scan when no boot sector was found.
    [[nodiscard]] bool OpenWithBootRecord(CDiskWindow& window, std::uint64_t volumeStart,
                                          const NtfsBootRecord& boot);

    bool IsOpen() const { return window_ != nullptr; }
    CDiskWindow& Window() const { return *window_; }
    const NtfsBootRecord& BootRecord() const { return boot_; }
    std::uint64_t VolumeStart() const { return volumeStart_; }

    // Geometry.
    std::uint32_t SectorSize() const { return sectorSize_; }
    std::uint32_t RecordSize() const { return recordSize_; }
    std::uint32_t SectorsPerRecord() const { return recordSize_ / sectorSize_; }
    std::uint32_t BytesPerCluster() const { return bytesPerCluster_; }
    std::uint32_t SectorsPerCluster() const { return bytesPerCluster_ / sectorSize_; }
    std::uint64_t ClusterToLba(std::uint64_t lcn) const;
    std::uint64_t LbaToCluster(std::uint64_t lba) const;
    // The contiguous rule from the MFT's first cluster, used by the raw record scans.
    std::uint64_t RecordLba(std::uint64_t recordNumber) const;
    std::uint64_t LbaToRecordNumber(std::uint64_t lba) const;
    // The record stored at lba according to the MFT map (LbaToRecordNumber without a map
    // or outside it), so that a record found by a raw scan loads as the same record.
    std::uint64_t RecordNumberAtLba(std::uint64_t lba) const;

    // The $VOLUME_NAME of record 3. False when the record or the attribute is missing.
    [[nodiscard]] bool ReadVolumeLabel(std::u16string* label);

    // Reads record n's RecordSize bytes, as stored (fixups not applied): through the MFT
    // map when record 0 gave one, else by the contiguous rule.
    [[nodiscard]] bool ReadRecord(std::uint64_t recordNumber, std::vector<std::uint8_t>* out);
    bool IsMftMapped() const { return !mftRuns_.empty(); }
    const std::vector<NtfsRun>& MftRuns() const { return mftRuns_; }
    // Records the map covers; 0 without a map.
    std::uint64_t MappedRecordCount() const;

    // Reads out.size() bytes at a byte offset of the data described by runs (clusters);
    // sparse runs read as zeros. False past the runs' end or on a failed read.
    [[nodiscard]] bool ReadRunData(const std::vector<NtfsRun>& runs, std::uint64_t offset,
                                   std::span<std::uint8_t> out);
    // Reads bytes starting byteOffset bytes after window LBA lba.
    [[nodiscard]] bool ReadBytes(std::uint64_t lba, std::uint64_t byteOffset,
                                 std::span<std::uint8_t> out);
    std::vector<NtfsExtent> RunsToExtents(const std::vector<NtfsRun>& runs) const;

private:
    bool SetGeometry();
    void LoadMftMap();

    CDiskWindow* window_ = nullptr;
    std::uint64_t volumeStart_ = 0;
    NtfsBootRecord boot_;
    std::uint32_t sectorSize_ = 512;
    std::uint32_t recordSize_ = 1024;
    std::uint32_t bytesPerCluster_ = 4096;
    std::uint64_t mftLba_ = 0;
    std::vector<NtfsRun> mftRuns_;
    std::uint64_t mftBytes_ = 0;
};

// The volume description a scan builds when only the $MFT record was found: "NTFS    ",
// media 0xF8, 63 sectors per track and 255 heads, signature 0xAA55.
NtfsBootRecord MakeNtfsBootRecord(std::uint16_t bytesPerSector, std::uint8_t sectorsPerCluster,
                                  std::uint64_t mftCluster, std::uint64_t totalSectors);

// Bytes per MFT record from the boot sector's clusters-per-record field: a positive value
// counts clusters, a negative one is the power of two of the bytes (-10: 1 024 bytes).
// 0 when the field names no size between 512 bytes and 64 KiB.
std::uint32_t NtfsRecordBytes(std::int8_t clustersPerRecord, std::uint32_t bytesPerCluster);

// Bytes per cluster from the boot sector's sectors-per-cluster byte: values above 0x80
// stand for 2^(256 - value) sectors (clusters of 128 KiB and more).
std::uint64_t NtfsClusterSectors(std::uint8_t sectorsPerCluster);

} // namespace vantrel
