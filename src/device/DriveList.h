#pragma once

// The list of drives the user may examine: fixed disks, then removable media, then
// floppy drives, each group in the kernel's name order. Whole disks only.

#include "device/DiskDevice.h"
#include "device/DriveSystem.h"

#include <memory>
#include <string>
#include <vector>

namespace vantrel {

using DriveList = std::vector<std::unique_ptr<CDiskDevice>>;

// A disk the kernel lists that could not be opened; reported rather than dropped.
struct UnopenedDrive {
    std::string node;
    int errnoValue = 0;
    bool needsRoot = false; // EACCES or EPERM while not running as root
    // What the kernel tells about it, so that it can still be shown.
    std::string description;
    std::string detail;
    DeviceIdentity identity;
};

// Replaces list's entries. Each disk is taken through SCSI pass-through when it answers
// INQUIRY there, otherwise through a handle with the kernel's identity; floppy drives
// through the track walk. Loop devices over an image file count as removable disks.
bool EnumerateDrives(DriveList& list, bool includeFixed, bool includeRemovable,
                     const SystemPaths& paths = {}, std::vector<UnopenedDrive>* unopened = nullptr);

// The 9x-family order: floppy drives 0 and 1, then every SCSI address (host adapter,
// target 0-6, LUN 0-6) that answers INQUIRY.
bool EnumerateLegacyDrives(DriveList& list, bool includeFixed, bool includeRemovable,
                           const SystemPaths& paths = {});

// "ハードディスク(/dev/sda: /, /boot)": the kind text, then the device node, the image
// file of a loop device in brackets, and the mount points of what the disk holds.
std::string DeviceDescription(CDiskDevice& device, const SystemPaths& paths = {});
// The capacity text ("1.4 MB", "1.8 TB"); "" when the capacity is unknown.
std::string DeviceDetail(CDiskDevice& device);

} // namespace vantrel
