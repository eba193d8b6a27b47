#include "platform/OutputFile.h"

#include "platform/Descriptor.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

OutputFile::~OutputFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool OutputFile::Create(const std::string& path) {
    if (fd_ >= 0)
        return false;
    do {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    } while (fd_ < 0 && errno == EINTR);
    lastErrno_ = fd_ < 0 ? errno : 0;
    return fd_ >= 0;
}

bool OutputFile::Write(const void* data, std::size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd_, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            lastErrno_ = errno;
            return false;
        }
        if (written == 0) {
            lastErrno_ = ENOSPC; // a write that makes no progress is a full device
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool OutputFile::SetTimes(std::optional<std::int64_t> accessTime,
                          std::optional<std::int64_t> modifyTime) {
    timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_nsec = UTIME_OMIT;
    if (accessTime) {
        times[0].tv_sec = static_cast<time_t>(*accessTime);
        times[0].tv_nsec = 0;
    }
    if (modifyTime) {
        times[1].tv_sec = static_cast<time_t>(*modifyTime);
        times[1].tv_nsec = 0;
    }
    if (::futimens(fd_, times) != 0) {
        lastErrno_ = errno;
        return false;
    }
    return true;
}

void OutputFile::StartWriteback() {
    // Failure (a file system without it) only loses the head start; Sync reports errors.
    (void)::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
}

bool OutputFile::Sync() {
    return SyncDescriptor(fd_, &lastErrno_);
}

bool OutputFile::Close() {
    return CloseDescriptor(fd_, &lastErrno_);
}

bool RenamePath(const std::string& from, const std::string& to, bool replace, int* error) {
    if (replace) {
        if (::rename(from.c_str(), to.c_str()) == 0)
            return true;
        if (error)
            *error = errno;
        return false;
    }
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS) {
        if (error)
            *error = errno;
        return false;
    }
    // File systems without RENAME_NOREPLACE (vfat on older kernels): a hard link fails
    // with EEXIST just the same; where links are refused too, check and rename.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return true;
    }
    if (errno == EEXIST) {
        if (error)
            *error = EEXIST;
        return false;
    }
    struct stat existing {};
    if (::lstat(to.c_str(), &existing) == 0) {
        if (error)
            *error = EEXIST;
        return false;
    }
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    if (error)
        *error = errno;
    return false;
}

bool SyncFolder(const std::string& path, int* error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        if (error)
            *error = errno;
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

bool ExistingFileInfo(const std::string& path, std::uint64_t* size, std::int64_t* modifyTime) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    *size = static_cast<std::uint64_t>(info.st_size);
    *modifyTime = static_cast<std::int64_t>(info.st_mtime);
    return true;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

std::string ErrnoText(int error) {
    char buffer[256] = {};
    // GNU strerror_r returns the text, which may or may not be the buffer.
    const char* text = ::strerror_r(error, buffer, sizeof buffer);
    return text ? text : "unknown error";
}

bool IsNoSpaceError(int error) {
    return error == ENOSPC || error == EDQUOT;
}

} // namespace vantrel
