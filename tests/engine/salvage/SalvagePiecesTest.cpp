// The toolkit-free pieces of salvage: question texts, safe names, SHA-256, the manifest
// line, the destination decision and the writer's rename rules.

#include "Fixtures.h"
#include "SalvageHarness.h"
#include "engine/salvage/FileCopier.h"
#include "engine/salvage/Manifest.h"
#include "engine/salvage/PipelinedHash.h"
#include "engine/salvage/QuestionText.h"
#include "engine/salvage/SafeName.h"
#include "engine/salvage/Sha256.h"
#include "platform/DestinationDevice.h"
#include "platform/OutputFile.h"
#include "platform/Utf.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

using namespace vantrel;
using namespace vantrel::testing;
namespace fs = std::filesystem;

TEST(QuestionText, SizeUnitsStepAboveNotAt1024) {
    EXPECT_EQ(SizeText(0), u"0 BYTE");
    EXPECT_EQ(SizeText(1024), u"1024 BYTE");
    EXPECT_EQ(SizeText(1025), u"1 KB");
    EXPECT_EQ(SizeText(1024ull * 1024), u"1024 KB");
    EXPECT_EQ(SizeText(1024ull * 1024 + 1), u"1024 KB");
    EXPECT_EQ(SizeText(1025ull * 1024), u"1 MB");
    EXPECT_EQ(SizeText(5ull << 30), u"5 GB");
    EXPECT_EQ(SizeText(~0ull), u"15 EB");
}

TEST(QuestionText, ModificationDateInLocalTimeOrNothingWhenUnknown) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    ::setenv("TZ", "JST-9", 1);
    ::tzset();
    EXPECT_EQ(ToUtf8(ModifyTimeText(FileTime{0})), "更新日時: 1970年1月1日、9:00:00");
    EXPECT_EQ(ToUtf8(ModifyTimeText(FileTime{1234567890})), "更新日時: 2009年2月14日、8:31:30");
    EXPECT_TRUE(ModifyTimeText(FileTime{}).empty());
    if (old)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

