#include "engine/tree/ResultNode.h"

#include "engine/tree/UnreadData.h"

#include <algorithm>

namespace vantrel {

ResultNode::~ResultNode() = default;

void ResultNode::Reset() {
    children_.clear();
    files_.clear();
    name_.clear();
    deleted_ = false;
    analysed_ = false;
}

ResultNode& ResultNode::AddChild(std::unique_ptr<ResultNode> child) {
    child->parent_ = this;
    children_.push_back(std::move(child));
    return *children_.back();
}

void ResultNode::RemoveChildren(const std::function<bool(const ResultNode&)>& remove) {
    std::erase_if(children_, [&](const std::unique_ptr<ResultNode>& child) {
        return !child || remove(*child);
    });
}

FileEntry& ResultNode::AddFile(std::unique_ptr<FileEntry> file) {
    if (file)
        NoteUnreadData(*file);
    files_.push_back(std::move(file));
    return *files_.back();
}

void ResultNode::RemoveFiles(const std::function<bool(const FileEntry&)>& remove) {
    std::erase_if(files_,
                  [&](const std::unique_ptr<FileEntry>& file) { return !file || remove(*file); });
}

bool AnalyseCompletely(ResultNode& node) {
    if (node.IsAnalysed())
        return true;
    for (;;) {
        const StepResult result = node.AnalyseStep();
        if (result == kStepFailed || result == kStepComplete) {
            node.SetAnalysed(true);
            return result == kStepComplete;
        }
    }
}

bool AncestorHasKey(const ResultNode& node, std::uint64_t key) {
    for (const ResultNode* up = node.Parent(); up; up = up->Parent())
        if (up->Key() == key)
            return true;
    return false;
}

} // namespace vantrel
