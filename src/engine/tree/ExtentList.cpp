#include "engine/tree/ExtentList.h"

namespace vantrel {

void ExtentList::Append(std::uint64_t startLba, std::uint64_t sectorCount) {
    runs_.push_back({startLba, sectorCount});
}

std::uint64_t ExtentList::TotalSectors() const {
    std::uint64_t total = 0;
    for (const Extent& run : runs_)
        total += run.sectorCount;
    return total;
}

std::uint64_t ExtentList::LbaOf(std::uint64_t n) const {
    for (const Extent& run : runs_) {
        if (n < run.sectorCount)
            return run.startLba == kSparseExtentLba ? kSparseExtentLba : run.startLba + n;
        n -= run.sectorCount;
    }
    return ~std::uint64_t{0};
}

std::uint64_t ExtentList::SectorsLeftInRun(std::uint64_t n) const {
    for (const Extent& run : runs_) {
        if (n < run.sectorCount)
            return run.sectorCount - n;
        n -= run.sectorCount;
    }
    return 0;
}

} // namespace vantrel
