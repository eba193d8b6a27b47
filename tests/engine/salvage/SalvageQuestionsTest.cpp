// The three questions of a salvage run, their answers and the run switches.

#include "Fixtures.h"
#include "MemoryDisk.h"
#include "SalvageHarness.h"
#include "device/DiskWindow.h"
#include "engine/tree/ExtentList.h"
#include "platform/Utf.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;
namespace fs = std::filesystem;

namespace {

struct Files {
    ResultNode folder;
    std::vector<FileEntry*> entries;
    FileEntry* Add(std::unique_ptr<FileEntry> entry) {
        entries.push_back(&folder.AddFile(std::move(entry)));
        return entries.back();
    }
};

SalvageJob FileJob(const fs::path& destination, const Files& files) {
    SalvageJob job;
    job.destination = destination;
    for (FileEntry* entry : files.entries)
        job.items.push_back({entry, const_cast<ResultNode*>(&files.folder), nullptr, {}});
    job.isFatFolder = [](const fs::path&) { return false; };
    return job;
}

} // namespace

TEST(SalvageQuestions, OverwriteAnswersAndTheAllSwitchLastingOneRun) {
    const fs::path dir = ScratchDir("salvage-overwrite");
    Files files;
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt", "e.txt"})
        files.Add(MemoryFile(FromUtf8(name), std::string("new ") + name));
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        WriteWholeFile(dir / name, "old");

    // a: yes, b: no, c: yes to all, d: no question (overwritten), e: new.
    SalvageJob first = FileJob(dir, files);
    HarnessResult run = RunScripted(first, {{6, 7, 1000}, {}, {}}, &files.folder);
    EXPECT_FALSE(run.unexpectedQuestion);
    EXPECT_EQ(run.questions.size(), 3u);
    EXPECT_EQ(ReadWholeFile(dir / "a.txt"), "new a.txt");
    EXPECT_EQ(ReadWholeFile(dir / "b.txt"), "old");
    EXPECT_EQ(ReadWholeFile(dir / "c.txt"), "new c.txt");
    EXPECT_EQ(ReadWholeFile(dir / "d.txt"), "new d.txt");
    EXPECT_EQ(ReadWholeFile(dir / "e.txt"), "new e.txt");
    EXPECT_EQ(first.summary.ok, 4u);
    EXPECT_EQ(first.summary.skipped, 1u);
    EXPECT_EQ(run.jobState, kJobDone);
    EXPECT_EQ(run.exitCode, kWorkerExitDone);
    // The question names the entry and the existing file's full path.
    const auto question = std::find_if(run.requests.begin(), run.requests.end(),
                                       [](const SeenRequest& r) { return r.message == 0x46A; });
    ASSERT_NE(question, run.requests.end());
    EXPECT_EQ(question->pointer, files.entries[0]);
    EXPECT_EQ(ToUtf8(question->text), (dir / "a.txt").string());

    // A new run asks again; cancel ends it at once, leaving what is there.
    WriteWholeFile(dir / "a.txt", "older");
    SalvageJob second = FileJob(dir, files);
    run = RunScripted(second, {{2}, {}, {}}, &files.folder);
    EXPECT_FALSE(run.unexpectedQuestion);
    EXPECT_EQ(run.questions.size(), 1u);
    EXPECT_EQ(ReadWholeFile(dir / "a.txt"), "older");
    EXPECT_EQ(second.summary.done, 1u);
    EXPECT_TRUE(second.summary.endedByAnswer);
    EXPECT_EQ(run.jobState, kJobFailed);
    EXPECT_EQ(run.exitCode, kWorkerExitFailed);
    EXPECT_EQ(run.Count(msg::kSalvageFileStart), 0u);
}

TEST(SalvageQuestions, FailureAnswersContinueIgnoreAllOrEndKeepingEarlierFiles) {
    Files files;
    files.Add(MemoryFile(u"one.txt", "1"));
    files.Add(UnreadableFile(u"bad1.bin", 4096));
    files.Add(MemoryFile(u"two.txt", "2"));
    files.Add(UnreadableFile(u"bad2.bin", 10));
    files.Add(MemoryFile(u"three.txt", "3"));

    struct Case {
        std::deque<int> answers;
        std::size_t questions;
        std::vector<std::string> kept;
        bool ended;
    };
    const std::vector<Case> cases = {
        {{6, 6}, 2, {"one.txt", "three.txt", "two.txt"}, false},
        {{1000}, 1, {"one.txt", "three.txt", "two.txt"}, false},
        {{7}, 1, {"one.txt"}, true},
    };
    for (const Case& c : cases) {
        const fs::path dir = ScratchDir("salvage-failure");
        SalvageJob job = FileJob(dir, files);
        const HarnessResult run = RunScripted(job, {{}, {}, c.answers}, &files.folder);
        SCOPED_TRACE(c.answers.front());
        EXPECT_FALSE(run.unexpectedQuestion);
        EXPECT_EQ(run.questions.size(), c.questions);
        // No failed file under its final name, and no temporary file left behind.
        EXPECT_EQ(ListFiles(dir), c.kept);
        EXPECT_EQ(job.summary.endedByAnswer, c.ended);
        EXPECT_EQ(run.jobState, c.ended ? kJobFailed : kJobDone);
        EXPECT_NE(std::find_if(run.logTexts.begin(), run.logTexts.end(),
                               [](const std::string& t) {
                                   return t.find("bad1.bin") != std::string::npos &&
                                          t.find("読み込めません") != std::string::npos;
                               }),
                  run.logTexts.end());
    }
}

