#pragma once

// What the files the program writes share: flushing and closing a descriptor, each
// failure kept as its errno.

namespace vantrel {

// fsync(fd); false, with *error set, when it fails.
bool SyncDescriptor(int fd, int* error);
// Closes fd and sets it to -1 (nothing to do for -1); false, with *error set, when close
// reports a late error such as a write the device could not take.
bool CloseDescriptor(int& fd, int* error);

} // namespace vantrel
