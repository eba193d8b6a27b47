#pragma once

// "スキャン結果": the raw-sector range of a drive or partition that a scan searches.
// Whatever a scan finds becomes its children (folders) and files; MergeDuplicates and
// ReconstructStep then fold copies and folders reachable under others.

#include "engine/tree/ResultNode.h"
#include "engine/tree/ScanMethod.h"
#include "engine/tree/SortedKeys.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vantrel {

class ScanResultNode : public ResultNode {
public:
    ScanResultNode() = default;
    ~ScanResultNode() override;

    // Refuses without a usable capacity or when the range passes the window's end; a
    // length of all ones means the whole window and is taken only with start 0.
    bool SetUp(CDiskWindow* window, std::uint64_t start, std::uint64_t length);

    void Reset() override;
    CDiskWindow* GetWindow() override { return window_; }
    std::uint64_t RangeStart() const override { return start_; }
    std::uint64_t RangeLength() const override { return length_; }
    bool IsScanTarget() const override { return true; }
    // Discards what the previous scan found and attaches the method for code.
    bool SelectMethod(MethodCode code) override;
    std::u16string MethodName() const override;
    StepResult SearchStep() override;
    StepResult DetectStep() override;
    // The method's work between detection and the rebuild, step by step.
    StepResult FinishStep();
    void DetectStopped();
    BadSectorList* BadSectors() override;

    // Attaches a method made by the caller, discarding the previous scan's findings.
    void AttachMethod(std::unique_ptr<ScanMethod> method);
    ScanMethod* Method() const { return method_.get(); }

    // After detection: of two folders (files) with the same key keeps the live copy, of
    // two deleted copies the later, of two live copies the earlier.
    void MergeDuplicates();
    // One top-level folder per step: files and folders reachable below it leave the top
    // level, and copies of it found earlier are folded. All ones when done. Top-level
    // items that are the same on-disk entry as one below a folder (deleted and empty
    // files included) leave the top level too. Linear in what the folders hold: maps from
    // keys to folders, and the top level compacted now and then rather than every step.
    StepResult ReconstructStep();
    std::uint64_t Cursor() const { return cursor_; }

private:
    void ClearRebuild();
    void FoldFolder(ResultNode& f);
    void CollectEntries(ResultNode& node, int depth, std::unordered_set<std::uint64_t>& visited,
                        std::vector<std::uint64_t>& folderKeys);
    // Takes the folders and files marked to leave out of the top level.
    void Compact();

    CDiskWindow* window_ = nullptr; // not owned
    std::uint64_t start_ = 0;
    std::uint64_t length_ = 0;
    std::unique_ptr<ScanMethod> method_;
    std::uint64_t cursor_ = 0;

    // Reconstruction's working state.
    bool indexed_ = false;
    std::unordered_map<std::uint64_t, std::vector<ResultNode*>> foldersByKey_;
    std::unordered_map<std::u16string, std::vector<ResultNode*>> doneByName_;
    std::unordered_set<const ResultNode*> gone_;
    SortedKeys reachableFileKeys_;           // live files below live folders
    SortedKeys reachableEntries_;            // entryIds of every file below
    std::size_t reachedSinceCompaction_ = 0; // keys and entries added since the last one
};

} // namespace vantrel
