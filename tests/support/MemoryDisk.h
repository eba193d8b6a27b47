#pragma once

// Devices for tests: a disk held in memory and a wrapper that makes chosen LBAs
// unreadable, so bad-sector behaviour can be tested at every layer.

#include "device/DiskDevice.h"

#include <cstdint>
#include <set>
#include <vector>

namespace vantrel::testing {

class MemoryDisk : public CDiskDevice {
public:
    explicit MemoryDisk(std::vector<std::uint8_t> bytes, std::uint32_t sectorSize = 512);
    MemoryDisk(std::uint64_t sectorCount, std::uint32_t sectorSize);

    std::int32_t GetAccessMethod() const override { return kAccessHandle; }
    bool GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) override;
    bool ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                     std::uint32_t bufferSize) override;

    std::vector<std::uint8_t>& Bytes() { return bytes_; }
    std::uint8_t* Sector(std::uint64_t lba) { return bytes_.data() + lba * sectorBytes_; }
    // Number of ReadSectors calls that reached the data (to prove "no I/O" paths).
    std::uint64_t ReadCalls() const { return readCalls_; }
    // Number of GetCapacity calls (a device is measured once, not per listed file).
    std::uint64_t CapacityCalls() const { return capacityCalls_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::uint64_t capacityCalls_ = 0;
    std::uint32_t sectorBytes_;
    std::uint64_t readCalls_ = 0;
};

// Wraps any device; a read touching a listed LBA fails as a real bad sector would.
class FaultyDisk : public CDiskDevice {
public:
    explicit FaultyDisk(CDiskDevice& inner) : inner_(inner) {}

    void MakeUnreadable(std::uint64_t lba) { bad_.insert(lba); }
    void MakeReadable(std::uint64_t lba) { bad_.erase(lba); }
    std::uint64_t ReadCalls() const { return readCalls_; }
    std::uint64_t FailedReads() const { return failedReads_; }

    std::int32_t GetAccessMethod() const override { return inner_.GetAccessMethod(); }
    bool GetIdentity(DeviceIdentity* out) override { return inner_.GetIdentity(out); }
    bool GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) override;
    bool ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                     std::uint32_t bufferSize) override;

private:
    CDiskDevice& inner_;
    std::set<std::uint64_t> bad_;
    std::uint64_t readCalls_ = 0;
    std::uint64_t failedReads_ = 0;
};

} // namespace vantrel::testing
