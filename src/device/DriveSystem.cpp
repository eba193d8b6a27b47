#include "device/DriveSystem.h"

#include "device/DiskDevice.h"

#include <algorithm>

namespace vantrel {

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool IsNumber(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::optional<BlockDeviceEntry> BlockDeviceOfNode(const std::string& node,
                                                  const SystemPaths& paths) {
    const std::string prefix = paths.devRoot + "/";
    if (!StartsWith(node, prefix))
        return std::nullopt;
    std::string name = node.substr(prefix.size());
    if (name.empty() || name.find('/') != std::string::npos)
        return std::nullopt;
    if (StartsWith(name, "sg") && IsNumber(name.substr(2))) {
        std::string block;
        for (const ScsiGenericEntry& sg : ListScsiGeneric(paths.sysfsRoot))
            if (sg.name == name)
                block = sg.blockName;
        if (block.empty())
            return std::nullopt;
        name = block;
    }
    return ReadBlockDevice(paths.sysfsRoot, name);
}

std::optional<DiskOfDevice> DiskOfDeviceNumber(const std::string& number,
                                               const SystemPaths& paths) {
    if (number.empty())
        return std::nullopt;
    std::optional<DiskOfDevice> holder;
    for (BlockDeviceEntry& entry : ListBlockDevices(paths.sysfsRoot)) {
        if (entry.dev == number)
            return DiskOfDevice{std::move(entry), true};
        if (!holder &&
            std::find(entry.heldDevs.begin(), entry.heldDevs.end(), number) != entry.heldDevs.end())
            holder = DiskOfDevice{std::move(entry), false};
    }
    return holder;
}

bool IsWholeScsiDisk(const std::string& number, const SystemPaths& paths) {
    const auto disk = DiskOfDeviceNumber(number, paths);
    return disk && disk->whole && disk->entry.scsiType >= 0 && disk->entry.backingFile.empty();
}

std::vector<std::string> MountsOfDevice(const BlockDeviceEntry& entry, const SystemPaths& paths) {
    std::vector<std::string> devs = entry.heldDevs;
    devs.push_back(entry.dev);
    std::vector<std::string> sources;
    sources.push_back(paths.devRoot + "/" + entry.name);
    for (const std::string& held : entry.heldNames)
        sources.push_back(paths.devRoot + "/" + held);

    std::vector<std::string> mounts;
    for (const MountEntry& mount : ReadMountInfo(paths.mountInfo)) {
        // File systems such as btrfs report an anonymous device number; their source
        // still names the partition.
        const bool byNumber =
            !entry.dev.empty() && std::find(devs.begin(), devs.end(), mount.dev) != devs.end();
        const bool bySource =
            std::find(sources.begin(), sources.end(), mount.source) != sources.end();
        if ((byNumber || bySource) &&
            std::find(mounts.begin(), mounts.end(), mount.mountPoint) == mounts.end())
            mounts.push_back(mount.mountPoint);
    }
    return mounts;
}

std::vector<std::string> MountsOfNode(const std::string& node, const SystemPaths& paths) {
    const auto entry = BlockDeviceOfNode(node, paths);
    return entry ? MountsOfDevice(*entry, paths) : std::vector<std::string>{};
}

bool IsFloppyLetter(const BlockDeviceEntry& entry) {
    if (!entry.removable && entry.driver != "floppy")
        return false;
    return entry.driver == "floppy" ||
           (StartsWith(entry.name, "fd") && IsNumber(entry.name.substr(2)));
}

bool IsFloppyLetter(const std::string& blockName, const SystemPaths& paths) {
    const auto entry = BlockDeviceOfNode(paths.devRoot + "/" + blockName, paths);
    return entry && IsFloppyLetter(*entry);
}

std::int32_t RefineDriveKind(std::int32_t identityKind, std::uint8_t peripheralType,
                             const std::string& node, const SystemPaths& paths) {
    if (identityKind == kDriveUnknown)
        return kDriveUnknown; // no identity, no kind
    const auto entry = BlockDeviceOfNode(node, paths);
    if (!entry)
        return identityKind;
    if (entry->scsiType == 5)
        return kDriveCdRom;
    // A loop device over an image file is media the user brought, not a fixed disk.
    if (entry->removable || !entry->backingFile.empty()) {
        if (IsFloppyLetter(*entry))
            return kDriveFloppy;
        if (peripheralType == 7)
            return kDriveMagnetoOptical;
        return kDriveRemovable;
    }
    return kDriveHardDisk;
}

} // namespace vantrel
