#pragma once

// "FAT方式": finds a usable FAT boot record in the range (or rebuilds one from two
// sub-directories' "." entries), then lists every directory cluster met in the raw
// sectors: its sub-directories become folders and its files entries of the node.

#include "engine/scan/FatBootRebuild.h"
#include "engine/scan/SectorScanMethod.h"
#include "fs/fat/FatBootRecord.h"
#include "fs/fat/FatTime.h"

#include <memory>
#include <optional>

namespace vantrel {

class FatScanMethod : public SectorScanMethod {
public:
    void Reset() override;
    StepResult SearchStep() override;
    StepResult DetectStep() override;
    std::u16string MethodName() const override;

    // The record found by the search; null before.
    const FatBootRecord* BootRecord() const { return record_.get(); }
    const std::optional<DotEntrySighting>& FirstDotEntry() const { return firstDot_; }
    const std::optional<DotEntrySighting>& LatestDotEntry() const { return latestDot_; }

protected:
    BlockMarker BlockMarks() const override;

private:
    bool TryBootSector(Bytes sector, std::uint64_t lba);
    bool TryDotEntry(Bytes sector, std::uint64_t lba);
    void Accept(const FatBootRecord& record);
    // Lists the directory run at the start of data; returns the bytes walked.
    std::size_t ListRun(Bytes data);

    std::shared_ptr<const FatBootRecord> record_; // shared with the folders found
    FatTimeConverter times_;
    std::optional<DotEntrySighting> firstDot_;
    std::optional<DotEntrySighting> latestDot_;
};

} // namespace vantrel
