#include "device/WindowName.h"

namespace vantrel {

std::string WindowName(const CDiskWindow& window) {
    CDiskDevice* device = window.Device();
    if (!device)
        return "不明なデバイス";
    if (!window.WholeDevice())
        return "論理ドライブ";
    std::string name = DriveKindText(device->GetDriveKind());
    const std::string node = device->DeviceNode();
    if (!node.empty())
        name += "(" + node + ")";
    return name;
}

} // namespace vantrel
