#pragma once

// A disk seen through a rescue map: sectors that the rescue run did not read fail to
// read, exactly like unreadable sectors of a failing disk, so every reader above zero-
// fills and logs them as it does for a real bad sector. Everything else is the inner
// device's.

#include "device/DiskDevice.h"
#include "device/RescueMap.h"

#include <memory>
#include <string>

namespace vantrel {

class CMappedDisk : public CDiskDevice {
public:
    // inner is not owned and must outlive this device.
    CMappedDisk(CDiskDevice& inner, RescueMap map);
    // The same over a device this one owns (a drive list holds the map and its image as one).
    CMappedDisk(std::unique_ptr<CDiskDevice> inner, RescueMap map);

    const RescueMap& Map() const { return map_; }
    // The map file's name as the user gave it, for showing.
    const std::string& MapPath() const { return mapPath_; }
    void SetMapPath(std::string path) { mapPath_ = std::move(path); }
    CDiskDevice& Inner() const { return inner_; }
    // Sectors of the range (device LBAs) that were not read.
    std::uint64_t UnreadSectorsIn(std::uint64_t lba, std::uint64_t count) const;

    std::int32_t GetAccessMethod() const override { return inner_.GetAccessMethod(); }
    std::int32_t GetDriveKind() override { return inner_.GetDriveKind(); }
    bool GetIdentity(DeviceIdentity* out) override { return inner_.GetIdentity(out); }
    [[nodiscard]] bool GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) override;
    [[nodiscard]] bool ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                                   std::uint32_t bufferSize) override;
    std::uint32_t GetDriveLetters() override { return inner_.GetDriveLetters(); }
    std::uint32_t LookUpDriveLetters(std::int32_t* typeMismatch) override {
        return inner_.LookUpDriveLetters(typeMismatch);
    }
    std::string DeviceNode() const override { return inner_.DeviceNode(); }

private:
    std::unique_ptr<CDiskDevice> owned_; // before inner_, which may refer to it
    CDiskDevice& inner_;
    RescueMap map_;
    std::string mapPath_;
};

// Sectors of lba..lba+count-1 (device LBAs) that a rescue map marks as not read; 0 for
// any device without a map.
std::uint64_t UnreadSectorsOnDevice(CDiskDevice* device, std::uint64_t lba, std::uint64_t count);

} // namespace vantrel
