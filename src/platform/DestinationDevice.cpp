#include "platform/DestinationDevice.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace vantrel {

namespace {

constexpr long kMsdosSuperMagic = 0x4d44;
// Device layers are rarely more than a few deep; the bound guards against a sysfs loop.
constexpr int kMaxLayerDepth = 16;

bool Contains(const std::vector<std::uint64_t>& list, std::uint64_t value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

std::string SysfsPath(std::uint64_t device) {
    char path[64];
    std::snprintf(path, sizeof path, "/sys/dev/block/%u:%u", ::major(device), ::minor(device));
    return path;
}

bool ReadDeviceNumber(const std::string& devFile, std::uint64_t* device) {
    FILE* file = std::fopen(devFile.c_str(), "re");
    if (!file)
        return false;
    unsigned major = 0;
    unsigned minor = 0;
    const bool ok = std::fscanf(file, "%u:%u", &major, &minor) == 2;
    std::fclose(file);
    if (ok)
        *device = ::makedev(major, minor);
    return ok;
}

// The whole disk of a partition, 0 for anything else.
std::uint64_t ParentDisk(std::uint64_t device) {
    const std::string base = SysfsPath(device);
    if (::access((base + "/partition").c_str(), F_OK) != 0)
        return 0;
    std::uint64_t parent = 0;
    return ReadDeviceNumber(base + "/../dev", &parent) ? parent : 0;
}

FileIdentity IdentityOf(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// The file a loop device reads, when it is one and the file still exists.
bool LoopBackingFile(std::uint64_t device, struct stat* info) {
    FILE* file = std::fopen((SysfsPath(device) + "/loop/backing_file").c_str(), "re");
    if (!file)
        return false;
    char backing[PATH_MAX + 1] = {};
    const bool read = std::fgets(backing, sizeof backing, file) != nullptr;
    std::fclose(file);
    if (!read)
        return false;
    std::string path = backing;
    while (!path.empty() && path.back() == '\n')
        path.pop_back();
    return ::stat(path.c_str(), info) == 0;
}

// The device and everything below it ("slaves" of device-mapper, md, ...; the file
// system that holds a loop device's file, and what that is built on).
void CollectLayers(std::uint64_t device, int depth, DeviceFacts* facts) {
    std::vector<std::uint64_t>* out = &facts->destinationDevices;
    if (depth > kMaxLayerDepth || Contains(*out, device))
        return;
    out->push_back(device);
    struct stat backing {};
    if (LoopBackingFile(device, &backing)) {
        facts->destinationBackingFiles.push_back(IdentityOf(backing));
        CollectLayers(backing.st_dev, depth + 1, facts);
    }
    const std::string slaves = SysfsPath(device) + "/slaves";
    DIR* dir = ::opendir(slaves.c_str());
    if (!dir)
        return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        std::uint64_t lower = 0;
        if (ReadDeviceNumber(slaves + "/" + std::string(name) + "/dev", &lower))
            CollectLayers(lower, depth + 1, facts);
    }
    ::closedir(dir);
}

// The nearest existing folder at or above path.
bool StatNearestExisting(std::string path, struct stat* info, std::string* found) {
    if (path.empty())
        path = ".";
    for (int i = 0; i < 4096; ++i) {
        if (::stat(path.c_str(), info) == 0) {
            if (found)
                *found = path;
            return true;
        }
        if ((errno != ENOENT && errno != ENOTDIR) || path == "/" || path == ".")
            return false;
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        const std::size_t slash = path.rfind('/');
        path = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    }
    return false;
}

} // namespace

DestinationConflict DecideDestination(const DeviceFacts& facts) {
    // Beside an image file is fine; inside it (through a loop device) is not.
    for (const FileIdentity& backing : facts.destinationBackingFiles)
        if (std::find(facts.sourceFiles.begin(), facts.sourceFiles.end(), backing) !=
            facts.sourceFiles.end())
            return DestinationConflict::InsideSourceImage;
    if (!facts.sourceIsBlockDevice)
        return DestinationConflict::None;
    for (std::size_t i = 0; i < facts.destinationDevices.size(); ++i) {
        const std::uint64_t device = facts.destinationDevices[i];
        const std::uint64_t parent =
            i < facts.destinationParents.size() ? facts.destinationParents[i] : 0;
        if (device == facts.sourceDevice)
            return DestinationConflict::SameDevice;
        if (parent != 0 && parent == facts.sourceDevice)
            return DestinationConflict::PartitionOfSource;
        if (facts.sourceParent != 0 && device == facts.sourceParent)
            return DestinationConflict::ContainsSource;
    }
    return DestinationConflict::None;
}

std::vector<FileIdentity> SourceFiles(const std::string& sourcePath) {
    std::vector<FileIdentity> files;
    struct stat source {};
    if (::stat(sourcePath.c_str(), &source) != 0)
        return files;
    if (S_ISREG(source.st_mode))
        files.push_back(IdentityOf(source));
    struct stat backing {};
    if (S_ISBLK(source.st_mode) && LoopBackingFile(source.st_rdev, &backing))
        files.push_back(IdentityOf(backing));
    return files;
}

bool IdentifyFile(const std::string& path, FileIdentity* identity) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return false;
    *identity = IdentityOf(info);
    return true;
}

bool GatherDeviceFacts(const std::string& sourcePath, const std::string& destinationFolder,
                       DeviceFacts* facts) {
    *facts = DeviceFacts{};
    struct stat source {};
    if (::stat(sourcePath.c_str(), &source) != 0)
        return false;
    if (S_ISBLK(source.st_mode)) {
        facts->sourceIsBlockDevice = true;
        facts->sourceDevice = source.st_rdev;
        facts->sourceParent = ParentDisk(source.st_rdev);
    }
    facts->sourceFiles = SourceFiles(sourcePath);

    struct stat destination {};
    if (!StatNearestExisting(destinationFolder, &destination, nullptr))
        return false;
    facts->destinationFileSystem = destination.st_dev;
    CollectLayers(destination.st_dev, 0, facts);
    for (const std::uint64_t device : facts->destinationDevices)
        facts->destinationParents.push_back(ParentDisk(device));
    return true;
}

DestinationConflict CheckDestination(const std::string& sourcePath,
                                     const std::string& destinationFolder) {
    DeviceFacts facts;
    if (!GatherDeviceFacts(sourcePath, destinationFolder, &facts))
        return DestinationConflict::Unknown;
    return DecideDestination(facts);
}

bool IsFatFileSystem(const std::string& folder) {
    struct stat info {};
    std::string path;
    if (!StatNearestExisting(folder, &info, &path))
        return false;
    struct statfs fs {};
    if (::statfs(path.c_str(), &fs) != 0)
        return false;
    return fs.f_type == kMsdosSuperMagic;
}

} // namespace vantrel
