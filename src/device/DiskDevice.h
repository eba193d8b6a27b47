#pragma once

// The base of every device: one opened disk with an identity, a capacity (last LBA and
// sector size) and whole-sector reads by 64-bit LBA. Devices only read; the single write
// operation exists for the floppy device and nothing in the program calls it.

#include <array>
#include <cstdint>
#include <mutex>
#include <string>

namespace vantrel {

struct ScsiRequest;

// Access method codes.
enum AccessMethod : std::int32_t {
    kAccessNone = 0,
    kAccessBios = 2,
    kAccessHandle = 3,
    kAccessScsi = 4,
};

// Device kind codes; texts in DriveKindText.
enum DriveKind : std::int32_t {
    kDriveUnknown = 0,
    kDriveDummy = 1,
    kDriveFloppy = 2,
    kDriveHardDisk = 3,
    kDriveRemovable = 4,
    kDriveCdRom = 5,
    kDriveMagnetoOptical = 6,
};

// SCSI identity strings: fixed width, space padded, NUL terminated.
struct DeviceIdentity {
    std::array<char, 9> vendor{};
    std::array<char, 17> product{};
    std::array<char, 5> revision{};
    std::uint8_t peripheralType = 0;
    std::int32_t removable = 0;
};

class CDiskDevice {
public:
    CDiskDevice();
    virtual ~CDiskDevice();
    CDiskDevice(const CDiskDevice&) = delete;
    CDiskDevice& operator=(const CDiskDevice&) = delete;

    virtual std::int32_t GetAccessMethod() const;
    virtual std::int32_t GetDriveKind();
    // Copies the identity fields into out (which may be null); succeeds.
    virtual bool GetIdentity(DeviceIdentity* out);
    [[nodiscard]] virtual bool GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize);
    [[nodiscard]] virtual bool ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                                           std::uint32_t bufferSize);
    // Sectors that will be read soon: a device that can starts fetching them. A hint that
    // reads nothing; none by default.
    virtual void WillRead(std::uint64_t lba, std::uint32_t count) {
        static_cast<void>(lba);
        static_cast<void>(count);
    }
    [[nodiscard]] virtual bool WriteSectors(std::uint64_t lba, std::uint32_t count,
                                            const void* buffer, std::uint32_t bufferSize);
    virtual bool CheckReady();
    virtual std::uint32_t GetDriveLetters();
    virtual std::uint32_t LookUpDriveLetters(std::int32_t* typeMismatch);

    // Linux stand-in for drive letters: the mount points of the partitions the device
    // holds, shown after its device node.
    virtual std::string DeviceNode() const { return {}; }

    std::uint64_t LastLba() const { return lastLba_; }
    std::uint32_t SectorSize() const { return sectorSize_; }

    // Held around every read through a window: a scan reads ahead on a thread of its own
    // while the thread testing what it read reads the same device, and not every device
    // takes two reads at once (an E01 image's library handle, a SCSI request's buffers).
    std::mutex& ReadMutex() { return readMutex_; }

protected:
    // Restores every base field to its default ("GENERIC ", "DRIVE           ", "1.00").
    void ResetFields();
    void SetIdentityStrings(const char* vendor, const char* product, const char* revision);

    DeviceIdentity identity_;
    std::uint32_t driveLetters_ = 0;
    std::uint64_t lastLba_ = 0;
    std::uint32_t sectorSize_ = 512;

private:
    std::mutex readMutex_;
};

// Copies text into a fixed-width field, space padded and NUL terminated.
template <std::size_t N>
void CopyPadded(std::array<char, N>& field, const char* text) {
    std::size_t i = 0;
    for (; i + 1 < N && text && text[i] != '\0'; ++i)
        field[i] = text[i];
    for (; i + 1 < N; ++i)
        field[i] = ' ';
    field[N - 1] = '\0';
}

const char* DriveKindText(std::int32_t kind);
// The kind an identity implies: fixed → hard disk; removable → CD-ROM, MO or removable
// disk by peripheral type.
std::int32_t DriveKindOfIdentity(const DeviceIdentity& identity);

} // namespace vantrel
