#pragma once

// One partition-table entry on its parent's window, named by its type code. What it
// holds is decided by reading its first sector, never by the type.

#include "device/DiskWindow.h"
#include "device/PartitionRecord.h"
#include "engine/tree/ResultNode.h"

#include <cstdint>

namespace vantrel {

class PartitionNode : public ResultNode {
public:
    PartitionNode(CDiskWindow* window, const PartitionEntry& entry);

    CDiskWindow* GetWindow() override { return window_; }
    std::uint64_t RangeStart() const override { return entry_.startLba; }
    std::uint64_t RangeLength() const override { return entry_.sectorCount; }
    // Expands the partition in one step (ExpandPartition).
    StepResult AnalyseStep() override;

    const PartitionEntry& Entry() const { return entry_; }

private:
    CDiskWindow* window_; // the parent's, not owned
    PartitionEntry entry_;
};

} // namespace vantrel
