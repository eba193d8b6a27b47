#pragma once

// A read-only handle on a device node or an image file. Nothing in the program opens
// the examined disk any other way, so nothing can write to it.

#include <cstdint>
#include <string>

namespace vantrel {

enum class SourceProblem {
    None,
    Missing,      // no such path
    IsDirectory,  // a folder, not a disk or an image
    NoPermission, // exists but cannot be opened for reading
    Empty,        // zero bytes
    NotADisk,     // a character device, socket or pipe that is no disk
    OpenFailed,   // any other open failure
};

class ReadOnlyFile {
public:
    ReadOnlyFile() = default;
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    // Opens with O_RDONLY | O_CLOEXEC. Returns false and leaves the handle closed on
    // failure; LastErrno() then tells why.
    [[nodiscard]] bool Open(const std::string& path);
    // Keeps a duplicate of a descriptor opened elsewhere (a disk service hands one over);
    // the caller keeps and closes its own. Refused unless the descriptor was opened
    // read-only: no handle on a source may ever allow writing.
    [[nodiscard]] bool OpenDuplicate(int fd);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    int Descriptor() const { return fd_; }
    int LastErrno() const { return lastErrno_; }

    // Reads exactly size bytes at offset, retrying interrupted and short reads; false
    // when the whole range could not be read (an end of file inside it included).
    [[nodiscard]] bool ReadAt(std::uint64_t offset, void* buffer, std::size_t size);
    // Tells the system that size bytes at offset will be read soon, so that it fetches
    // them while the caller does other work. A hint: reads nothing, may do nothing.
    void WillRead(std::uint64_t offset, std::uint64_t size);

    bool IsBlockDevice() const;
    bool IsRegularFile() const;
    // fstat size of a regular file; 0 for anything else or on failure.
    std::uint64_t FileSize() const;
    // BLKGETSIZE64 of a block device; 0 on failure.
    std::uint64_t BlockDeviceSize() const;
    // BLKSSZGET of a block device; 0 on failure.
    std::uint32_t LogicalSectorSize() const;
    // st_rdev of a block device or st_dev of the file system holding a file.
    std::uint64_t DeviceNumber() const;
    // "major:minor" of a block device, as sysfs writes it; empty for anything else.
    std::string BlockDeviceNumberText() const;

private:
    int fd_ = -1;
    int lastErrno_ = 0;
};

// Checks a path named on a command line before it is opened as a source.
SourceProblem CheckSourcePath(const std::string& path);

} // namespace vantrel
