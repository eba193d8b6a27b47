#include "device/DriveList.h"

#include "device/AspiDisk.h"
#include "device/BiosDisk.h"
#include "device/CapacityText.h"
#include "device/DiskWindow.h"
#include "device/PassThroughDisk.h"
#include "device/SysfsDisk.h"
#include "platform/Privileges.h"
#include "platform/ScsiPassThrough.h"

#include <cerrno>

namespace vantrel {

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

// Virtual devices other than loop devices (RAM disks, zram, device-mapper, md, nbd) are
// built on disks that are listed themselves, or on none.
bool IsListable(const BlockDeviceEntry& entry) {
    if (StartsWith(entry.name, "loop"))
        return !entry.backingFile.empty();
    return entry.hasDevice;
}

std::string NodeText(const std::string& node, const BlockDeviceEntry& entry,
                     const SystemPaths& paths) {
    std::string text = node;
    if (!entry.backingFile.empty())
        text += " [" + entry.backingFile + "]";
    const std::vector<std::string> mounts = MountsOfDevice(entry, paths);
    for (std::size_t i = 0; i < mounts.size(); ++i)
        text += (i == 0 ? ": " : ", ") + mounts[i];
    return text;
}

// A disk the kernel lists but that cannot be opened is described from what the kernel
// says about it, so that the user learns it exists and why it is not offered.
void NoteUnopened(std::vector<UnopenedDrive>* unopened, const std::string& node, int error,
                  const BlockDeviceEntry& entry, const SystemPaths& paths) {
    if (!unopened || error == 0 || error == ENOENT || error == ENXIO || error == ENODEV)
        return; // no device behind the node: nothing to report
    UnopenedDrive drive;
    drive.node = node;
    drive.errnoValue = error;
    drive.needsRoot = (error == EACCES || error == EPERM) && !RunningAsRoot();
    drive.identity = IdentityFromSysfs(entry);
    const std::int32_t kind = RefineDriveKind(DriveKindOfIdentity(drive.identity),
                                              drive.identity.peripheralType, node, paths);
    drive.description = std::string(DriveKindText(kind)) + "(" + NodeText(node, entry, paths) + ")";
    if (entry.sizeSectors > 0)
        drive.detail = CapacityText(entry.sizeSectors - 1, 512); // sysfs counts 512-byte units
    unopened->push_back(drive);
}

// Opens one disk: pass-through when it answers INQUIRY, else a handle.
std::unique_ptr<CDiskDevice> OpenDisk(const BlockDeviceEntry& entry, const SystemPaths& paths,
                                      std::vector<UnopenedDrive>* unopened) {
    const std::string node = paths.devRoot + "/" + entry.name;
    auto scsi = std::make_unique<CPassThroughDisk>(paths);
    if (scsi->Open(node)) {
        if (scsi->GetIdentity(nullptr))
            return scsi;
    } else if (scsi->OpenErrno() == EACCES || scsi->OpenErrno() == EPERM) {
        NoteUnopened(unopened, node, scsi->OpenErrno(), entry, paths);
        return nullptr;
    }
    scsi.reset();
    auto disk = std::make_unique<CSysfsDisk>(paths);
    if (!disk->Open(node, entry)) {
        // A drive without a medium refuses a plain open; that is no problem to report.
        if (entry.removable && disk->OpenErrno() == ENOMEDIUM)
            return nullptr;
        NoteUnopened(unopened, node, disk->OpenErrno(), entry, paths);
        return nullptr;
    }
    return disk;
}

bool IsRemovable(CDiskDevice& device) {
    DeviceIdentity id;
    return device.GetIdentity(&id) && id.removable != 0;
}

} // namespace

bool EnumerateDrives(DriveList& list, bool includeFixed, bool includeRemovable,
                     const SystemPaths& paths, std::vector<UnopenedDrive>* unopened) {
    list.clear();
    DriveList fixed, removable, floppies;
    for (const BlockDeviceEntry& entry : ListBlockDevices(paths.sysfsRoot)) {
        if (!IsListable(entry))
            continue;
        if (IsFloppyLetter(entry)) {
            // BIOS drives 0 and 1 are the only floppy drives the track walk reaches.
            if (!includeRemovable || (entry.name != "fd0" && entry.name != "fd1"))
                continue;
            auto floppy = std::make_unique<CBiosDisk>(MakeLinuxFloppyBios(paths.devRoot));
            if (floppy->Open(entry.name == "fd0" ? 0 : 1)) {
                floppies.push_back(std::move(floppy));
            } else {
                ScsiHandle probe; // only to learn why the drive cannot be opened
                const std::string node = paths.devRoot + "/" + entry.name;
                NoteUnopened(unopened, node, probe.Open(node) ? 0 : probe.LastErrno(), entry,
                             paths);
            }
            continue;
        }
        auto disk = OpenDisk(entry, paths, unopened);
        if (!disk)
            continue;
        if (IsRemovable(*disk)) {
            if (includeRemovable)
                removable.push_back(std::move(disk));
        } else if (includeFixed) {
            fixed.push_back(std::move(disk));
        }
    }
    for (DriveList* group : {&fixed, &removable, &floppies})
        for (auto& device : *group)
            list.push_back(std::move(device));
    return true;
}

bool EnumerateLegacyDrives(DriveList& list, bool includeFixed, bool includeRemovable,
                           const SystemPaths& paths) {
    list.clear();
    for (int drive = 0; drive <= 1; ++drive) {
        auto floppy = std::make_unique<CBiosDisk>(MakeLinuxFloppyBios(paths.devRoot));
        DeviceIdentity id;
        if (floppy->Open(drive) && floppy->GetIdentity(&id) &&
            (id.removable ? includeRemovable : includeFixed))
            list.push_back(std::move(floppy));
    }
    auto aspi = std::make_unique<CAspiDisk>(paths);
    const int adapters = aspi->HostAdapterCount();
    for (int adapter = 0; adapter < adapters; ++adapter) {
        for (std::uint8_t target = 0; target <= CAspiDisk::kHighestProbed; ++target) {
            for (std::uint8_t lun = 0; lun <= CAspiDisk::kHighestProbed; ++lun) {
                DeviceIdentity id;
                if (!aspi->Select(static_cast<std::uint8_t>(adapter), target, lun) ||
                    !aspi->GetIdentity(&id) || !(id.removable ? includeRemovable : includeFixed))
                    continue;
                list.push_back(std::move(aspi));
                aspi = std::make_unique<CAspiDisk>(paths);
            }
        }
    }
    return true;
}

std::string DeviceDescription(CDiskDevice& device, const SystemPaths& paths) {
    CDiskWindow window;
    if (!window.Open(&device, 0, 0))
        return DriveKindText(kDriveUnknown);
    std::string text = DriveKindText(device.GetDriveKind());
    const std::string node = device.DeviceNode();
    if (node.empty())
        return text;
    // Mount points stand where drive letters would, and only for an identified device.
    const auto entry = BlockDeviceOfNode(node, paths);
    if (entry && device.GetIdentity(nullptr))
        return text + "(" + NodeText(node, *entry, paths) + ")";
    return text + "(" + node + ")";
}

std::string DeviceDetail(CDiskDevice& device) {
    CDiskWindow window;
    std::uint64_t lastLba = 0;
    std::uint32_t sectorSize = 0;
    if (!window.Open(&device, 0, 0) || !window.GetCapacity(&lastLba, &sectorSize))
        return {};
    return CapacityText(lastLba, sectorSize);
}

} // namespace vantrel
