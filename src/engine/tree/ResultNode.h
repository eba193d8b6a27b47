#pragma once

// The base of every node of the result tree: drives, partitions, raw areas ("スキャン
//結果"), and folders. A node owns its children and its files; deleting a node deletes
// its whole subtree. The virtual operations keep this slot order in every class.

#include "device/DiskWindow.h"
#include "engine/tree/FileEntry.h"
#include "engine/tree/KeyList.h"
#include "engine/tree/StepResult.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {

// Scan method codes: 0 chosen from the range's first sector, 1 signature database,
// 2 FAT, 3 NTFS.
enum MethodCode : int {
    kMethodAutomatic = 0,
    kMethodSignature = 1,
    kMethodFat = 2,
    kMethodNtfs = 3,
};

class ResultNode {
public:
    using NodeList = std::vector<std::unique_ptr<ResultNode>>;
    using FileList = std::vector<std::unique_ptr<FileEntry>>;

    ResultNode() = default;
    virtual ~ResultNode();
    ResultNode(const ResultNode&) = delete;
    ResultNode& operator=(const ResultNode&) = delete;

    // Deletes children and files; clears name, deleted and analysed.
    virtual void Reset();
    virtual CDiskWindow* GetWindow() { return nullptr; }
    virtual std::uint64_t RangeStart() const { return 0; }
    virtual std::uint64_t RangeLength() const { return ~std::uint64_t{0}; }
    // Reads this node's children from structures that still exist. Called only while
    // IsAnalysed() is false; the node sets the flag when it completes or fails.
    virtual StepResult AnalyseStep() { return kStepFailed; }
    virtual bool IsScanTarget() const { return false; }
    virtual bool SelectMethod(MethodCode) { return false; }
    virtual std::u16string MethodName() const { return {}; }
    virtual StepResult SearchStep() { return kStepFailed; }
    virtual StepResult DetectStep() { return kStepFailed; }
    virtual BadSectorList* BadSectors() { return nullptr; }
    // Recognises the same folder found twice; all ones for nodes without one.
    virtual std::uint64_t Key() const { return ~std::uint64_t{0}; }

    const std::u16string& Name() const { return name_; }
    void SetName(std::u16string name) { name_ = std::move(name); }
    bool IsDeleted() const { return deleted_; }
    void SetDeleted(bool deleted) { deleted_ = deleted; }
    bool IsAnalysed() const { return analysed_; }
    void SetAnalysed(bool analysed) { analysed_ = analysed; }

    // Set by AddChild; null for the root.
    ResultNode* Parent() const { return parent_; }

    const NodeList& Children() const { return children_; }
    std::size_t ChildCount() const { return children_.size(); }
    ResultNode* Child(std::size_t index) const {
        return index < children_.size() ? children_[index].get() : nullptr;
    }
    ResultNode& AddChild(std::unique_ptr<ResultNode> child);
    // Deletes the children for which remove returns true, keeping the others' order.
    void RemoveChildren(const std::function<bool(const ResultNode&)>& remove);
    void ClearChildren() { children_.clear(); }

    const FileList& Files() const { return files_; }
    std::size_t FileCount() const { return files_.size(); }
    FileEntry* File(std::size_t index) const {
        return index < files_.size() ? files_[index].get() : nullptr;
    }
    FileEntry& AddFile(std::unique_ptr<FileEntry> file);
    void RemoveFiles(const std::function<bool(const FileEntry&)>& remove);
    void ClearFiles() { files_.clear(); }

    // Things the analysis met that the user should learn of (a volume cut short, a
    // backup boot sector in use); the worker logs them after the step that added them.
    void AddNote(std::u16string text) { notes_.push_back(std::move(text)); }
    std::vector<std::u16string> TakeNotes() { return std::exchange(notes_, {}); }

    KeyList& FolderKeys() { return folderKeys_; }
    KeyList& FileKeys() { return fileKeys_; }
    const KeyList& FolderKeys() const { return folderKeys_; }
    const KeyList& FileKeys() const { return fileKeys_; }

private:
    KeyList folderKeys_; // folders found below this node during reconstruction
    KeyList fileKeys_;   // files found below this node during reconstruction
    std::u16string name_;
    bool deleted_ = false;
    bool analysed_ = false;
    NodeList children_;
    FileList files_;
    std::vector<std::u16string> notes_;
    ResultNode* parent_ = nullptr;
};

// Runs AnalyseStep until it completes or fails (at once when already analysed) and
// leaves the node marked analysed. True unless the analysis failed.
bool AnalyseCompletely(ResultNode& node);

// True when an ancestor of node (not node itself) has the given folder key: a folder
// entry that points back up the tree, which must not be followed.
bool AncestorHasKey(const ResultNode& node, std::uint64_t key);

} // namespace vantrel