TEST(SafeName, SeparatorsControlsAndDotNamesBecomeOneHarmlessComponent) {
    EXPECT_EQ(SafeComponent(u"../../x"), ".._.._x");
    EXPECT_EQ(SafeComponent(u"a/b"), "a_b");
    EXPECT_EQ(SafeComponent(u"a\\b"), "a_b");
    EXPECT_EQ(SafeComponent(std::u16string(u"a\0b\x1f\x7f\x85", 6)), "a_b___");
    EXPECT_EQ(SafeComponent(u"."), "_.");
    EXPECT_EQ(SafeComponent(u".."), "_..");
    EXPECT_EQ(SafeComponent(u""), "_");
    EXPECT_EQ(SafeComponent(u"..."), "...");
    EXPECT_EQ(SafeComponent(u"写真 1.JPG"), "写真 1.JPG");
    // An unpaired surrogate from a damaged NTFS name still yields valid UTF-8.
    EXPECT_EQ(SafeComponent(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
    SafeNameOptions fat;
    fat.windowsRules = true;
    EXPECT_EQ(SafeComponent(u"a:b?.txt.", fat), "a_b_.txt_");
}

TEST(SafeName, LongNamesKeepTheirExtensionAndStayApart) {
    const std::u16string a = std::u16string(300, u'あ') + u"A.jpeg";
    const std::u16string b = std::u16string(300, u'あ') + u"B.jpeg";
    const std::string safeA = SafeComponent(a);
    const std::string safeB = SafeComponent(b);
    EXPECT_LE(safeA.size(), kMaxComponentBytes);
    EXPECT_NE(safeA, safeB);
    EXPECT_EQ(safeA.substr(safeA.size() - 5), ".jpeg");
    EXPECT_EQ(safeA, SafeComponent(a)); // deterministic
    EXPECT_EQ(FromUtf8(safeA).find(u'\xFFFD'), std::u16string::npos) << "cut inside a character";
    const std::string ascii = SafeComponent(std::u16string(300, u'x'));
    EXPECT_EQ(ascii.size(), kMaxComponentBytes);
}

TEST(SafeName, ClashesGetNumberedInOrderIgnoringCase) {
    FolderNamer namer({}, {"manifest.jsonl"});
    EXPECT_EQ(namer.Assign(u"a/b.txt"), "a_b.txt");
    EXPECT_EQ(namer.Assign(u"a_b.txt"), "a_b (2).txt");
    EXPECT_EQ(namer.Assign(u"A_B.TXT"), "A_B (3).TXT");
    EXPECT_EQ(namer.Assign(u"a_b (2).txt"), "a_b (2) (2).txt");
    EXPECT_EQ(namer.Assign(u"Manifest.jsonl"), "Manifest (2).jsonl");
    const std::u16string longName = std::u16string(400, u'z') + u".txt";
    const std::string first = namer.Assign(longName);
    const std::string second = namer.Assign(longName);
    EXPECT_NE(first, second);
    EXPECT_LE(second.size(), kMaxComponentBytes);
    EXPECT_EQ(second.substr(second.size() - 8), " (2).txt");
}

TEST(Sha256, KnownVectors) {
    const auto hex = [](const std::string& text) {
        Sha256 hash;
        hash.Update(text.data(), text.size());
        return hash.FinishHex();
    };
    EXPECT_EQ(hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    // A million 'a' fed in uneven pieces crosses every buffering path.
    Sha256 hash;
    const std::string chunk(1100, 'a');
    std::size_t left = 1000000;
    for (std::size_t piece = 1; left > 0; piece = piece % 997 + 61) {
        const std::size_t n = std::min(piece, left);
        hash.Update(chunk.data(), n);
        left -= n;
    }
    EXPECT_EQ(hash.FinishHex(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Manifest, LineEscapesQuotesBackslashesAndControls) {
    ManifestRecord record;
    record.path = "a \"b\"\\c";
    record.source = std::string("x\ny\x01", 4);
    record.size = 5368709120ull;
    record.condition = 6;
    record.deleted = true;
    record.status = "failed";
    record.error = "読めません";
    EXPECT_EQ(ManifestLine(record),
              "{\"path\":\"a \\\"b\\\"\\\\c\",\"source\":\"x\\ny\\u0001\",\"size\":5368709120,"
              "\"condition\":6,\"deleted\":true,\"status\":\"failed\",\"error\":\"読めません\"}\n");
}

TEST(DestinationDevice, DecisionCoversDevicesPartitionsLayersAndImages) {
    const std::uint64_t sda = ::makedev(8, 0);
    const std::uint64_t sda1 = ::makedev(8, 1);
    const std::uint64_t sdb1 = ::makedev(8, 17);
    const std::uint64_t sdb = ::makedev(8, 16);
    const std::uint64_t dm0 = ::makedev(253, 0);

    DeviceFacts disk;
    disk.sourceIsBlockDevice = true;
    disk.sourceDevice = sda;
    disk.destinationFileSystem = sda1;
    disk.destinationDevices = {sda1};
    disk.destinationParents = {sda};
    EXPECT_EQ(DecideDestination(disk), DestinationConflict::PartitionOfSource);
    // Through a device-mapper layer (LVM, dm-crypt) on the examined disk.
    disk.destinationFileSystem = dm0;
    disk.destinationDevices = {dm0, sda1};
    disk.destinationParents = {0, sda};
    EXPECT_EQ(DecideDestination(disk), DestinationConflict::PartitionOfSource);
    disk.destinationDevices = {sdb1};
    disk.destinationParents = {sdb};
    EXPECT_EQ(DecideDestination(disk), DestinationConflict::None);

    DeviceFacts partition;
    partition.sourceIsBlockDevice = true;
    partition.sourceDevice = sda1;
    partition.sourceParent = sda;
    partition.destinationDevices = {sda1};
    partition.destinationParents = {sda};
    EXPECT_EQ(DecideDestination(partition), DestinationConflict::SameDevice);
    partition.destinationDevices = {sda};
    partition.destinationParents = {0};
    EXPECT_EQ(DecideDestination(partition), DestinationConflict::ContainsSource);

    // Beside an image file is allowed; inside it, through a loop device mounted below the
    // destination (even under further layers), is not.
    const std::uint64_t loop1 = ::makedev(7, 1);
    DeviceFacts image;
    image.sourceFiles = {{sdb1, 42}};
    image.destinationFileSystem = sdb1;
    image.destinationDevices = {sdb1};
    image.destinationParents = {sdb};
    EXPECT_EQ(DecideDestination(image), DestinationConflict::None);
    image.destinationFileSystem = dm0;
    image.destinationDevices = {dm0, loop1, sdb1};
    image.destinationParents = {0, 0, sdb};
    image.destinationBackingFiles = {{sdb1, 43}};
    EXPECT_EQ(DecideDestination(image), DestinationConflict::None);
    image.destinationBackingFiles.push_back({sdb1, 42});
    EXPECT_EQ(DecideDestination(image), DestinationConflict::InsideSourceImage);
}

TEST(DestinationDevice, ImageFileSourceAllowsItsOwnFileSystem) {
    const fs::path scratch = ScratchDir("destination-image");
    WriteWholeFile(scratch / "disk.img", std::string(512, '\0'));
    // The folder need not exist yet: its nearest existing parent is examined.
    EXPECT_EQ(CheckDestination((scratch / "disk.img").string(), (scratch / "a/b/c").string()),
              DestinationConflict::None);
    EXPECT_EQ(CheckDestination((scratch / "missing.img").string(), scratch.string()),
              DestinationConflict::Unknown);
    struct stat here {};
    struct stat shm {};
    if (::stat("/dev/shm", &shm) == 0 && ::stat(scratch.c_str(), &here) == 0 &&
        shm.st_dev != here.st_dev) {
        EXPECT_EQ(CheckDestination((scratch / "disk.img").string(), "/dev/shm/vantrel-x"),
                  DestinationConflict::None);
    }
    EXPECT_FALSE(IsFatFileSystem(scratch.string()));
}

// A file large enough to be hashed on its own thread, in pieces that go round the ring of
// buffers many times: the digest is that of the bytes written, as for a small file.
TEST(FileCopier, LargeFileHashedWhileWrittenMatchesItsBytes) {
    std::string bytes(PipelinedHash::kThreadBytes + 12345, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((i * 131) ^ (i >> 11));
    const auto entry = MemoryFile(u"big.bin", bytes);
    CopyTask task;
    task.folder = ScratchDir("copier-large");
    task.finalName = "big.bin";
    task.byteCount = bytes.size();
    task.pieceBytes = 1 << 16;
    std::vector<std::uint8_t> buffer;
    const CopyOutcome copy = CopyEntryToFile(*entry, task, buffer);
    ASSERT_EQ(copy.result, CopyResult::Done) << copy.error;
    Sha256 whole;
    whole.Update(bytes.data(), bytes.size());
    EXPECT_EQ(copy.sha256, whole.FinishHex());
    EXPECT_TRUE(ReadWholeFile(task.folder / "big.bin") == bytes);

    task.finalName = "plain.bin";
    task.hash = false;
    const CopyOutcome plain = CopyEntryToFile(*entry, task, buffer);
    ASSERT_EQ(plain.result, CopyResult::Done) << plain.error;
    EXPECT_TRUE(plain.sha256.empty());
    EXPECT_TRUE(ReadWholeFile(task.folder / "plain.bin") == bytes);
}

TEST(OutputFile, NeverWritesThroughALinkAndRenameKeepsWhatExistsUnlessAsked) {
    const fs::path dir = ScratchDir("output-file");
    const fs::path outside = dir / "outside.txt";
    WriteWholeFile(outside, "keep");
    fs::create_symlink(outside, dir / "link");
    OutputFile file;
    EXPECT_FALSE(file.Create((dir / "link").string()));
    EXPECT_EQ(ReadWholeFile(outside), "keep");

    ASSERT_TRUE(file.Create((dir / "new.part").string()));
    ASSERT_TRUE(file.Write("fresh", 5));
    ASSERT_TRUE(file.Close());
    int error = 0;
    EXPECT_FALSE(RenamePath((dir / "new.part").string(), outside.string(), false, &error));
    EXPECT_EQ(ReadWholeFile(outside), "keep");
    // Replacing a link replaces the link itself, not the file it points to.
    ASSERT_TRUE(RenamePath((dir / "new.part").string(), (dir / "link").string(), true, &error));
    EXPECT_EQ(ReadWholeFile(outside), "keep");
    EXPECT_EQ(ReadWholeFile(dir / "link"), "fresh");
    EXPECT_FALSE(fs::is_symlink(dir / "link"));
}
