#pragma once

// Where a file's data lies: runs of consecutive sectors on a window, in file order. A
// run whose start is kSparseExtentLba has no sectors on disk and reads as zeros.

#include <cstdint>
#include <vector>

namespace vantrel {

inline constexpr std::uint64_t kSparseExtentLba = ~std::uint64_t{0};

struct Extent {
    std::uint64_t startLba = 0;
    std::uint64_t sectorCount = 0;
};

class ExtentList {
public:
    void Append(std::uint64_t startLba, std::uint64_t sectorCount);
    void Clear() { runs_.clear(); }
    bool Empty() const { return runs_.empty(); }
    const std::vector<Extent>& Runs() const { return runs_; }

    std::uint64_t TotalSectors() const;
    // Window LBA of file sector n; all ones beyond the last run (and for a sparse run,
    // whose start is all ones as well).
    std::uint64_t LbaOf(std::uint64_t n) const;
    // Consecutive sectors from file sector n to the end of its run; 0 beyond the last run.
    std::uint64_t SectorsLeftInRun(std::uint64_t n) const;
    // First LBA of the data (all ones without runs): the key of a file without its own.
    std::uint64_t FirstLba() const { return runs_.empty() ? ~std::uint64_t{0} : runs_[0].startLba; }

private:
    std::vector<Extent> runs_;
};

} // namespace vantrel
