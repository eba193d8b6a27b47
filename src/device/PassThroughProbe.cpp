#include "device/PassThroughProbe.h"

#include "device/PassThroughDisk.h"

namespace vantrel {

// A temporary pass-through device on the same path; it closes when it goes out of scope.
// Loop devices and image files answer no pass-through command, and the caller then
// relies on the kernel's own answers.
bool ProbePassThroughIdentity(const std::string& path, DeviceIdentity* identity) {
    CPassThroughDisk probe;
    return probe.Open(path) && probe.GetIdentity(identity);
}

bool ProbePassThroughCapacity(const std::string& path, std::uint64_t* lastLba,
                              std::uint32_t* blockSize) {
    CPassThroughDisk probe;
    return probe.Open(path) && probe.GetCapacity(lastLba, blockSize);
}

} // namespace vantrel
