#pragma once

// What the kernel says about block devices, SCSI addresses and mounts, read from a sysfs
// tree and a mountinfo file. Both roots are parameters so that tests can build a tree of
// their own.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel {

struct BlockDeviceEntry {
    std::string name;              // "sda", "nvme0n1", "loop0", "fd0"
    std::string dev;               // "8:0"
    bool removable = false;        // removable
    std::uint64_t sizeSectors = 0; // size, in 512-byte units whatever the sector size
    bool hasDevice = false;        // a device/ link: backed by hardware, not virtual
    std::string vendor;            // device/vendor (SCSI, ATA through libata)
    std::string model;             // device/model, or device/name (MMC)
    std::string revision;          // device/rev, or device/firmware_rev (NVMe)
    int scsiType = -1;             // device/type: SCSI peripheral device type
    std::string modalias;          // device/modalias ("virtio:d00000002v...", "scsi:t-0x00")
    std::string driver;            // name of the device/driver link
    std::string backingFile;       // loop/backing_file
    // Device numbers of the partitions the disk holds, and of devices stacked on the disk
    // or its partitions (device-mapper, md), so that their mounts count as the disk's.
    std::vector<std::string> heldDevs;
    std::vector<std::string> heldNames;
};

// The whole disks listed under <sysfsRoot>/block, sorted by name in natural order
// ("sda" < "sdb" < "sdaa", "nvme0n2" < "nvme0n10"). Partitions are never listed.
std::vector<BlockDeviceEntry> ListBlockDevices(const std::string& sysfsRoot);
// One disk of <sysfsRoot>/block; empty when the kernel lists no whole disk of that name.
std::optional<BlockDeviceEntry> ReadBlockDevice(const std::string& sysfsRoot,
                                                const std::string& name);

struct ScsiGenericEntry {
    std::string name; // "sg0"
    int host = -1;
    int channel = -1;
    int target = -1;
    int lun = -1;
    std::string blockName; // the block device of the same address ("sda"), if any
};

// <sysfsRoot>/class/scsi_generic/*, addressed by the H:C:T:L their device link names.
std::vector<ScsiGenericEntry> ListScsiGeneric(const std::string& sysfsRoot);
// One more than the highest N of <sysfsRoot>/class/scsi_host/hostN (hosts may be numbered
// with gaps), capped at 255; 0 when there is none.
int ScsiHostCount(const std::string& sysfsRoot);

struct MountEntry {
    std::string dev;        // "8:1"
    std::string mountPoint; // unescaped
    std::string source;     // "/dev/sda1", unescaped
};

// The mounts of a mountinfo file; empty when it cannot be read. Malformed lines are
// skipped.
std::vector<MountEntry> ReadMountInfo(const std::string& path);
// Parses one mountinfo line; false when it is malformed.
bool ParseMountInfoLine(const std::string& line, MountEntry& entry);

// Natural order: digit runs compare by value.
bool NaturalLess(const std::string& a, const std::string& b);

} // namespace vantrel
