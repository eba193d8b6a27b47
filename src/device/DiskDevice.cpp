#include "device/DiskDevice.h"

namespace vantrel {

CDiskDevice::CDiskDevice() {
    ResetFields();
}

CDiskDevice::~CDiskDevice() = default;

void CDiskDevice::ResetFields() {
    SetIdentityStrings("GENERIC ", "DRIVE           ", "1.00");
    identity_.peripheralType = 0;
    identity_.removable = 0;
    driveLetters_ = 0;
    lastLba_ = 0;
    sectorSize_ = 512;
}

void CDiskDevice::SetIdentityStrings(const char* vendor, const char* product,
                                     const char* revision) {
    CopyPadded(identity_.vendor, vendor);
    CopyPadded(identity_.product, product);
    CopyPadded(identity_.revision, revision);
}

std::int32_t CDiskDevice::GetAccessMethod() const {
    return kAccessNone;
}

std::int32_t CDiskDevice::GetDriveKind() {
    DeviceIdentity id;
    if (!GetIdentity(&id))
        return kDriveUnknown;
    return DriveKindOfIdentity(id);
}

std::int32_t DriveKindOfIdentity(const DeviceIdentity& id) {
    if (!id.removable)
        return kDriveHardDisk;
    if (id.peripheralType == 5)
        return kDriveCdRom;
    if (id.peripheralType == 7)
        return kDriveMagnetoOptical;
    return kDriveRemovable;
}

bool CDiskDevice::GetIdentity(DeviceIdentity* out) {
    if (out)
        *out = identity_;
    return true;
}

bool CDiskDevice::GetCapacity(std::uint64_t*, std::uint32_t*) {
    return false;
}

bool CDiskDevice::ReadSectors(std::uint64_t, std::uint32_t, void*, std::uint32_t) {
    return false;
}

bool CDiskDevice::WriteSectors(std::uint64_t, std::uint32_t, const void*, std::uint32_t) {
    return false;
}

bool CDiskDevice::CheckReady() {
    return GetCapacity(nullptr, nullptr);
}

std::uint32_t CDiskDevice::GetDriveLetters() {
    return driveLetters_;
}

std::uint32_t CDiskDevice::LookUpDriveLetters(std::int32_t*) {
    return driveLetters_;
}

const char* DriveKindText(std::int32_t kind) {
    switch (kind) {
    case kDriveDummy:
        return "ダミードライブ";
    case kDriveFloppy:
        return "フロッピーディスク";
    case kDriveHardDisk:
        return "ハードディスク";
    case kDriveRemovable:
        return "リムーバブルディスク";
    case kDriveCdRom:
        return "CD-ROM ドライブ";
    case kDriveMagnetoOptical:
        return "光磁気ディスク";
    default:
        return "不明なデバイス";
    }
}

} // namespace vantrel
