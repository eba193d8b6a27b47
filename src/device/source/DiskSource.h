#pragma once

// Opening what a user names as the disk to examine: a device node, a raw image file or an
// Expert Witness (E01) image, and the rescue map that goes with an image. The command
// line and the desktop program open sources through these, so both read the same files
// the same way and say the same about a bad E01 segment or a bad map.

#include "device/DiskDevice.h"
#include "device/MappedDisk.h"
#include "platform/ReadOnlyFile.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {

struct DiskSourceProblem {
    // The path itself is unfit (missing, a folder, no permission...); each front end
    // words these its own way.
    SourceProblem path = SourceProblem::None;
    // Otherwise why the disk or image could not be opened, naming the file at fault.
    std::string text;
};

// Opens path read-only and measures it: an E01 image, recognised by its first bytes and
// never by its name, through CEwfDisk (with the segments that follow it); a device node
// or any other file through CHandleDisk. Null with *problem set on failure.
std::unique_ptr<CDiskDevice> OpenDiskSource(const std::string& path, DiskSourceProblem* problem);

// The rescue map at mapPath laid over disk, which must outlive the result. Null with a
// message (naming the line of a malformed map) in *problem; *warning is set when the map
// reached past the end of the disk and was clipped.
std::unique_ptr<CMappedDisk> OpenRescueMap(CDiskDevice& disk, const std::string& mapPath,
                                           std::string* problem, std::string* warning);
// The same for a disk the result is to own.
std::unique_ptr<CMappedDisk> OpenRescueMap(std::unique_ptr<CDiskDevice> disk,
                                           const std::string& mapPath, std::string* problem,
                                           std::string* warning);

// The E01 image behind disk (itself, or the image a rescue map is laid over); null for
// anything else.
const class CEwfDisk* EwfImageOf(const CDiskDevice& disk);

// What an E01 image records about itself, labelled for the user: the format, the number
// of segment files, then the case metadata present. Empty for other disks.
std::vector<std::pair<std::string, std::string>> EwfImageFacts(const CDiskDevice& disk);

} // namespace vantrel
