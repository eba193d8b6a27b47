#include "MemoryDisk.h"
#include "engine/tree/ScanResultNode.h"

#include <gtest/gtest.h>

using namespace vantrel;
using vantrel::testing::MemoryDisk;

namespace {

// A folder as a scan would find it: a key, and children that only appear when it is
// analysed (as a directory read on demand would add them).
class FoundFolder : public ResultNode {
public:
    FoundFolder(std::u16string folderName, std::uint64_t key, bool isDeleted = false) : key_(key) {
        SetName(std::move(folderName));
        SetDeleted(isDeleted);
    }
    std::uint64_t Key() const override { return key_; }
    StepResult AnalyseStep() override {
        ++analyseCalls;
        for (auto& child : pendingChildren)
            AddChild(std::move(child));
        pendingChildren.clear();
        for (auto& file : pendingFiles)
            AddFile(std::move(file));
        pendingFiles.clear();
        SetAnalysed(true);
        return failAnalysis ? kStepFailed : kStepComplete;
    }

    std::vector<std::unique_ptr<ResultNode>> pendingChildren;
    std::vector<std::unique_ptr<FileEntry>> pendingFiles;
    bool failAnalysis = false;
    int analyseCalls = 0;

private:
    std::uint64_t key_;
};

std::unique_ptr<FileEntry> File(std::u16string name, std::uint64_t firstLba, bool deleted = false) {
    auto file = std::make_unique<FileEntry>();
    file->name = std::move(name);
    file->deleted = deleted;
    if (firstLba != ~0ull)
        file->extents.Append(firstLba, 1);
    file->size = 100;
    return file;
}

FoundFolder* AddFolder(ResultNode& parent, std::u16string name, std::uint64_t key,
                       bool deleted = false) {
    return static_cast<FoundFolder*>(
        &parent.AddChild(std::make_unique<FoundFolder>(std::move(name), key, deleted)));
}

std::vector<std::u16string> ChildNames(const ResultNode& node) {
    std::vector<std::u16string> names;
    for (const auto& child : node.Children())
        names.push_back(child->Name() + (child->IsDeleted() ? u"*" : u""));
    return names;
}

std::vector<std::u16string> FileNames(const ResultNode& node) {
    std::vector<std::u16string> names;
    for (const auto& file : node.Files())
        names.push_back(file->name + (file->deleted ? u"*" : u""));
    return names;
}

struct ScanArea {
    ScanArea() : disk(1000, 512) {
        EXPECT_TRUE(window.Open(&disk, 0, 0));
        EXPECT_TRUE(node.SetUp(&window, 0, ~0ull));
    }
    void Reconstruct() {
        node.MergeDuplicates();
        for (int guard = 0; guard < 1000; ++guard) {
            const StepResult r = node.ReconstructStep();
            ASSERT_NE(r, kStepFailed);
            if (r == kStepComplete)
                return;
        }
        FAIL() << "reconstruction did not end";
    }
    MemoryDisk disk;
    CDiskWindow window;
    ScanResultNode node;
};

} // namespace

TEST(ScanResultNode, SetUpChecksTheRangeAgainstTheWindow) {
    MemoryDisk disk(100, 512);
    CDiskWindow window;
    ASSERT_TRUE(window.Open(&disk, 0, 0));
    ScanResultNode node;
    EXPECT_FALSE(node.SetUp(&window, 1, ~0ull)) << "all ones only from the start";
    EXPECT_FALSE(node.SetUp(&window, 90, 11));
    ASSERT_TRUE(node.SetUp(&window, 90, 10));
    EXPECT_EQ(node.Name(), u"スキャン結果");
    EXPECT_TRUE(node.IsDeleted());
    EXPECT_TRUE(node.IsAnalysed());
    EXPECT_TRUE(node.IsScanTarget());
    ASSERT_TRUE(node.SetUp(&window, 0, ~0ull));
    EXPECT_EQ(node.RangeLength(), 100u);
    EXPECT_FALSE(node.SelectMethod(kMethodFat)) << "no scan library installed";
    EXPECT_EQ(node.SearchStep(), kStepFailed);
}

