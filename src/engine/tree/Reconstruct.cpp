// Folding what a scan found: duplicate copies first, then folders and files that are
// reachable below another top-level folder.

#include "engine/tree/ScanResultNode.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vantrel {

namespace {

constexpr std::uint64_t kNoKey = ~std::uint64_t{0};
// Levels below a top-level folder that reconstruction gathers.
constexpr int kGatherDepth = 130;

// Marks duplicates. Of two live copies the earlier stays, of a live and a deleted copy the
// live one, of two deleted copies the later one. Items without a key (an empty file has
// no data position) are never taken for copies of each other. One pass with a map from key
// to the copy that stays so far: a carving scan finds tens of thousands of files, and
// comparing every pair would cost more than reading the disk.
template <typename Item, typename KeyOf, typename DeletedOf>
std::unordered_set<const Item*> MarkDuplicates(const std::vector<std::unique_ptr<Item>>& items,
                                               KeyOf keyOf, DeletedOf deletedOf) {
    std::unordered_map<std::uint64_t, const Item*> keeper;
    std::unordered_set<const Item*> marked;
    for (const auto& item : items) {
        const std::uint64_t key = keyOf(*item);
        if (key == kNoKey)
            continue;
        const auto [it, first] = keeper.emplace(key, item.get());
        if (first)
            continue;
        if (deletedOf(*it->second)) {
            marked.insert(it->second);
            it->second = item.get();
        } else {
            marked.insert(item.get());
        }
    }
    return marked;
}

// Adds the keys of everything live below node to top's lists, analysing on the way.
void Gather(ResultNode& top, ResultNode& node, int depth,
            std::unordered_set<std::uint64_t>& visited) {
    if (!AnalyseCompletely(node))
        return;
    for (const auto& file : node.Files())
        if (!file->deleted && file->Key() != kNoKey)
            top.FileKeys().Add(file->Key());
    for (const auto& child : node.Children()) {
        if (child->IsDeleted())
            continue;
        const std::uint64_t key = child->Key();
        if (key != kNoKey)
            top.FolderKeys().Add(key);
        // A folder met twice (a sub-directory pointing back up) is not walked again.
        if (depth < kGatherDepth && (key == kNoKey || visited.insert(key).second))
            Gather(top, *child, depth + 1, visited);
    }
}

bool IsCopyOf(const ResultNode& g, const ResultNode& f) {
    if (g.Name() != f.Name() || g.FileCount() != f.FileCount() || g.ChildCount() != f.ChildCount())
        return false;
    for (std::uint64_t key : f.FileKeys().Keys())
        if (!g.FileKeys().Contains(key))
            return false;
    for (std::uint64_t key : f.FolderKeys().Keys())
        if (!g.FolderKeys().Contains(key))
            return false;
    return true;
}

} // namespace

void ScanResultNode::MergeDuplicates() {
    cursor_ = 0;
    FolderKeys().Clear();
    FileKeys().Clear();
    const auto folders = MarkDuplicates(
        Children(), [](const ResultNode& node) { return node.Key(); },
        [](const ResultNode& node) { return node.IsDeleted(); });
    RemoveChildren([&](const ResultNode& node) { return folders.contains(&node); });
    const auto files = MarkDuplicates(
        Files(), [](const FileEntry& file) { return file.Key(); },
        [](const FileEntry& file) { return file.deleted; });
    RemoveFiles([&](const FileEntry& file) { return files.contains(&file); });
}

StepResult ScanResultNode::ReconstructStep() {
    if (ChildCount() == 0 || cursor_ >= ChildCount())
        return kStepComplete;
    ResultNode* f = Child(static_cast<std::size_t>(cursor_));
    if (!f)
        return kStepFailed;
    if (!f->IsDeleted()) {
        f->FolderKeys().Clear();
        f->FileKeys().Clear();
        std::unordered_set<std::uint64_t> visited;
        if (f->Key() != kNoKey)
            visited.insert(f->Key());
        Gather(*f, *f, 0, visited);

        RemoveFiles([&](const FileEntry& file) { return f->FileKeys().Contains(file.Key()); });

        std::unordered_set<const ResultNode*> gone;
        for (const auto& other : Children())
            if (other.get() != f && f->FolderKeys().Contains(other->Key()))
                gone.insert(other.get());
        for (std::size_t i = 0; i < cursor_; ++i) {
            ResultNode* g = Child(i);
            if (gone.contains(g) || !IsCopyOf(*g, *f))
                continue;
            if (g->IsDeleted()) {
                gone.insert(g);
            } else {
                gone.insert(f);
                break;
            }
        }

        // Keep the cursor on f, or on the folder that took its place when f went.
        std::uint64_t before = 0;
        for (std::size_t i = 0; i < cursor_; ++i)
            if (!gone.contains(Child(i)))
                ++before;
        const bool fGone = gone.contains(f);
        RemoveChildren([&](const ResultNode& node) { return gone.contains(&node); });
        cursor_ = before;
        if (fGone)
            return cursor_ >= ChildCount() ? kStepComplete : (cursor_ == 0 ? 1 : cursor_);
    }
    ++cursor_;
    return cursor_ >= ChildCount() ? kStepComplete : cursor_;
}

} // namespace vantrel
