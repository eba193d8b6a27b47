// Folder salvage: names from disk, analysis on demand, messages, stopping, times, the
// manifest, a full disk and a refused destination.

#include "Fixtures.h"
#include "SalvageHarness.h"
#include "engine/salvage/Manifest.h"
#include "platform/Utf.h"

#include <atomic>
#include <gtest/gtest.h>
#include <set>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vantrel;
using namespace vantrel::testing;
namespace fs = std::filesystem;

namespace {

// A folder whose files and sub-folders appear only when it is analysed, two per step.
class LazyFolder : public ResultNode {
public:
    LazyFolder(std::u16string folderName, int files, int subFolders, int depth)
        : files_(files), subFolders_(subFolders), depth_(depth) {
        SetName(std::move(folderName));
    }
    StepResult AnalyseStep() override {
        ++steps;
        if (made_ < files_) {
            const std::string text = ToUtf8(Name()) + "#" + std::to_string(made_);
            AddFile(MemoryFile(u"f" + FromUtf8(std::to_string(made_)) + u".txt", text));
            ++made_;
            return static_cast<StepResult>(made_);
        }
        if (depth_ > 0)
            for (int i = 0; i < subFolders_; ++i)
                AddChild(std::make_unique<LazyFolder>(u"sub" + FromUtf8(std::to_string(i)), files_,
                                                      subFolders_, depth_ - 1));
        SetAnalysed(true);
        return kStepComplete;
    }
    int steps = 0;

private:
    int files_;
    int subFolders_;
    int depth_;
    int made_ = 0;
};

SalvageJob FolderJob(const fs::path& destination, ResultNode& folder) {
    SalvageJob job;
    job.destination = destination;
    job.items.push_back({nullptr, nullptr, &folder, {}});
    job.isFatFolder = [](const fs::path&) { return false; };
    return job;
}

bool Inside(const fs::path& folder, const fs::path& path) {
    const std::string base = fs::canonical(folder).string() + "/";
    return fs::weakly_canonical(path).string().rfind(base, 0) == 0;
}

} // namespace

TEST(SalvageFolder, HostileNamesStayInsideTheDestinationAndNeverCollide) {
    ResultNode root;
    root.SetName(u"..");
    root.SetAnalysed(true);
    const std::u16string longName = std::u16string(300, u'長') + u".txt";
    const std::vector<std::u16string> names = {u"../../x",
                                               u"a/b",
                                               u"c\x01"
                                               u"d\x7f",
                                               std::u16string(u"nul\0byte", 8),
                                               u".",
                                               u"..",
                                               u"",
                                               longName,
                                               longName,
                                               u"dup.txt",
                                               u"DUP.txt",
                                               u"manifest.jsonl",
                                               u"\\..\\win"};
    for (std::size_t i = 0; i < names.size(); ++i)
        root.AddFile(MemoryFile(names[i], "content " + std::to_string(i)));
    auto& evil = root.AddChild(std::make_unique<ResultNode>());
    evil.SetName(u"../..");
    evil.SetAnalysed(true);
    evil.AddFile(MemoryFile(u"inner", "inner"));

    const fs::path dir = ScratchDir("salvage-hostile");
    SalvageJob job = FolderJob(dir, root);
    job.writeManifest = true;
    job.filter.excludePatternsOn = false; // "." is one of the NTFS names left out by default
    const HarnessResult run = RunScripted(job, {}, &root);
    EXPECT_FALSE(run.unexpectedQuestion);
    EXPECT_EQ(job.summary.ok, names.size() + 1);

    const std::vector<std::string> files = ListFiles(dir);
    EXPECT_EQ(files.size(), names.size() + 2); // every file, and the manifest
    std::set<std::string> contents;
    for (const std::string& file : files) {
        const fs::path path = dir / file;
        EXPECT_TRUE(Inside(dir, path)) << file;
        for (const auto& part : fs::path(file))
            EXPECT_LE(part.string().size(), 255u) << file;
        if (file != "manifest.jsonl")
            contents.insert(ReadWholeFile(path));
    }
    EXPECT_EQ(contents.size(), names.size() + 1) << "a file overwrote another";
    // The top folder is named after the node (".." made safe), the manifest kept apart.
    EXPECT_TRUE(fs::is_directory(dir / "_.."));
    EXPECT_EQ(ReadWholeFile(dir / "_.." / ".._.." / "inner"), "inner");
    EXPECT_EQ(ReadWholeFile(dir / "_.." / "c_d_"), "content 2");
    EXPECT_EQ(ReadWholeFile(dir / "_.." / "DUP (2).txt"), "content 10");
    EXPECT_EQ(ReadWholeFile(dir / "_.." / "manifest.jsonl"), "content 11");
    const std::string manifest = ReadWholeFile(dir / "manifest.jsonl");
    EXPECT_NE(manifest.find("\"source\":\"../c\\u0001d\\u007f\""), std::string::npos) << manifest;
    EXPECT_NE(manifest.find("\"path\":\"_../c_d_\""), std::string::npos);
}

