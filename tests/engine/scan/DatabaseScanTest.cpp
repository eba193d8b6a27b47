#include "SampleFiles.h"
#include "ScanTestSupport.h"
#include "engine/scan/MethodSelection.h"
#include "engine/scan/SignatureScanMethod.h"
#include "engine/tree/FileCondition.h"
#include "engine/tree/FileEntry.h"
#include "platform/Utf.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

ByteVector RtfText(std::size_t size) {
    std::string text = "{\\rtf1\\ansi ";
    while (text.size() < size)
        text += "plain words ";
    text.resize(size);
    return ByteVector(text.begin(), text.end());
}

} // namespace

// Files carved from a noisy disk land in the node in start order, named by their start
// sector, renamed by content, rated 3 and readable; an unreadable sector is recorded.
TEST(DatabaseScan, CarvedFilesBecomeReadableEntriesOfTheNode) {
    InstallScanMethods();
    SectorImage image(400, 512, 7);
    const SampleFile jpg = Sample(FileKind::Jpg);
    const SampleFile wav = Sample(FileKind::Wav);
    const ByteVector doc = CompoundDocument({u"WordDocument"});
    const ByteVector rtf = RtfText(700);
    image.Place(20, jpg.bytes);
    image.Place(100, wav.bytes);
    image.Place(200, doc);
    image.Place(300, rtf);
    image.Fill(302, 8, 0);

    MemoryDisk memory(image.Bytes());
    FaultyDisk disk(memory);
    disk.MakeUnreadable(150);
    CDiskWindow window;
    ASSERT_TRUE(window.Open(&disk, 0, 0));
    ScanResultNode node;
    ASSERT_TRUE(node.SetUp(&window, 0, ~0ull));
    ASSERT_TRUE(node.SelectMethod(kMethodSignature));
    EXPECT_EQ(ToUtf8(node.MethodName()), "データベース方式");
    ASSERT_TRUE(RunSearch(node)); // nothing to search for
    ASSERT_TRUE(RunDetect(node));

    EXPECT_EQ(FileNames(node),
              (std::vector<std::string>{"0000000000000014.JPG", "0000000000000064.WAV",
                                        "00000000000000C8.DOC", "000000000000012C.RTF"}));
    EXPECT_EQ(node.ChildCount(), 0u);
    FileEntry* first = node.File(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->size, jpg.carvedSize);
    EXPECT_TRUE(first->deleted);
    EXPECT_EQ(first->condition, kConditionGood);
    EXPECT_EQ(ReadWhole(*first),
              ByteVector(jpg.bytes.begin(), jpg.bytes.begin() + static_cast<long>(jpg.carvedSize)));
    const FileEntry* wavFile = node.File(1);
    const FileEntry* docFile = node.File(2);
    FileEntry* rtfFile = node.File(3);
    ASSERT_TRUE(wavFile && docFile && rtfFile);
    EXPECT_EQ(wavFile->size, wav.carvedSize);
    EXPECT_EQ(docFile->size, 100u * 512); // ends where the next file starts
    EXPECT_EQ(rtfFile->size, 700u);
    EXPECT_EQ(ReadWhole(*rtfFile), rtf);
    ASSERT_NE(node.BadSectors(), nullptr);
    EXPECT_EQ(node.BadSectors()->Lbas(), (std::vector<std::uint64_t>{150}));

    // A new selection discards the previous scan's findings.
    ASSERT_TRUE(node.SelectMethod(kMethodSignature));
    EXPECT_EQ(node.FileCount(), 0u);
    EXPECT_TRUE(node.BadSectors()->Lbas().empty());
}

TEST(DatabaseScan, RangeOfFewerThanNineSectorsCompletesAtOnce) {
    InstallScanMethods();
    SectorImage image(8, 512, 3);
    image.Place(0, Sample(FileKind::Jpg).bytes);
    MemoryDisk disk(image.Bytes());
    CDiskWindow window;
    ASSERT_TRUE(window.Open(&disk, 0, 0));
    ScanResultNode node;
    ASSERT_TRUE(node.SetUp(&window, 0, ~0ull));
    ASSERT_TRUE(node.SelectMethod(kMethodAutomatic));
    EXPECT_EQ(ToUtf8(node.MethodName()), "データベース方式");
    EXPECT_EQ(node.DetectStep(), kStepComplete);
    EXPECT_EQ(node.FileCount(), 0u);
}

// Renaming by content reads the head the scan already holds, also for text running over
// a chunk edge; with an unreadable sector in it the head is read through the entry as
// before, and that read failing keeps the start-sector name.
TEST(DatabaseScan, RenamedFromTheSectorsTheScanRead) {
    InstallScanMethods();
    SectorImage image(400, 512, 7);
    image.Place(20, CompoundDocument({u"WordDocument"}));
    std::string html = "<html><body>";
    while (html.size() < 3000)
        html += "words and more words ";
    image.Place(60, ByteVector(html.begin(), html.end())); // the first chunk ends at 64
    image.Place(100, Sample(FileKind::Jpg).bytes);
    const auto names = [&](std::uint64_t unreadable) {
        MemoryDisk memory(image.Bytes());
        FaultyDisk disk(memory);
        if (unreadable != 0)
            disk.MakeUnreadable(unreadable);
        CDiskWindow window;
        ScanResultNode node;
        EXPECT_TRUE(window.Open(&disk, 0, 0) && node.SetUp(&window, 0, ~0ull) &&
                    node.SelectMethod(kMethodSignature) && RunSearch(node) && RunDetect(node));
        return FileNames(node);
    };
    EXPECT_EQ(names(0), (std::vector<std::string>{"0000000000000014.DOC", "000000000000003C.HTM",
                                                  "0000000000000064.JPG"}));
    EXPECT_EQ(names(30)[0], "0000000000000014.AAF");
}
