#pragma once

// A window of consecutive sectors on a device: the whole device or one partition. The
// only way anything above the device layer reads sectors. LBAs are window-relative.

#include "device/DiskDevice.h"

#include <cstdint>
#include <vector>

namespace vantrel {

class CDiskWindow {
public:
    CDiskWindow() = default;

    // Start 0 and length 0 together make a whole-device window. Reads nothing.
    [[nodiscard]] bool Open(CDiskDevice* device, std::uint64_t start, std::uint64_t length);
    // A window on parent's device at parent.start + offset.
    [[nodiscard]] bool OpenWithin(const CDiskWindow* parent, std::uint64_t offset,
                                  std::uint64_t length);
    // Asks the device the first time it succeeds and keeps the answer (a device is
    // measured once); a whole-device window takes its length from here, so callers call
    // this once before the first read.
    [[nodiscard]] bool GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize);
    [[nodiscard]] bool ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                                   std::uint32_t bufferSize);
    // Sectors that will be read soon (a hint the device may act on; reads nothing).
    void WillRead(std::uint64_t lba, std::uint32_t count);

    CDiskDevice* Device() const { return device_; }
    bool WholeDevice() const { return wholeDevice_; }
    std::uint64_t Start() const { return start_; }
    std::uint64_t Length() const { return length_; }
    // The device's sector size as last reported (512 until GetCapacity succeeds).
    std::uint32_t SectorSize() const {
        return device_ && device_->SectorSize() ? device_->SectorSize() : 512;
    }

private:
    CDiskDevice* device_ = nullptr;
    bool wholeDevice_ = false;
    std::uint64_t start_ = 0;
    std::uint64_t length_ = 0;
    bool measured_ = false;
    std::uint64_t deviceLastLba_ = 0;
    std::uint32_t deviceSectorSize_ = 0;
};

// LBAs, each once and in the order met, of sectors that a checked read could not read.
class BadSectorList {
public:
    // Appends lba unless it is already listed.
    void Add(std::uint64_t lba);
    bool Contains(std::uint64_t lba) const;
    const std::vector<std::uint64_t>& Lbas() const { return lbas_; }
    std::size_t Size() const { return lbas_.size(); }
    void Clear() { lbas_.clear(); }

private:
    std::vector<std::uint64_t> lbas_;
};

// Reads count sectors; when the whole read fails, zero-fills the buffer and reads sector
// by sector, listing every sector that still fails. False whenever any sector failed.
[[nodiscard]] bool ReadSectorsChecked(CDiskWindow& window, std::uint64_t lba, std::uint32_t count,
                                      void* buffer, std::uint32_t bufferSize,
                                      BadSectorList& badSectors);

// The data read of a file over one run: byteCount must be exactly count sectors; reads in
// pieces of at most 32 768 bytes and stops with failure at the first failing piece.
[[nodiscard]] bool ReadSectorsPiecewise(CDiskWindow& window, std::uint64_t lba, std::uint32_t count,
                                        void* buffer, std::uint64_t byteCount);

inline constexpr std::uint32_t kPieceBytes = 32768;

} // namespace vantrel
