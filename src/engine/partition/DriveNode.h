#pragma once

// The node of a whole device (the root of the result tree) or of a logical drive inside
// an extended partition. It owns its window; analysing it walks the partition table.

#include "device/DiskWindow.h"
#include "engine/tree/ResultNode.h"

#include <cstdint>

namespace vantrel {

class DriveNode : public ResultNode {
public:
    // A whole-device window, named by the device's kind and node, e.g.
    // ハードディスク(/dev/sda); "不明なデバイス" when the device is missing.
    bool OpenDevice(CDiskDevice* device);
    // A logical drive at parent's start + offset, named "論理ドライブ": its window starts
    // at the extended boot record, whose table entry `entry` is the drive's partition.
    bool OpenLogical(const CDiskWindow* parent, std::uint64_t offset, std::uint64_t length,
                     std::size_t entry = 0);

    CDiskWindow* GetWindow() override { return &window_; }
    // Expands the window in one step (ExpandWindow).
    StepResult AnalyseStep() override;
    // The table entry a logical drive stands for (0 for a whole device).
    std::size_t LogicalEntry() const { return logicalEntry_; }

private:
    CDiskWindow window_;
    std::size_t logicalEntry_ = 0;
};

} // namespace vantrel
