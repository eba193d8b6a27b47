#pragma once

// Image files (and device nodes) named by the user, opened read-only as sources.

#include "device/DiskDevice.h"

#include <QString>
#include <memory>

namespace vantrel {

// The opened source, or null with *problem set to a message naming the path and why.
std::unique_ptr<CDiskDevice> OpenImageSource(const QString& path, QString* problem);

} // namespace vantrel
