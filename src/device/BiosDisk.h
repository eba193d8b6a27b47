#pragma once

// A floppy drive (BIOS drive 0 or 1) read track by track through INT 13h, with the
// medium's geometry found by probing the last sector of each known format.

#include "device/DiskDevice.h"
#include "device/FloppyBios.h"

#include <memory>

namespace vantrel {

class CBiosDisk : public CDiskDevice {
public:
    // Reads through /dev/fd0 and /dev/fd1.
    CBiosDisk();
    explicit CBiosDisk(std::unique_ptr<FloppyBios> bios);
    ~CBiosDisk() override;

    [[nodiscard]] bool Open(int biosDrive);
    void Close();
    int BiosDrive() const { return biosDrive_; }
    std::uint8_t SectorsPerTrack() const { return sectorsPerTrack_; }

    std::int32_t GetAccessMethod() const override;
    std::int32_t GetDriveKind() override;
    // 1.44 MB (last sector 2879 at 18 sectors per track), else 720 KB (1439 at 9).
    [[nodiscard]] bool GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) override;
    [[nodiscard]] bool ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                                   std::uint32_t bufferSize) override;
    // Exists for completeness; no program flow calls it, and on Linux the drive is open
    // read-only, so it always fails there.
    [[nodiscard]] bool WriteSectors(std::uint64_t lba, std::uint32_t count, const void* buffer,
                                    std::uint32_t bufferSize) override;
    std::string DeviceNode() const override;

    static constexpr std::uint32_t kSectorBytes = 512;

private:
    bool Reset();
    bool SetMediaType(std::uint32_t tracks, std::uint32_t sectorsPerTrack);
    // The track walk shared by reads and writes; function is INT 13h AH.
    bool WalkTracks(std::uint8_t function, std::uint64_t lba, std::uint32_t count,
                    std::uint8_t* data, std::uint32_t bufferSize);

    std::unique_ptr<FloppyBios> bios_;
    int biosDrive_ = -1;
    std::uint8_t sectorsPerTrack_ = 0;
    std::int32_t kind_ = kDriveUnknown;
};

} // namespace vantrel
