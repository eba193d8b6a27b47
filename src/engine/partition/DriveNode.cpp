#include "engine/partition/DriveNode.h"

#include "device/WindowName.h"
#include "engine/partition/PartitionWalk.h"
#include "platform/Utf.h"

namespace vantrel {

bool DriveNode::OpenDevice(CDiskDevice* device) {
    const bool opened = window_.Open(device, 0, 0);
    SetName(FromUtf8(opened ? WindowName(window_) : "不明なデバイス"));
    return opened;
}

bool DriveNode::OpenLogical(const CDiskWindow* parent, std::uint64_t offset, std::uint64_t length,
                            std::size_t entry) {
    logicalEntry_ = entry;
    const bool opened = window_.OpenWithin(parent, offset, length);
    SetName(FromUtf8(opened ? "論理ドライブ" : "不明なデバイス"));
    return opened;
}

StepResult DriveNode::AnalyseStep() {
    SetAnalysed(true);
    ExpandWindow(*this);
    return kStepComplete;
}

} // namespace vantrel
