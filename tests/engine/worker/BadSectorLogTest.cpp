#include "MemoryDisk.h"
#include "ScriptedSink.h"
#include "engine/request/Messages.h"
#include "engine/scan/MethodSelection.h"
#include "engine/tree/ScanResultNode.h"
#include "engine/worker/ScanWorker.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

int window = 0;

std::vector<std::string> ReadErrors(const ScriptedSink& sink) {
    std::vector<std::string> errors;
    for (const std::string& text : sink.LogTexts())
        if (text.rfind("読み込みエラー", 0) == 0)
            errors.push_back(text);
    return errors;
}

} // namespace

// Sectors 60 and 61 lie in the overlap of the first two chunks and are read twice; each
// unreadable sector is still logged once, in the order met.
TEST(BadSectorLog, FiveUnreadableSectorsGiveFiveLinesInTheOrderMet) {
    InstallScanMethods();
    MemoryDisk memory(1024, 512);
    FaultyDisk disk(memory);
    for (const std::uint64_t lba : {700u, 5u, 60u, 61u, 300u})
        disk.MakeUnreadable(lba);
    CDiskWindow diskWindow;
    ASSERT_TRUE(diskWindow.Open(&disk, 0, 0));
    ScanResultNode node;
    ASSERT_TRUE(node.SetUp(&diskWindow, 0, ~0ull));
    ASSERT_TRUE(node.SelectMethod(kMethodSignature));

    ScriptedSink sink;
    TreeItemRecord record(&sink, &window);
    record.SetNode(&node);
    ASSERT_TRUE(StartScanWorker(record));
    EXPECT_EQ(record.JoinWorker(), kWorkerExitDone);
    EXPECT_EQ(ReadErrors(sink), (std::vector<std::string>{
                                    "読み込みエラーが発生しました(LBA:5)",
                                    "読み込みエラーが発生しました(LBA:60)",
                                    "読み込みエラーが発生しました(LBA:61)",
                                    "読み込みエラーが発生しました(LBA:300)",
                                    "読み込みエラーが発生しました(LBA:700)",
                                }));
    EXPECT_EQ(node.BadSectors()->Size(), 5u);
}
