#pragma once

// The SCSI pass-through questions a handle device asks of its own path while it opens
// and sizes itself (INQUIRY and READ CAPACITY). Answered by the pass-through device when
// the path is a SCSI-capable block device or /dev/sgN; false everywhere else.

#include "device/DiskDevice.h"

#include <cstdint>
#include <string>

namespace vantrel {

bool ProbePassThroughIdentity(const std::string& path, DeviceIdentity* identity);
bool ProbePassThroughCapacity(const std::string& path, std::uint64_t* lastLba,
                              std::uint32_t* blockSize);

} // namespace vantrel