TEST(MergeDuplicates, KeepsTheLiveCopyOrTheLaterDeletedOneAndNeverMergesKeylessFiles) {
    ScanArea area;
    AddFolder(area.node, u"stale", 50, true);
    AddFolder(area.node, u"live", 50);
    AddFolder(area.node, u"first", 60);
    AddFolder(area.node, u"second", 60);
    AddFolder(area.node, u"old", 70, true);
    AddFolder(area.node, u"newer", 70, true);
    // Longer runs of copies: the first live one wins over everything around it; with
    // none live, the last deleted one stays.
    AddFolder(area.node, u"d1", 80, true);
    AddFolder(area.node, u"l1", 80);
    AddFolder(area.node, u"d2", 80, true);
    AddFolder(area.node, u"l2", 80);
    AddFolder(area.node, u"x1", 90, true);
    AddFolder(area.node, u"x2", 90, true);
    AddFolder(area.node, u"x3", 90, true);
    area.node.AddFile(File(u"a", 500, true));
    area.node.AddFile(File(u"a-live", 500));
    area.node.AddFile(File(u"empty1", ~0ull));
    area.node.AddFile(File(u"empty2", ~0ull));

    area.node.MergeDuplicates();
    EXPECT_EQ(ChildNames(area.node),
              (std::vector<std::u16string>{u"live", u"first", u"newer*", u"l1", u"x3*"}));
    EXPECT_EQ(FileNames(area.node), (std::vector<std::u16string>{u"a-live", u"empty1", u"empty2"}));
}

TEST(ReconstructStep, MovesReachableFilesAndFoldersUnderTheirFolder) {
    ScanArea area;
    // Top level as a scan lists it: a folder, its sub-folder and their files found again
    // on their own, plus one file that belongs nowhere.
    FoundFolder* docs = AddFolder(area.node, u"docs", 10);
    AddFolder(area.node, u"sub", 20);
    auto sub = std::make_unique<FoundFolder>(u"sub", 20);
    sub->pendingFiles.push_back(File(u"deep.txt", 300));
    docs->pendingChildren.push_back(std::move(sub));
    docs->pendingFiles.push_back(File(u"a.txt", 200));
    docs->pendingFiles.push_back(File(u"gone.txt", 210, true));
    area.node.AddFile(File(u"a.txt", 200));
    area.node.AddFile(File(u"deep.txt", 300));
    area.node.AddFile(File(u"gone.txt", 210, true));
    area.node.AddFile(File(u"lost.txt", 400));

    area.Reconstruct();
    EXPECT_EQ(ChildNames(area.node), (std::vector<std::u16string>{u"docs"}));
    // A deleted file inside the folder is not a live copy there, so it stays on top.
    EXPECT_EQ(FileNames(area.node), (std::vector<std::u16string>{u"gone.txt*", u"lost.txt"}));
    EXPECT_TRUE(docs->FileKeys().Contains(300));
    EXPECT_TRUE(docs->FolderKeys().Contains(20));
}

TEST(ReconstructStep, FoldsCopiesOfAFolderAndLeavesDeletedTopFoldersAlone) {
    ScanArea area;
    auto fill = [](FoundFolder* folder) { folder->pendingFiles.push_back(File(u"x", 900)); };
    FoundFolder* deletedCopy = AddFolder(area.node, u"photos", 30, true);
    fill(deletedCopy);
    FoundFolder* liveA = AddFolder(area.node, u"photos", 31);
    fill(liveA);
    FoundFolder* liveB = AddFolder(area.node, u"photos", 32);
    fill(liveB);
    AddFolder(area.node, u"other", 33);

    // The deleted copy is before the live ones; it is read only for the entries it holds,
    // gathers no keys and so is no copy of them; the second live copy is folded into the
    // first.
    area.Reconstruct();
    EXPECT_EQ(ChildNames(area.node),
              (std::vector<std::u16string>{u"photos*", u"photos", u"other"}));
    EXPECT_EQ(deletedCopy->analyseCalls, 1);
}

TEST(ReconstructStep, FailedAnalysisStopsOnlyThatBranchAndLoopsEnd) {
    ScanArea area;
    FoundFolder* a = AddFolder(area.node, u"a", 1);
    a->failAnalysis = true;
    a->pendingFiles.push_back(File(u"f", 77));
    area.node.AddFile(File(u"f", 77));
    FoundFolder* b = AddFolder(area.node, u"b", 2);
    // b contains a folder with a's key that in turn contains one with b's key: the walk
    // must stop instead of following the cycle.
    auto inner = std::make_unique<FoundFolder>(u"a-again", 1);
    inner->pendingChildren.push_back(std::make_unique<FoundFolder>(u"b-again", 2));
    b->pendingChildren.push_back(std::move(inner));

    area.Reconstruct();
    // b reaches a folder with a's key, so the top-level a goes.
    EXPECT_EQ(ChildNames(area.node), (std::vector<std::u16string>{u"b"}));
    EXPECT_EQ(FileNames(area.node), (std::vector<std::u16string>{u"f"}));
}
