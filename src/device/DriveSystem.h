#pragma once

// What stands in for drive letters and drive types: a device's "letters" are the mount
// points of the partitions it holds, and its type comes from the kernel's description of
// the block device. The roots are parameters so that tests can use a tree of their own.

#include "platform/Sysfs.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

struct SystemPaths {
    std::string sysfsRoot = "/sys";
    std::string mountInfo = "/proc/self/mountinfo";
    std::string devRoot = "/dev";
};

// The kernel's entry for a device node: "/dev/sda", or "/dev/sg0" through its SCSI
// address. Empty when the node is not a whole disk the kernel lists (an image file).
std::optional<BlockDeviceEntry> BlockDeviceOfNode(const std::string& node,
                                                  const SystemPaths& paths);

// The disk the kernel lists for a block device number ("8:1"): the disk itself, or the
// disk that holds a partition (or a device stacked on it). whole is set only for the
// disk itself.
struct DiskOfDevice {
    BlockDeviceEntry entry;
    bool whole = false;
};
std::optional<DiskOfDevice> DiskOfDeviceNumber(const std::string& number, const SystemPaths& paths);
// SCSI pass-through goes to the whole disk whatever node it is sent on, so it is used
// only on a whole disk that is a SCSI device (SATA and USB disks included); never on a
// partition, a loop device, virtio, NVMe or MMC.
bool IsWholeScsiDisk(const std::string& number, const SystemPaths& paths);

// Mount points of the disk and everything it holds, in mount order, each once.
std::vector<std::string> MountsOfDevice(const BlockDeviceEntry& entry, const SystemPaths& paths);
std::vector<std::string> MountsOfNode(const std::string& node, const SystemPaths& paths);

// A floppy drive: a removable disk of the floppy driver.
bool IsFloppyLetter(const BlockDeviceEntry& entry);
bool IsFloppyLetter(const std::string& blockName, const SystemPaths& paths);

// The kind of a device after its identity has given one (CD-ROM, floppy, removable and
// fixed as the kernel reports them). A node the kernel does not list keeps its kind.
std::int32_t RefineDriveKind(std::int32_t identityKind, std::uint8_t peripheralType,
                             const std::string& node, const SystemPaths& paths);

} // namespace vantrel
