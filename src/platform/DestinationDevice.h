#pragma once

// Whether a folder that recovered files would be written to lies on the disk being
// examined, or on a file system kept inside the examined image file. Writing there could
// overwrite the very sectors being recovered.

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

enum class DestinationConflict {
    None,
    SameDevice,        // the destination's file system is on the examined device
    PartitionOfSource, // ... on a partition of the examined disk
    ContainsSource,    // ... on the disk that holds the examined partition
    InsideSourceImage, // ... inside the examined image file (a loop device over it)
    Unknown,           // the folder (or the source) could not be examined
};

// A file as the system knows it: equal identities are the same file, whatever its names.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// Device numbers gathered from the system; kept apart from the decision so that the
// decision can be tested without block devices.
struct DeviceFacts {
    bool sourceIsBlockDevice = false;
    std::uint64_t sourceDevice = 0;          // st_rdev of the examined block device
    std::uint64_t sourceParent = 0;          // its whole disk when it is a partition, else 0
    std::vector<FileIdentity> sourceFiles;   // the image file, or a loop device's backing file
    std::uint64_t destinationFileSystem = 0; // st_dev of the destination folder
    // The block devices the destination's file system is built on: its own device and,
    // through device-mapper, RAID, loop or similar layers, every device below it; each
    // with its whole disk (0 when it is no partition).
    std::vector<std::uint64_t> destinationDevices;
    std::vector<std::uint64_t> destinationParents;
    // The files that loop devices among those layers read.
    std::vector<FileIdentity> destinationBackingFiles;
};

DestinationConflict DecideDestination(const DeviceFacts& facts);

// Gathers the facts for a source path (device node or image file) and a destination
// folder; the folder need not exist yet (its nearest existing parent is examined, since
// creating the folder is already a write). False when either cannot be examined.
bool GatherDeviceFacts(const std::string& sourcePath, const std::string& destinationFolder,
                       DeviceFacts* facts);

DestinationConflict CheckDestination(const std::string& sourcePath,
                                     const std::string& destinationFolder);

// The files a source reads through: the image file itself, or the file behind a loop
// device. Recovered files must never replace one of them.
std::vector<FileIdentity> SourceFiles(const std::string& sourcePath);
// The identity of path itself (a link is not followed); false when it does not exist.
bool IdentifyFile(const std::string& path, FileIdentity* identity);

// True when the destination's file system is FAT (statfs reports the msdos type), whose
// files cannot reach 4 GB. Examines the nearest existing parent of a missing folder.
bool IsFatFileSystem(const std::string& folder);

} // namespace vantrel
