#include "engine/scan/MethodSelection.h"

#include "device/PartitionRecord.h"
#include "engine/scan/FatScanMethod.h"
#include "engine/scan/NtfsScanMethod.h"
#include "engine/scan/SignatureScanMethod.h"
#include "engine/tree/ScanResultNode.h"
#include "fs/fat/FatBootRecord.h"
#include "fs/ntfs/NtfsBootSector.h"

#include <vector>

namespace vantrel {

namespace {

constexpr std::uint32_t kBootSectorBytes = 512;

bool ReadFirstSector(CDiskWindow& window, std::uint64_t lba, std::uint32_t sectorSize,
                     std::vector<std::uint8_t>& sector) {
    // Boot-sector tests need 512 bytes even on a device with smaller sectors.
    const std::uint32_t count = sectorSize >= kBootSectorBytes ? 1 : kBootSectorBytes / sectorSize;
    sector.assign(std::size_t{count} * sectorSize, 0);
    return window.ReadSectors(lba, count, sector.data(), count * sectorSize);
}

MethodCode MethodOfBootSector(Bytes sector, std::uint32_t sectorSize) {
    if (IsNtfsBootSector(sector, sectorSize))
        return kMethodNtfs;
    if (IsFatBootSector(sector, sectorSize))
        return kMethodFat;
    return kMethodSignature;
}

} // namespace

MethodCode DetectMethod(CDiskWindow& window, std::uint64_t start, std::uint64_t length) {
    std::uint64_t lastLba = 0;
    std::uint32_t sectorSize = 0;
    if (!window.GetCapacity(&lastLba, &sectorSize) || lastLba == 0 || sectorSize == 0)
        return kMethodSignature;
    const std::uint64_t total = lastLba + 1;
    if (start >= total || (length != ~std::uint64_t{0} && length > total - start))
        return kMethodSignature;
    std::vector<std::uint8_t> sector;
    if (!ReadFirstSector(window, start, sectorSize, sector))
        return kMethodSignature;
    const MethodCode direct = MethodOfBootSector(sector, sectorSize);
    if (direct != kMethodSignature)
        return direct;
    PartitionTable table;
    if (!IsPartitionTable(sector, sectorSize) || !ParsePartitionTable(sector, &table))
        return kMethodSignature;
    // Entries of a table count from the sector that holds it.
    const std::uint64_t first = start + table.entries[0].startLba;
    if (first >= total || !ReadFirstSector(window, first, sectorSize, sector))
        return kMethodSignature;
    return MethodOfBootSector(sector, sectorSize);
}

std::unique_ptr<ScanMethod> CreateScanMethod(MethodCode code, ScanResultNode& node) {
    if (code == kMethodAutomatic) {
        CDiskWindow* window = node.GetWindow();
        if (!window)
            return nullptr;
        code = DetectMethod(*window, node.RangeStart(), node.RangeLength());
    }
    std::unique_ptr<SectorScanMethod> method;
    switch (code) {
    case kMethodSignature:
        method = std::make_unique<SignatureScanMethod>();
        break;
    case kMethodFat:
        method = std::make_unique<FatScanMethod>();
        break;
    case kMethodNtfs:
        method = std::make_unique<NtfsScanMethod>();
        break;
    default:
        return nullptr;
    }
    if (!method->Attach(node))
        return nullptr;
    return method;
}

void InstallScanMethods() {
    SetScanMethodFactory(CreateScanMethod);
}

} // namespace vantrel