TEST(SalvageFolder, AnalysesOnDemandRecreatesFoldersAndReportsInOrder) {
    LazyFolder top(u"top", 2, 2, 2);
    const fs::path dir = ScratchDir("salvage-lazy");
    SalvageJob job = FolderJob(dir, top);
    job.pieceBytes = 512;
    const HarnessResult run = RunScripted(job, {}, &top);
    // 1 + 2 + 4 folders with 2 files each.
    EXPECT_EQ(job.summary.total, 14u);
    EXPECT_EQ(job.summary.ok, 14u);
    EXPECT_EQ(ReadWholeFile(dir / "top" / "sub1" / "sub0" / "f1.txt"), "sub0#1");
    EXPECT_EQ(top.steps, 3);
    EXPECT_EQ(ListFiles(dir).size(), 14u);

    std::vector<std::uint32_t> order;
    for (const SeenRequest& r : run.requests)
        if (r.message != msg::kLogLine && r.message != msg::kSalvageFileProgress)
            order.push_back(r.message);
    ASSERT_GE(order.size(), 6u);
    EXPECT_EQ(order[0], msg::kShowScreen);
    EXPECT_EQ(run.requests.front().message, msg::kLogLine); // "回収を開始しました"
    EXPECT_EQ(order[1], msg::kSalvageStart);
    EXPECT_EQ(order[2], msg::kSalvageFileStart);
    EXPECT_EQ(order[order.size() - 3], msg::kSalvageEnd);
    EXPECT_EQ(order[order.size() - 2], msg::kShowScreen);
    EXPECT_EQ(order.back(), msg::kScanFinished);
    std::vector<std::uint64_t> screens;
    std::size_t lastRecovered = 0;
    for (const SeenRequest& r : run.requests) {
        if (r.message == msg::kShowScreen)
            screens.push_back(r.value);
        if (r.message == msg::kSalvageStart) {
            EXPECT_EQ(r.value, 14u);
        }
        if (r.message == msg::kSalvageRecovered) {
            EXPECT_EQ(r.recoveredCount, lastRecovered + 1);
            lastRecovered = r.recoveredCount;
        }
    }
    EXPECT_EQ(screens, (std::vector<std::uint64_t>{5, 2}));
    EXPECT_EQ(run.Count(msg::kSalvageFileStart), 14u);
    EXPECT_EQ(run.logTexts.back(), "回収は終了しました");
}

TEST(SalvageFolder, StopBetweenPiecesLeavesNoPartialFileAndKeepsTheCancelState) {
    // The user stops the run while second.bin is being read: the worker does not wait for
    // a file's start to be shown, so the stop is made from inside the read.
    std::atomic<TreeItemRecord*> runRecord{nullptr};
    class StoppedWhileRead : public FileEntry {
    public:
        explicit StoppedWhileRead(std::atomic<TreeItemRecord*>& record) : record_(record) {}
        bool ReadNext(void* destination, std::size_t length) override {
            if (readPosition >= 1024 && record_.load())
                record_.load()->SetJobState(kJobCancel);
            return FileEntry::ReadNext(destination, length);
        }

    private:
        std::atomic<TreeItemRecord*>& record_;
    };
    ResultNode folder;
    folder.SetName(u"f");
    folder.SetAnalysed(true);
    folder.AddFile(MemoryFile(u"first.bin", std::string(2048, '1')));
    auto second = std::make_unique<StoppedWhileRead>(runRecord);
    second->name = u"second.bin";
    second->size = 64 * 1024;
    second->residentData = std::vector<std::uint8_t>(second->size, '2');
    folder.AddFile(std::move(second));
    folder.AddFile(MemoryFile(u"third.bin", "3"));
    const fs::path dir = ScratchDir("salvage-stop");
    SalvageJob job = FolderJob(dir, folder);
    job.pieceBytes = 512;
    job.detailMode = true;
    // The first request (a log line) is waited for: the record is known before any read.
    const HarnessResult run =
        RunScripted(job, {}, &folder, [&runRecord](TreeItemRecord& record, const SeenRequest&) {
            runRecord = &record;
        });
    EXPECT_EQ(ListFiles(dir), std::vector<std::string>{"f/first.bin"});
    EXPECT_TRUE(job.summary.stopped);
    EXPECT_EQ(run.jobState, kJobCancel);
    EXPECT_EQ(run.exitCode, kWorkerExitFailed);
    EXPECT_EQ(run.logTexts.back(), "回収は終了しました(キャンセル)");
    EXPECT_EQ(run.Count(msg::kSalvageEnd), 1u);
}

