#pragma once

// A disk reached through a read-only handle on a device node or an image file. Image
// files count as whole devices with 512-byte sectors.

#include "device/DiskDevice.h"
#include "device/DriveSystem.h"
#include "platform/ReadOnlyFile.h"

#include <memory>
#include <string>

namespace vantrel {

class CHandleDisk : public CDiskDevice {
public:
    explicit CHandleDisk(SystemPaths paths = {});
    ~CHandleDisk() override;

    // Opens, identifies and measures the device once: a block device the kernel lists
    // takes its identity and kind as the drive list gives them (INQUIRY through SCSI
    // pass-through only for a whole SCSI disk).
    [[nodiscard]] bool Open(const std::string& path);
    // A device opened by someone else (the system's disk service) as a read-only
    // descriptor, of which a duplicate is kept for the life of the disk (the path cannot
    // be reopened); path names it and identity is what the kernel told about it.
    [[nodiscard]] bool OpenDescriptor(int fd, const std::string& path,
                                      const DeviceIdentity& identity);
    void Close();
    bool IsOpen() const { return file_.IsOpen(); }
    const std::string& Path() const { return path_; }
    bool IsImageFile() const { return file_.IsRegularFile(); }
    // For safety checks of a salvage destination against the source.
    std::uint64_t DeviceNumber() const { return file_.DeviceNumber(); }
    int Descriptor() const { return file_.Descriptor(); }

    std::int32_t GetAccessMethod() const override;
    std::int32_t GetDriveKind() override;
    [[nodiscard]] bool GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) override;
    [[nodiscard]] bool ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                                   std::uint32_t bufferSize) override;
    void WillRead(std::uint64_t lba, std::uint32_t count) override;
    std::string DeviceNode() const override { return path_; }

protected:
    const SystemPaths& Paths() const { return paths_; }

private:
    bool OpenHandle(const std::string& path);
    void Identify(const std::string& path);
    bool Measure();

    ReadOnlyFile file_;
    std::int32_t kind_ = kDriveUnknown;
    std::string path_;
    bool adopted_ = false;
    bool passThrough_ = false; // a whole SCSI disk: pass-through may be asked
    bool measured_ = false;
    SystemPaths paths_;
};

} // namespace vantrel
