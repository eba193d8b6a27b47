#pragma once

// A whole disk that answers no SCSI pass-through (virtio, NVMe, MMC, loop devices), read
// through a handle and identified from what the kernel reports about it.

#include "device/DriveSystem.h"
#include "device/HandleDisk.h"

namespace vantrel {

class CSysfsDisk : public CHandleDisk {
public:
    explicit CSysfsDisk(SystemPaths paths = {});

    // Opens the node and takes its identity from entry.
    bool Open(const std::string& path, const BlockDeviceEntry& entry);
    std::int32_t GetDriveKind() override;
    // The backing file of a loop device; empty otherwise.
    const std::string& BackingFile() const { return backingFile_; }
    // errno of the last failed Open.
    int OpenErrno() const { return openErrno_; }

private:
    std::int32_t kind_ = kDriveUnknown;
    std::string backingFile_;
    int openErrno_ = 0;
};

// The identity strings and flags the kernel gives for a block device: vendor, model and
// revision of SCSI, ATA, NVMe and MMC disks; the bus for virtio; "LOOP" and the backing
// file's name for loop devices.
DeviceIdentity IdentityFromSysfs(const BlockDeviceEntry& entry);

} // namespace vantrel
