#pragma once

// One partition on its parent's window: an MBR table entry, named by its type code, or a
// GPT entry, named by what it holds. What it holds is decided by reading its first
// sector, never by the type.

#include "device/DiskWindow.h"
#include "device/PartitionRecord.h"
#include "engine/tree/ResultNode.h"

#include <cstdint>

namespace vantrel {

class PartitionNode : public ResultNode {
public:
    PartitionNode(CDiskWindow* window, const PartitionEntry& entry);
    // A GPT entry: 64-bit start and length, the name chosen by the caller.
    PartitionNode(CDiskWindow* window, std::uint64_t start, std::uint64_t length,
                  std::u16string name);

    CDiskWindow* GetWindow() override { return window_; }
    std::uint64_t RangeStart() const override { return start_; }
    // Sectors that exist on the device: less than the table says when it was clipped.
    std::uint64_t RangeLength() const override { return length_; }
    // Expands the partition in one step (ExpandPartition).
    StepResult AnalyseStep() override;

    // The MBR entry (type 0 and zero LBAs for a GPT partition).
    const PartitionEntry& Entry() const { return entry_; }
    bool IsGpt() const { return gpt_; }
    // Keeps only the first length sectors: the rest lies past the end of the device.
    void Clip(std::uint64_t length) { missing_ += length_ - length, length_ = length; }
    std::uint64_t MissingSectors() const { return missing_; }

private:
    CDiskWindow* window_; // the parent's, not owned
    PartitionEntry entry_;
    std::uint64_t start_ = 0;
    std::uint64_t length_ = 0;
    std::uint64_t missing_ = 0;
    bool gpt_ = false;
};

} // namespace vantrel
