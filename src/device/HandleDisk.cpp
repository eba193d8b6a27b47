#include "device/HandleDisk.h"

#include "device/HandleCapacity.h"
#include "device/PassThroughProbe.h"

namespace vantrel {

CHandleDisk::CHandleDisk() = default;

CHandleDisk::~CHandleDisk() {
    Close();
}

void CHandleDisk::Close() {
    file_.Close();
    kind_ = kDriveUnknown;
    path_.clear();
    adopted_ = false;
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
    return true;
}

bool CHandleDisk::Open(const std::string& path) {
    Close();
    if (!OpenHandle(path))
        return false;
    bool identified = false;
    if (file_.IsBlockDevice()) {
        DeviceIdentity id;
        if (ProbePassThroughIdentity(path, &id)) {
            identity_ = id;
            identified = true;
        }
    }
    kind_ = CDiskDevice::GetDriveKind();
    if (!identified) {
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
    path_ = path;
    return true;
}

std::int32_t CHandleDisk::GetAccessMethod() const {
    return kAccessHandle;
}

std::int32_t CHandleDisk::GetDriveKind() {
    return kind_;
}

bool CHandleDisk::GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) {
    lastLba_ = 0;
    sectorSize_ = 512;
    // Reopen by path: a medium may have been changed since the last look.
    if (path_.empty() || !OpenHandle(path_))
        return false;
    CapacitySources sources;
    if (file_.IsBlockDevice()) {
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

} // namespace vantrel
