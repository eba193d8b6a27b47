#pragma once

// The name a device window is shown with: the drive-kind text and, on this platform,
// the device node in place of drive letters, e.g. ハードディスク(/dev/sda); a window
// inside an extended partition is a logical drive.

#include "device/DiskWindow.h"

#include <string>

namespace vantrel {

// UTF-8.
std::string WindowName(const CDiskWindow& window);

} // namespace vantrel
