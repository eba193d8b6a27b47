#include "platform/AppendFile.h"

#include "platform/Descriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel {

AppendFile::~AppendFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool AppendFile::Refuse(int error) {
    lastErrno_ = error;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    return false;
}

bool AppendFile::Open(const std::string& path) {
    if (fd_ >= 0)
        return false;
    created_ = false;
    // Exclusive creation first, so that Created() is certain; O_NONBLOCK keeps a FIFO
    // or device under the name from holding the open up, and does nothing to files.
    const int flags = O_RDWR | O_APPEND | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
    do {
        fd_ = ::open(path.c_str(), flags | O_CREAT | O_EXCL, 0644);
        if (fd_ >= 0)
            created_ = true;
        else if (errno == EEXIST)
            fd_ = ::open(path.c_str(), flags);
    } while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        return Refuse(errno);
    struct stat info {};
    if (::fstat(fd_, &info) != 0)
        return Refuse(errno);
    if (!S_ISREG(info.st_mode))
        return Refuse(kNotARegularFile);
    if (info.st_nlink > 1)
        return Refuse(kHasOtherLinks);
    // File systems without locks (some network ones) are written unlocked.
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 && errno != ENOLCK && errno != EOPNOTSUPP)
        return Refuse(errno);
    size_ = static_cast<std::uint64_t>(info.st_size);
    lastErrno_ = 0;
    return true;
}

bool AppendFile::LastByte(char* byte) {
    if (fd_ < 0 || size_ == 0)
        return false;
    ssize_t got;
    do {
        got = ::pread(fd_, byte, 1, static_cast<off_t>(size_ - 1));
    } while (got < 0 && errno == EINTR);
    if (got < 0)
        lastErrno_ = errno;
    return got == 1;
}

bool AppendFile::Append(const void* data, std::size_t size) {
    if (fd_ < 0)
        return false;
    const char* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written = ::write(fd_, bytes + done, size - done);
        if (written > 0) {
            done += static_cast<std::size_t>(written);
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        lastErrno_ = written < 0 ? errno : ENOSPC; // no progress is a full device
        // A torn piece would run into the next run's first line; the error is kept
        // even if the cut fails too.
        if (done != 0)
            (void)::ftruncate(fd_, static_cast<off_t>(size_));
        return false;
    }
    size_ += size;
    return true;
}

bool AppendFile::Sync() {
    return fd_ < 0 || SyncDescriptor(fd_, &lastErrno_);
}

bool AppendFile::Close() {
    return CloseDescriptor(fd_, &lastErrno_);
}

} // namespace vantrel
