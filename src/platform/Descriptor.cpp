#include "platform/Descriptor.h"

#include <cerrno>
#include <unistd.h>

namespace vantrel {

bool SyncDescriptor(int fd, int* error) {
    if (::fsync(fd) == 0)
        return true;
    *error = errno;
    return false;
}

bool CloseDescriptor(int& fd, int* error) {
    if (fd < 0)
        return true;
    const int closing = fd;
    fd = -1;
    // Linux closes the descriptor even when close reports an error; never retry it.
    if (::close(closing) != 0 && errno != EINTR) {
        *error = errno;
        return false;
    }
    return true;
}

} // namespace vantrel
