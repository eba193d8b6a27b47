#pragma once

// Opening the SOURCE argument of a command: a device node or an image file, read only.

#include <memory>
#include <string>

#include "device/HandleDisk.h"

namespace vantrel::cli {

// Opens path and asks its capacity. On failure prints one clear message on stderr and
// returns null; the command then exits with kExitUsage.
std::unique_ptr<CHandleDisk> OpenSource(const std::string& path);

} // namespace vantrel::cli
