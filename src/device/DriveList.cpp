#include "device/DriveList.h"

#include "device/AspiDisk.h"
#include "device/BiosDisk.h"
#include "device/CapacityText.h"
#include "device/DiskWindow.h"
#include "device/PassThroughDisk.h"
#include "device/SysfsDisk.h"

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

void NoteUnopened(std::vector<UnopenedDrive>* unopened, const std::string& node, int error) {
    if (!unopened || error == 0 || error == ENOENT || error == ENXIO || error == ENODEV)
        return; // no device behind the node: nothing to report
    unopened->push_back({node, error, error == EACCES || error == EPERM});
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
        NoteUnopened(unopened, node, scsi->OpenErrno());
        return nullptr;
    }
    scsi.reset();
    auto disk = std::make_unique<CSysfsDisk>(paths);
    if (!disk->Open(node, entry)) {
        // A drive without a medium refuses a plain open; that is no problem to report.
        if (entry.removable && disk->OpenErrno() == ENOMEDIUM)
            return nullptr;
        NoteUnopened(unopened, node, disk->OpenErrno());
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
            if (floppy->Open(entry.name == "fd0" ? 0 : 1))
                floppies.push_back(std::move(floppy));
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
    text += "(" + node;
    const auto entry = BlockDeviceOfNode(node, paths);
    if (entry && !entry->backingFile.empty())
        text += " [" + entry->backingFile + "]";
    if (entry && device.GetIdentity(nullptr)) {
        const std::vector<std::string> mounts = MountsOfDevice(*entry, paths);
        for (std::size_t i = 0; i < mounts.size(); ++i)
            text += (i == 0 ? ": " : ", ") + mounts[i];
    }
    return text + ")";
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
