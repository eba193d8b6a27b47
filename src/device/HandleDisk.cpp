#include "device/HandleDisk.h"

#include "device/HandleCapacity.h"
#include "device/PassThroughProbe.h"
#include "device/SysfsDisk.h"

namespace vantrel {

CHandleDisk::CHandleDisk(SystemPaths paths) : paths_(std::move(paths)) {}

CHandleDisk::~CHandleDisk() {
    Close();
}

void CHandleDisk::Close() {
    file_.Close();
    kind_ = kDriveUnknown;
    path_.clear();
    adopted_ = false;
    passThrough_ = false;
    measured_ = false;
    ResetFields();
}

bool CHandleDisk::OpenHandle(const std::string& path) {
    if (adopted_)
        return file_.IsOpen();
    return file_.Open(path);
}

bool CHandleDisk::OpenDescriptor(int fd, const std::string& path, const DeviceIdentity& identity) {
    Close();
    if (!file_.OpenDuplicate(fd))
        return false;
    adopted_ = true;
    identity_ = identity;
    kind_ = CDiskDevice::GetDriveKind();
    path_ = path;
    Measure();
    return true;
}

bool CHandleDisk::Open(const std::string& path) {
    Close();
    if (!OpenHandle(path))
        return false;
    path_ = path;
    Identify(path);
    // Measured once here: every listed file asks its window for the capacity, and a
    // query per file would reopen the source and send a drive command each time.
    Measure();
    return true;
}

void CHandleDisk::Identify(const std::string& path) {
    bool identified = false;
    kind_ = kDriveUnknown;
    if (file_.IsBlockDevice()) {
        const std::string number = file_.BlockDeviceNumberText();
        passThrough_ = IsWholeScsiDisk(number, paths_);
        DeviceIdentity id;
        if (passThrough_ && ProbePassThroughIdentity(path, &id)) {
            identity_ = id;
            identified = true;
        }
        // The same rule as the drive list, so that a device opened by its path (a
        // partition of it included) shows the kind the list shows.
        if (const auto disk = DiskOfDeviceNumber(number, paths_)) {
            if (!identified)
                identity_ = IdentityFromSysfs(disk->entry);
            identified = true;
            kind_ = RefineDriveKind(DriveKindOfIdentity(identity_), identity_.peripheralType,
                                    paths_.devRoot + "/" + disk->entry.name, paths_);
        }
    }
    if (kind_ == kDriveUnknown)
        kind_ = CDiskDevice::GetDriveKind();
    if (identified)
        return;
    if (kind_ == kDriveFloppy || kind_ == kDriveRemovable) {
        identity_.removable = 1;
    } else if (kind_ == kDriveCdRom) {
        identity_.peripheralType = 5;
        identity_.removable = 1;
    } else if (kind_ == kDriveMagnetoOptical) {
        identity_.peripheralType = 7;
        identity_.removable = 1;
    }
}

std::int32_t CHandleDisk::GetAccessMethod() const {
    return kAccessHandle;
}

std::int32_t CHandleDisk::GetDriveKind() {
    return kind_;
}

bool CHandleDisk::Measure() {
    lastLba_ = 0;
    sectorSize_ = 512;
    measured_ = false;
    if (path_.empty() || !file_.IsOpen())
        return false;
    CapacitySources sources;
    if (file_.IsBlockDevice()) {
        // READ CAPACITY on a partition node answers for the whole disk.
        if (passThrough_)
            sources.passThroughOk = ProbePassThroughCapacity(path_, &sources.passThroughLastLba,
                                                             &sources.passThroughBlockSize);
        sources.lengthInfo = file_.BlockDeviceSize();
        sources.kernelSectorSize = file_.LogicalSectorSize();
    } else {
        sources.fileSize = file_.FileSize();
    }
    const CapacityResult result = ChooseCapacity(sources);
    if (!result.ok)
        return false;
    lastLba_ = result.lastLba;
    sectorSize_ = result.sectorSize;
    measured_ = true;
    return true;
}

bool CHandleDisk::GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) {
    if (!measured_)
        return false;
    if (lastLba)
        *lastLba = lastLba_;
    if (sectorSize)
        *sectorSize = sectorSize_;
    return true;
}

bool CHandleDisk::ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                              std::uint32_t bufferSize) {
    if (!buffer || lba > lastLba_ || count > lastLba_ - lba + 1)
        return false;
    const std::uint64_t bytes = static_cast<std::uint64_t>(count) * sectorSize_;
    if (bufferSize < bytes)
        return false;
    // A short read (the end of an image file inside the range) is a failure, not data.
    return file_.ReadAt(lba * sectorSize_, buffer, static_cast<std::size_t>(bytes));
}

void CHandleDisk::WillRead(std::uint64_t lba, std::uint32_t count) {
    if (count == 0 || lba > lastLba_ || count > lastLba_ - lba + 1)
        return;
    file_.WillRead(lba * sectorSize_, std::uint64_t{count} * sectorSize_);
}

} // namespace vantrel