TEST(SalvageFolder, RecoveredFilesCarryTheEntryTimesWhenKnown) {
    ResultNode folder;
    folder.SetName(u"t");
    folder.SetAnalysed(true);
    FileEntry& dated = folder.AddFile(MemoryFile(u"dated.txt", "x"));
    dated.modifyTime = 1000000000;
    dated.accessTime = 1100000000;
    folder.AddFile(MemoryFile(u"undated.txt", "y"));
    const fs::path dir = ScratchDir("salvage-times");
    SalvageJob job = FolderJob(dir, folder);
    RunScripted(job, {}, &folder);
    struct stat info {};
    ASSERT_EQ(::stat((dir / "t" / "dated.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, 1000000000);
    EXPECT_EQ(info.st_atime, 1100000000);
    ASSERT_EQ(::stat((dir / "t" / "undated.txt").c_str(), &info), 0);
    EXPECT_GT(info.st_mtime, 1600000000); // left at the time of writing
}

TEST(SalvageFolder, DeletedEntriesAreLeftOutOnRequestAndLoopsAreNotFollowed) {
    ResultNode folder;
    folder.SetName(u"d");
    folder.SetAnalysed(true);
    folder.AddFile(MemoryFile(u"live.txt", "l"));
    folder.AddFile(MemoryFile(u"gone.txt", "g")).deleted = true;
    auto& deletedFolder = folder.AddChild(std::make_unique<ResultNode>());
    deletedFolder.SetName(u"old");
    deletedFolder.SetDeleted(true);
    deletedFolder.SetAnalysed(true);
    deletedFolder.AddFile(MemoryFile(u"inside.txt", "i"));

    const fs::path dir = ScratchDir("salvage-deleted");
    SalvageJob job = FolderJob(dir, folder);
    job.filter.includeDeletedFiles = job.filter.includeDeletedFolders = false;
    RunScripted(job, {}, &folder);
    EXPECT_EQ(ListFiles(dir), std::vector<std::string>{"d/live.txt"});

    const fs::path all = ScratchDir("salvage-deleted-all");
    SalvageJob everything = FolderJob(all, folder);
    RunScripted(everything, {}, &folder);
    EXPECT_EQ(ListFiles(all),
              (std::vector<std::string>{"d/gone.txt", "d/live.txt", "d/old/inside.txt"}));
}

TEST(SalvageFolder, ALinkInThePlaceOfAFolderIsNotFollowed) {
    ResultNode folder;
    folder.SetName(u"victim");
    folder.SetAnalysed(true);
    folder.AddFile(MemoryFile(u"payload", "p"));
    const fs::path dir = ScratchDir("salvage-link");
    const fs::path outside = ScratchDir("salvage-link-outside");
    fs::create_directory_symlink(outside, dir / "victim");
    SalvageJob job = FolderJob(dir, folder);
    const HarnessResult run = RunScripted(job, {{}, {}, {6}}, &folder);
    EXPECT_TRUE(fs::is_empty(outside));
    EXPECT_EQ(job.summary.failed, 1u);
    EXPECT_EQ(run.questions, std::vector<std::uint32_t>{msg::kAskContinueAfterFailure});
}

TEST(SalvageFolder, DestinationBesideTheImageIsAccepted) {
    const fs::path scratch = ScratchDir("salvage-refuse");
    const fs::path image = scratch / "disk.img";
    WriteWholeFile(image, std::string(4096, '\0'));
    ResultNode folder;
    folder.SetName(u"x");
    folder.SetAnalysed(true);
    folder.AddFile(MemoryFile(u"a", "a"));
    const fs::path dir = scratch / "out" / "deeper";
    SalvageJob job = FolderJob(dir, folder);
    job.sourcePath = image.string();
    const HarnessResult run = RunScripted(job, {}, &folder);
    EXPECT_FALSE(job.summary.refused) << job.summary.refusal;
    EXPECT_EQ(ReadWholeFile(dir / "x" / "a"), "a");
    EXPECT_EQ(run.jobState, kJobDone);
}

TEST(SalvageFolder, FullDiskFailsTheFileWithAClearMessage) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root";
    const fs::path mountPoint = ScratchDir("salvage-full");
    if (::mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount tmpfs here";
    ResultNode folder;
    folder.SetName(u"full");
    folder.SetAnalysed(true);
    folder.AddFile(MemoryFile(u"big.bin", std::string(256 * 1024, 'b')));
    folder.AddFile(MemoryFile(u"small.txt", "s"));
    SalvageJob job = FolderJob(mountPoint, folder);
    std::string error;
    job.onFileDone = [&error](const SalvageOutcome& outcome) {
        if (outcome.status == SalvageStatus::Failed)
            error = outcome.error;
    };
    const HarnessResult run = RunScripted(job, {{}, {}, {6}}, &folder);
    EXPECT_EQ(ListFiles(mountPoint), std::vector<std::string>{"full/small.txt"});
    ::umount(mountPoint.c_str());
    EXPECT_NE(error.find("空き容量が不足"), std::string::npos) << error;
    EXPECT_EQ(job.summary.failed, 1u);
    EXPECT_EQ(run.questions.size(), 1u);
}

namespace {

// A folder whose analysis returns the same position for ever, as a directory block that
// stays unreadable would.
class StuckFolder : public ResultNode {
public:
    StuckFolder() {
        SetName(u"stuck");
        AddFile(MemoryFile(u"found.txt", "found"));
    }
    StepResult AnalyseStep() override {
        ++steps;
        return 32768;
    }
    int steps = 0;
};

} // namespace

TEST(SalvageFolder, AnAnalysisThatMakesNoProgressEndsAndKeepsWhatItFound) {
    StuckFolder folder;
    const fs::path dir = ScratchDir("salvage-stuck");
    SalvageJob job = FolderJob(dir, folder);
    const HarnessResult run = RunScripted(job, {}, &folder);
    EXPECT_LT(folder.steps, 100);
    EXPECT_TRUE(folder.IsAnalysed());
    EXPECT_EQ(ReadWholeFile(dir / "stuck" / "found.txt"), "found");
    EXPECT_NE(std::find(run.logTexts.begin(), run.logTexts.end(), "解析に失敗しました"),
              run.logTexts.end());
}

// Each file's start and end are shown without the worker stopping for them (a round trip
// through the window's event loop each made a folder of small files several times slower
// than copying it), and the window has handled them all before the run waits for
// anything else.
TEST(SalvageFolder, FileMessagesDoNotHoldTheWorker) {
    ResultNode folder;
    folder.SetName(u"many");
    folder.SetAnalysed(true);
    for (int i = 0; i < 4; ++i)
        folder.AddFile(MemoryFile(u"f" + FromUtf8(std::to_string(i)), "data"));
    SalvageJob job = FolderJob(ScratchDir("salvage-ahead"), folder);
    RequestQueue queue;
    TreeItemRecord record(&queue, &queue);
    record.SetNode(&folder);
    ASSERT_TRUE(StartSalvage(record, job));
    std::vector<UiRequest*> shown; // taken, not yet handled
    std::vector<std::int64_t> recoveredCounts;
    while (UiRequest* request = queue.Take(std::chrono::seconds(20))) {
        const std::uint32_t message = request->Message();
        if (message == msg::kSalvageFileStart || message == msg::kSalvageRecovered) {
            if (message == msg::kSalvageRecovered)
                recoveredCounts.push_back(request->integers.at(0));
            shown.push_back(request);
            if (shown.size() == 8) { // all eight came while none was handled
                for (UiRequest* waiting : shown)
                    UiRequest::CompleteAll(waiting);
                shown.clear();
            }
            continue;
        }
        if (message != msg::kSalvageFileProgress) {
            EXPECT_TRUE(shown.empty()) << std::hex << message;
        }
        UiRequest::CompleteAll(request);
        if (message == msg::kScanFinished)
            break;
    }
    EXPECT_TRUE(shown.empty()) << "the worker stopped for a file's messages";
    for (UiRequest* waiting : shown)
        UiRequest::CompleteAll(waiting);
    EXPECT_EQ(record.JoinWorker(), kWorkerExitDone);
    EXPECT_EQ(recoveredCounts, (std::vector<std::int64_t>{1, 2, 3, 4}));
    EXPECT_EQ(job.recovered.Size(), 4u);
}
