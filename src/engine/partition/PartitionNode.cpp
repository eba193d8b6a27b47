#include "engine/partition/PartitionNode.h"

#include "engine/partition/PartitionWalk.h"
#include "platform/Utf.h"

namespace vantrel {

PartitionNode::PartitionNode(CDiskWindow* window, const PartitionEntry& entry)
    : window_(window), entry_(entry) {
    SetName(FromUtf8(PartitionKindText(entry.type)));
}

StepResult PartitionNode::AnalyseStep() {
    SetAnalysed(true);
    ExpandPartition(*this);
    return kStepComplete;
}

} // namespace vantrel
