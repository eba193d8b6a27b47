#pragma once

// A disk held in memory for the fuzz targets that read through a device, and the boot sector of a
// small volume on it (512-byte sectors and clusters, MFT from cluster 16).

#include "device/DiskDevice.h"
#include "platform/ByteReader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace vantrel::fuzzing {

class FuzzDisk : public CDiskDevice {
public:
    explicit FuzzDisk(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    bool GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) override {
        lastLba_ = bytes_.size() / 512 - 1;
        sectorSize_ = 512;
        if (lastLba)
            *lastLba = lastLba_;
        if (sectorSize)
            *sectorSize = 512;
        return true;
    }
    bool ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                     std::uint32_t bufferSize) override {
        const std::uint64_t sectors = bytes_.size() / 512;
        if (lba > sectors || count > sectors - lba || bufferSize < count * 512u)
            return false;
        std::memcpy(buffer, bytes_.data() + lba * 512, std::size_t{count} * 512);
        return true;
    }

    std::vector<std::uint8_t>& Bytes() { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

inline constexpr std::uint64_t kFuzzMftCluster = 16;
inline constexpr std::size_t kFuzzDiskBytes = 512 * 1024;

// 512 KiB of numbered bytes with an NTFS boot sector at LBA 0.
inline std::vector<std::uint8_t> FuzzVolumeBytes() {
    std::vector<std::uint8_t> bytes(kFuzzDiskBytes);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + (i >> 9));
    std::fill_n(bytes.begin(), 512, std::uint8_t{0});
    std::memcpy(bytes.data() + 3, "NTFS    ", 8);
    PutLe(bytes, 11, 512, 2);
    bytes[13] = 1;
    PutLe(bytes, 40, kFuzzDiskBytes / 512 - 1, 8);
    PutLe(bytes, 48, kFuzzMftCluster, 8);
    PutLe(bytes, 510, 0xAA55, 2);
    return bytes;
}

// One disk for all runs, restored to the volume each time with the input's first 1024 bytes
// in every record slot (so record 0 also decides the MFT map): a fresh half-megabyte per run
// costs more than the parsing under test.
inline FuzzDisk& FuzzDiskWithRecords(const std::uint8_t* data, std::size_t size) {
    static const std::vector<std::uint8_t> base = FuzzVolumeBytes();
    static FuzzDisk disk(base);
    std::vector<std::uint8_t>& bytes = disk.Bytes();
    std::copy(base.begin(), base.end(), bytes.begin());
    const std::size_t recordBytes = std::min<std::size_t>(size, 1024);
    const std::size_t mft = kFuzzMftCluster * 512;
    for (std::size_t n = 0; n < 64; ++n)
        std::copy_n(data, recordBytes, bytes.begin() + static_cast<std::ptrdiff_t>(mft + n * 1024));
    return disk;
}

} // namespace vantrel::fuzzing
