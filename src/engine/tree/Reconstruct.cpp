// Folding what a scan found: duplicate copies first, then folders and files that are
// reachable below another top-level folder.

#include "engine/tree/ScanResultNode.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vantrel {

namespace {

constexpr std::uint64_t kNoKey = ~std::uint64_t{0};
// Levels below a top-level folder that reconstruction gathers.
constexpr int kGatherDepth = 130;
// Keys and entries of files reached below folded folders between two compactions of the
// top level: at least this many, and at least a quarter as many as the top level has
// files, so that each compaction, which looks at every top-level file, is paid for by
// the files it can take away (a fixed number of folders between two made the rebuild
// quadratic again: 1 000 folders of 100 files, 16 passes over the top level; 2 000, 31).
constexpr std::size_t kCompactionFiles = 4096;
constexpr std::size_t kCompactionShare = 4;

// Marks duplicates. Of two live copies the earlier stays, of a live and a deleted copy the
// live one, of two deleted copies the later one. Items without a key (an empty file has
// no data position) are never taken for copies of each other. One pass with a map from key
// to the copy that stays so far: a carving scan finds tens of thousands of files, and
// comparing every pair would cost more than reading the disk.
template <typename Item, typename KeyOf, typename DeletedOf>
std::unordered_set<const Item*> MarkDuplicates(const std::vector<std::unique_ptr<Item>>& items,
                                               KeyOf keyOf, DeletedOf deletedOf) {
    std::unordered_map<std::uint64_t, const Item*> keeper;
    keeper.reserve(items.size()); // no rehash on the way: most keys are distinct
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

void ScanResultNode::ClearRebuild() {
    indexed_ = false;
    foldersByKey_.clear();
    doneByName_.clear();
    gone_.clear();
    reachableFileKeys_.Clear();
    reachableEntries_.Clear();
    reachedSinceCompaction_ = 0;
}

void ScanResultNode::MergeDuplicates() {
    cursor_ = 0;
    FolderKeys().Clear();
    FileKeys().Clear();
    ClearRebuild();
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
    if (!indexed_) {
        indexed_ = true;
        for (const auto& child : Children())
            if (child->Key() != kNoKey)
                foldersByKey_[child->Key()].push_back(child.get());
    }
    while (cursor_ < ChildCount() && gone_.contains(Child(static_cast<std::size_t>(cursor_))))
        ++cursor_;
    if (cursor_ >= ChildCount()) {
        Compact();
        return kStepComplete;
    }
    ResultNode* f = Child(static_cast<std::size_t>(cursor_));
    if (!f)
        return kStepFailed;
    FoldFolder(*f);
    ++cursor_;
    if (cursor_ >= ChildCount()) {
        Compact();
        return kStepComplete;
    }
    // Compacting every step, or every so many folders, would make the rebuild quadratic
    // in the number of files; compacting as files are reached keeps a stopped rebuild's
    // top level close to done and files from being held twice for long.
    if (reachedSinceCompaction_ >= std::max(kCompactionFiles, FileCount() / kCompactionShare))
        Compact();
    return cursor_ == 0 ? 1 : cursor_;
}

void ScanResultNode::FoldFolder(ResultNode& f) {
    if (!f.IsDeleted()) {
        f.FolderKeys().Clear();
        f.FileKeys().Clear();
        std::unordered_set<std::uint64_t> visited;
        if (f.Key() != kNoKey)
            visited.insert(f.Key());
        Gather(f, f, 0, visited);
        for (const std::uint64_t key : f.FileKeys().Keys())
            reachableFileKeys_.Add(key);
        reachedSinceCompaction_ += f.FileKeys().Size();
        for (const std::uint64_t key : f.FolderKeys().Keys())
            if (const auto found = foldersByKey_.find(key); found != foldersByKey_.end())
                for (ResultNode* g : found->second)
                    if (g != &f)
                        gone_.insert(g);
    }

    // The same on-disk entries below f, deleted branches and deleted folders included: a
    // top-level deleted folder or a file that is one of them is shown under f. A live
    // top-level folder stays unless a live path reaches it (above), as a deleted entry
    // may name a cluster or record that a live folder has taken since.
    std::unordered_set<std::uint64_t> visited;
    if (f.Key() != kNoKey)
        visited.insert(f.Key());
    std::vector<std::uint64_t> folderKeys;
    CollectEntries(f, 0, visited, folderKeys);
    for (const std::uint64_t key : folderKeys)
        if (const auto found = foldersByKey_.find(key); found != foldersByKey_.end())
            for (ResultNode* g : found->second)
                if (g != &f && g->IsDeleted())
                    gone_.insert(g);

    if (!f.IsDeleted()) {
        // Folders before f with its name, in their order: a live copy keeps f out, a
        // deleted one goes.
        for (ResultNode* g : doneByName_[f.Name()]) {
            if (gone_.contains(g) || !IsCopyOf(*g, f))
                continue;
            if (g->IsDeleted()) {
                gone_.insert(g);
            } else {
                gone_.insert(&f);
                break;
            }
        }
    }
    doneByName_[f.Name()].push_back(&f);
}

void ScanResultNode::CollectEntries(ResultNode& node, int depth,
                                    std::unordered_set<std::uint64_t>& visited,
                                    std::vector<std::uint64_t>& folderKeys) {
    if (!AnalyseCompletely(node))
        return;
    for (const auto& file : node.Files())
        if (file->entryId != kNoEntryId) {
            reachableEntries_.Add(file->entryId);
            ++reachedSinceCompaction_;
        }
    for (const auto& child : node.Children()) {
        const std::uint64_t key = child->Key();
        if (key != kNoKey)
            folderKeys.push_back(key);
        if (depth < kGatherDepth && (key == kNoKey || visited.insert(key).second))
            CollectEntries(*child, depth + 1, visited, folderKeys);
    }
}

void ScanResultNode::Compact() {
    reachedSinceCompaction_ = 0;
    if (!gone_.empty()) {
        std::uint64_t before = 0;
        for (std::size_t i = 0; i < cursor_ && i < ChildCount(); ++i)
            if (!gone_.contains(Child(i)))
                ++before;
        const auto isGone = [&](ResultNode* g) { return gone_.contains(g); };
        for (auto& [key, folders] : foldersByKey_)
            std::erase_if(folders, isGone);
        for (auto& [name, folders] : doneByName_)
            std::erase_if(folders, isGone);
        RemoveChildren([&](const ResultNode& node) { return gone_.contains(&node); });
        gone_.clear();
        cursor_ = before;
    }
    if (reachableFileKeys_.Empty() && reachableEntries_.Empty())
        return;
    reachableFileKeys_.Settle();
    reachableEntries_.Settle();
    RemoveFiles([&](const FileEntry& file) {
        return reachableFileKeys_.Contains(file.Key()) ||
               (file.entryId != kNoEntryId && reachableEntries_.Contains(file.entryId));
    });
}

} // namespace vantrel
