#include "engine/partition/PartitionNode.h"

#include "engine/partition/PartitionWalk.h"
#include "platform/Utf.h"

namespace vantrel {

PartitionNode::PartitionNode(CDiskWindow* window, const PartitionEntry& entry)
    : window_(window), entry_(entry), start_(entry.startLba), length_(entry.sectorCount) {
    SetName(FromUtf8(PartitionKindText(entry.type)));
}

PartitionNode::PartitionNode(CDiskWindow* window, std::uint64_t start, std::uint64_t length,
                             std::u16string name)
    : window_(window), start_(start), length_(length), gpt_(true) {
    SetName(std::move(name));
}

StepResult PartitionNode::AnalyseStep() {
    SetAnalysed(true);
    ExpandPartition(*this);
    return kStepComplete;
}

} // namespace vantrel
