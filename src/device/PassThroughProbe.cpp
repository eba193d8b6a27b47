#include "device/PassThroughProbe.h"

namespace vantrel {

// Until the SCSI transport is linked in, no path answers through pass-through and the
// handle device sizes itself from the kernel.
bool ProbePassThroughIdentity(const std::string&, DeviceIdentity*) { return false; }

bool ProbePassThroughCapacity(const std::string&, std::uint64_t*, std::uint32_t*) {
    return false;
}

} // namespace vantrel
