#include "device/SysfsDisk.h"

#include "platform/ReadOnlyFile.h"

namespace vantrel {

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Cuts text to at most limit bytes without splitting a UTF-8 sequence.
std::string CutUtf8(const std::string& text, std::size_t limit) {
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace

DeviceIdentity IdentityFromSysfs(const BlockDeviceEntry& entry) {
    DeviceIdentity id;
    std::string vendor = entry.vendor;
    std::string product = entry.model;
    std::string revision = entry.revision;
    // Some buses give a numeric vendor id ("0x1af4"); it is no name.
    if (StartsWith(vendor, "0x"))
        vendor.clear();
    if (StartsWith(entry.modalias, "virtio:")) {
        vendor = "VIRTIO";
        if (product.empty() && StartsWith(entry.modalias, "virtio:d00000002"))
            product = "BLOCK DEVICE"; // virtio device id 2
    }
    if (!entry.backingFile.empty()) {
        vendor = "LOOP";
        product = CutUtf8(BaseName(entry.backingFile), id.product.size() - 1);
    }
    CopyPadded(id.vendor, vendor.empty() ? "GENERIC " : vendor.c_str());
    CopyPadded(id.product, product.empty() ? "DRIVE           " : product.c_str());
    CopyPadded(id.revision, revision.empty() ? "1.00" : revision.c_str());
    id.peripheralType = entry.scsiType >= 0 && entry.scsiType <= 0x1F
                            ? static_cast<std::uint8_t>(entry.scsiType)
                            : 0;
    id.removable = (entry.removable || !entry.backingFile.empty()) ? 1 : 0;
    return id;
}

CSysfsDisk::CSysfsDisk(SystemPaths paths) : CHandleDisk(std::move(paths)) {}

bool CSysfsDisk::Open(const std::string& path, const BlockDeviceEntry& entry) {
    kind_ = kDriveUnknown;
    backingFile_.clear();
    openErrno_ = 0;
    if (!CHandleDisk::Open(path)) {
        ReadOnlyFile probe; // only to learn why the node cannot be opened
        openErrno_ = probe.Open(path) ? 0 : probe.LastErrno();
        return false;
    }
    identity_ = IdentityFromSysfs(entry);
    backingFile_ = entry.backingFile;
    kind_ = RefineDriveKind(CDiskDevice::GetDriveKind(), identity_.peripheralType, path, Paths());
    return true;
}

std::int32_t CSysfsDisk::GetDriveKind() {
    return kind_;
}

} // namespace vantrel