TEST(SalvageQuestions, FiveGigabyteFileToFatAsksAndNoSkipsItOnly) {
    // 5 GB of sparse runs: nothing is read from the disk and, answered with no, nothing
    // is written.
    MemoryDisk disk(64, 512);
    CDiskWindow window;
    ASSERT_TRUE(window.Open(&disk, 0, 0));
    ASSERT_TRUE(window.GetCapacity(nullptr, nullptr));
    Files files;
    auto huge = std::make_unique<FileEntry>();
    ASSERT_TRUE(huge->AttachToWindow(&window));
    huge->name = u"video.bin";
    huge->size = 5ull << 30;
    huge->extents.Append(kSparseExtentLba, huge->size / 512);
    files.Add(std::move(huge));
    files.Add(MemoryFile(u"after.txt", "after"));

    const fs::path dir = ScratchDir("salvage-fat");
    std::vector<fs::path> asked;
    SalvageJob job = FileJob(dir, files);
    job.isFatFolder = [&asked](const fs::path& folder) {
        asked.push_back(folder);
        return true;
    };
    const HarnessResult run = RunScripted(job, {{}, {7}, {}}, &files.folder);
    EXPECT_FALSE(run.unexpectedQuestion);
    ASSERT_EQ(run.questions, std::vector<std::uint32_t>{msg::kAskSizeLimit});
    EXPECT_EQ(ListFiles(dir), std::vector<std::string>{"after.txt"});
    EXPECT_EQ(job.summary.skipped, 1u);
    EXPECT_EQ(job.summary.ok, 1u);
    EXPECT_EQ(run.jobState, kJobDone);
    EXPECT_FALSE(asked.empty());
}

TEST(SalvageQuestions, SizeLimitYesCutsAndYesToAllCutsLaterFilesUnasked) {
    Files files;
    files.Add(MemoryFile(u"a.bin", std::string(100, 'a')));
    files.Add(MemoryFile(u"b.bin", std::string(100, 'b')));
    files.Add(MemoryFile(u"c.bin", std::string(100, 'c')));
    files.Add(MemoryFile(u"small.bin", std::string(10, 's')));
    const fs::path dir = ScratchDir("salvage-cut");
    SalvageJob job = FileJob(dir, files);
    job.isFatFolder = [](const fs::path&) { return true; };
    job.fatQuestionSize = 64;
    job.fatCutSize = 63;
    const HarnessResult run = RunScripted(job, {{}, {6, 1000}, {}}, &files.folder);
    EXPECT_FALSE(run.unexpectedQuestion);
    EXPECT_EQ(run.questions.size(), 2u);
    EXPECT_EQ(ReadWholeFile(dir / "a.bin"), std::string(63, 'a'));
    EXPECT_EQ(ReadWholeFile(dir / "b.bin"), std::string(63, 'b'));
    EXPECT_EQ(ReadWholeFile(dir / "c.bin"), std::string(63, 'c'));
    EXPECT_EQ(ReadWholeFile(dir / "small.bin"), std::string(10, 's'));
    EXPECT_EQ(job.summary.cut, 3u);
    EXPECT_EQ(job.summary.ok, 1u);
}

TEST(SalvageQuestions, NoAnswerAtAllIsTakenAsTheSafeChoice) {
    // The receiver completes questions without answering (a window that is closing).
    Files files;
    files.Add(MemoryFile(u"exists.txt", "new"));
    files.Add(MemoryFile(u"later.txt", "later"));
    const fs::path dir = ScratchDir("salvage-noanswer");
    WriteWholeFile(dir / "exists.txt", "old");
    SalvageJob job = FileJob(dir, files);
    const HarnessResult run = RunScripted(job, {}, &files.folder);
    EXPECT_TRUE(run.unexpectedQuestion);
    EXPECT_EQ(ReadWholeFile(dir / "exists.txt"), "old");
    EXPECT_TRUE(job.summary.endedByAnswer);
    EXPECT_FALSE(fs::exists(dir / "later.txt"));
}

TEST(SalvageQuestions, AFailedOverwriteLeavesTheExistingFileAsItWas) {
    Files files;
    files.Add(UnreadableFile(u"report.doc", 3000));
    const fs::path dir = ScratchDir("salvage-failed-overwrite");
    WriteWholeFile(dir / "report.doc", "the only good copy");
    SalvageJob job = FileJob(dir, files);
    const HarnessResult run = RunScripted(job, {{6}, {}, {6}}, &files.folder);
    EXPECT_FALSE(run.unexpectedQuestion);
    EXPECT_EQ(run.questions,
              (std::vector<std::uint32_t>{msg::kAskOverwrite, msg::kAskContinueAfterFailure}));
    EXPECT_EQ(ReadWholeFile(dir / "report.doc"), "the only good copy");
    EXPECT_EQ(ListFiles(dir), std::vector<std::string>{"report.doc"});
}
