#pragma once

// Image files (and device nodes) named by the user, opened read-only as sources: raw
// images, E01 images (recognised by their first bytes) and images with the map of the
// rescue run that made them.

#include "device/DiskDevice.h"

#include <QString>
#include <memory>

namespace vantrel {

// The opened source, or null with *problem set to a message naming the file at fault and
// why.
std::unique_ptr<CDiskDevice> OpenImageSource(const QString& path, QString* problem);

// The image with the rescue map at mapPath laid over it: the areas the map marks as not
// read fail to read like bad sectors. Null with *problem set (a malformed map names its
// line); *warning is set when the map reached past the image's end and was clipped.
std::unique_ptr<CDiskDevice> AttachRescueMap(std::unique_ptr<CDiskDevice> image,
                                             const QString& mapPath, QString* problem,
                                             QString* warning);

} // namespace vantrel
