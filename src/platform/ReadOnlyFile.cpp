#include "platform/ReadOnlyFile.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace vantrel {

ReadOnlyFile::~ReadOnlyFile() {
    Close();
}

bool ReadOnlyFile::Open(const std::string& path) {
    Close();
    int fd;
    // O_NONBLOCK only for the open itself: opening a FIFO named by mistake must not wait
    // for a writer. Reads are blocking again below.
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        lastErrno_ = errno;
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        lastErrno_ = errno;
        ::close(fd);
        return false;
    }
    fd_ = fd;
    lastErrno_ = 0;
    return true;
}

bool ReadOnlyFile::OpenDuplicate(int fd) {
    Close();
    const int flags = fd < 0 ? -1 : ::fcntl(fd, F_GETFL);
    if (flags < 0) {
        lastErrno_ = fd < 0 ? EBADF : errno;
        return false;
    }
    if ((flags & O_ACCMODE) != O_RDONLY) {
        lastErrno_ = EACCES;
        return false;
    }
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) {
        lastErrno_ = errno;
        return false;
    }
    fd_ = copy;
    lastErrno_ = 0;
    return true;
}

void ReadOnlyFile::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool ReadOnlyFile::ReadAt(std::uint64_t offset, void* buffer, std::size_t size) {
    if (fd_ < 0)
        return false;
    auto* out = static_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const std::uint64_t at = offset + done;
        if (at < offset || at > static_cast<std::uint64_t>(INT64_MAX))
            return false;
        const ssize_t got = ::pread(fd_, out + done, size - done, static_cast<off_t>(at));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            lastErrno_ = errno;
            return false;
        }
        if (got == 0) // end of file inside the range
            return false;
        done += static_cast<std::size_t>(got);
    }
    return true;
}

void ReadOnlyFile::WillRead(std::uint64_t offset, std::uint64_t size) {
    if (fd_ < 0 || size == 0 || offset > static_cast<std::uint64_t>(INT64_MAX) ||
        size > static_cast<std::uint64_t>(INT64_MAX) - offset)
        return;
    // Only a hint: a descriptor that cannot take it reads as before.
    static_cast<void>(::posix_fadvise(fd_, static_cast<off_t>(offset), static_cast<off_t>(size),
                                      POSIX_FADV_WILLNEED));
}

bool ReadOnlyFile::IsBlockDevice() const {
    struct stat st {};
    return fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISBLK(st.st_mode);
}

bool ReadOnlyFile::IsRegularFile() const {
    struct stat st {};
    return fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
}

std::uint64_t ReadOnlyFile::FileSize() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0)
        return 0;
    return static_cast<std::uint64_t>(st.st_size);
}

std::uint64_t ReadOnlyFile::BlockDeviceSize() const {
    std::uint64_t bytes = 0;
    if (fd_ < 0 || ::ioctl(fd_, BLKGETSIZE64, &bytes) != 0)
        return 0;
    return bytes;
}

std::uint32_t ReadOnlyFile::LogicalSectorSize() const {
    int size = 0;
    if (fd_ < 0 || ::ioctl(fd_, BLKSSZGET, &size) != 0 || size <= 0)
        return 0;
    return static_cast<std::uint32_t>(size);
}

std::uint64_t ReadOnlyFile::DeviceNumber() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        return 0;
    return S_ISBLK(st.st_mode) ? st.st_rdev : st.st_dev;
}

std::string ReadOnlyFile::BlockDeviceNumberText() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISBLK(st.st_mode))
        return {};
    return std::to_string(major(st.st_rdev)) + ":" + std::to_string(minor(st.st_rdev));
}

SourceProblem CheckSourcePath(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == EACCES ? SourceProblem::NoPermission : SourceProblem::Missing;
    if (S_ISDIR(st.st_mode))
        return SourceProblem::IsDirectory;
    if (!S_ISREG(st.st_mode) && !S_ISBLK(st.st_mode))
        return SourceProblem::NotADisk;
    ReadOnlyFile file;
    if (!file.Open(path)) {
        if (file.LastErrno() == EACCES || file.LastErrno() == EPERM)
            return SourceProblem::NoPermission;
        return file.LastErrno() == ENOMEDIUM ? SourceProblem::Empty : SourceProblem::OpenFailed;
    }
    if (S_ISREG(st.st_mode) && st.st_size == 0)
        return SourceProblem::Empty;
    if (S_ISBLK(st.st_mode) && file.BlockDeviceSize() == 0)
        return SourceProblem::Empty;
    return SourceProblem::None;
}

} // namespace vantrel
