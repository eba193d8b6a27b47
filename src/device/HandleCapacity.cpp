#include "device/HandleCapacity.h"

namespace vantrel {

CapacityResult ChooseCapacity(const CapacitySources& s) {
    CapacityResult result;
    if (s.passThroughOk && s.passThroughLastLba + 1 != 0 && s.passThroughBlockSize != 0) {
        result.ok = true;
        result.lastLba = s.passThroughLastLba;
        result.sectorSize = s.passThroughBlockSize;
        return result;
    }
    std::uint64_t size = s.fileSize;
    std::uint32_t sectorSize = 512;
    if (s.lengthInfo > size)
        size = s.lengthInfo;
    if (s.geometryBytes > size) {
        size = s.geometryBytes;
        sectorSize = s.geometrySectorSize ? s.geometrySectorSize : 512;
    }
    if (s.kernelSectorSize != 0)
        sectorSize = s.kernelSectorSize;
    const std::uint64_t sectors = size / sectorSize;
    if (sectors == 0)
        return result; // 0 bytes (or less than a sector) from every source
    result.ok = true;
    result.lastLba = sectors - 1;
    result.sectorSize = sectorSize;
    return result;
}

} // namespace vantrel
