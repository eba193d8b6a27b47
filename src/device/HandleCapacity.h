#pragma once

// Choosing a handle device's capacity from the answers of its size sources, kept apart
// from the I/O so that every order of answers can be tested.

#include <cstdint>

namespace vantrel {

struct CapacitySources {
    bool passThroughOk = false; // READ CAPACITY through pass-through answered
    std::uint64_t passThroughLastLba = 0;
    std::uint32_t passThroughBlockSize = 0;
    std::uint64_t fileSize = 0;      // size of the handle (image file), 0 when unknown
    std::uint64_t geometryBytes = 0; // drive geometry's byte count, 0 when not given
    std::uint32_t geometrySectorSize = 0;
    std::uint64_t lengthInfo = 0; // the disk's length query, 0 when not given
    // The kernel's logical sector size of a block device (BLKSSZGET); 0 for files. The
    // kernel addresses the disk in these units, so it wins over the 512 default.
    std::uint32_t kernelSectorSize = 0;
};

struct CapacityResult {
    bool ok = false;
    std::uint64_t lastLba = 0;
    std::uint32_t sectorSize = 512;
};

CapacityResult ChooseCapacity(const CapacitySources& sources);

} // namespace vantrel
