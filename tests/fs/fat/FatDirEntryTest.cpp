#include "fs/fat/FatDirEntry.h"

#include "FatTestData.h"
#include "fs/fat/FatDirectoryListing.h"
#include "fs/fat/FatLongNameEntry.h"
#include "fs/fat/FatShortName.h"
#include "fs/fat/FatTime.h"
#include "platform/LocalTime.h"

#include <gtest/gtest.h>

using namespace vantrel;
using namespace vantrel::fattest;

namespace {

std::u16string ShortName(const std::vector<std::uint8_t>& slot) {
    FatDirEntry entry;
    EXPECT_TRUE(ParseDirEntry(entry, slot));
    std::u16string name;
    if (!BuildShortName(entry, &name))
        return u"<fail>";
    return name;
}

std::vector<std::uint8_t> LongSlotWithChars(const std::vector<std::uint16_t>& chars) {
    auto slot = LongSlots(u"x", "X          ");
    static constexpr std::size_t kOffsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
    for (std::size_t i = 0; i < 13; ++i)
        PutLe(slot, kOffsets[i], chars[i], 2);
    return slot;
}

} // namespace

TEST(FatDirEntry, ParsesEveryField) {
    auto slot = ShortSlot("README  TXT", kFatAttrArchive, 0x00012345, 10000);
    slot[12] = 0x18;
    slot[13] = 150;
    FatDirEntry e;
    ASSERT_TRUE(ParseDirEntry(e, slot));
    EXPECT_EQ(std::string(e.name.begin(), e.name.end()), "README  TXT");
    EXPECT_EQ(e.attributes, kFatAttrArchive);
    EXPECT_EQ(e.ntFlags, 0x18);
    EXPECT_EQ(e.createTimeTenths, 150);
    EXPECT_EQ(e.firstCluster, 0x00012345u);
    EXPECT_EQ(e.fileSize, 10000u);
    EXPECT_EQ(e.writeDate, 0x5A21);
    EXPECT_FALSE(e.longName);
    EXPECT_FALSE(ParseDirEntry(e, Bytes(slot).first(31)));
}

TEST(FatDirEntry, LongNameEntryCharacterRules) {
    std::vector<std::uint16_t> chars(13, 'a');
    EXPECT_TRUE(IsLongNameEntry(LongSlotWithChars(chars))); // 13 characters, no terminator
    chars[5] = 0;
    for (std::size_t i = 6; i < 13; ++i)
        chars[i] = 0xFFFF;
    EXPECT_TRUE(IsLongNameEntry(LongSlotWithChars(chars)));
    chars[12] = 'b'; // text after the terminator
    EXPECT_FALSE(IsLongNameEntry(LongSlotWithChars(chars)));
    chars[12] = 0xFFFF;
    chars[3] = 0xFFFF; // padding before the terminator
    EXPECT_FALSE(IsLongNameEntry(LongSlotWithChars(chars)));

    auto slot = LongSlots(u"name", "NAME       ");
    EXPECT_TRUE(IsLongNameEntry(slot));
    slot[12] = 1; // type byte
    EXPECT_FALSE(IsLongNameEntry(slot));
    slot[12] = 0;
    slot[26] = 1; // first-cluster word
    EXPECT_FALSE(IsLongNameEntry(slot));
    // An invalid 0x0F slot is no long-name entry, so its attribute bits count as such.
    EXPECT_TRUE(IsVolumeLabel(slot));
}

TEST(FatDirEntry, ShortNameCharacterRules) {
    struct Case {
        std::string name11;
        bool plausible;
    };
    const Case cases[] = {
        {"README  TXT", true},
        {"readme  txt", true},
        {"A!#$%&'()-@", true},
        {"@^_`{}~-   ", true},
        {"READ ME TXT", false}, // text after a blank
        {"A+B     TXT", false}, // '+' is not allowed in a short name
        {"A.B     TXT", false},
        {" ABC    TXT", false}, // leading blank
        {std::string("AB\0     TXT", 11), false},
        {"\x93\xfa\x96\x7b    TXT", true}, // Shift-JIS pairs
        {"\xc3\xbd\xc4     TXT", true},    // half-width katakana
        {"ABCDEFG\x93TXT", false},         // lead byte without its trail byte
        {"\x05\x40      TXT", true},       // 0x05 stands for a 0xE5 lead byte
        {"\xe5\x01\x02\x03    TXT", true}, // deleted: the base is not checked
        {"\xe5"
         "ABC    T+T",
         false}, // ...but the extension is
        {".          ", true},
        {"..         ", true},
    };
    for (const Case& c : cases) {
        auto attributes = c.name11[0] == '.' ? kFatAttrDirectory : kFatAttrArchive;
        EXPECT_EQ(IsShortEntry(ShortSlot(c.name11, attributes, 2, 1)), c.plausible) << c.name11;
    }
    EXPECT_FALSE(IsShortEntry(ShortSlot(".          ", kFatAttrArchive, 2, 1))); // not a dir
}

TEST(FatDirEntry, ClassifiesSlots) {
    const auto file = ShortSlot("FILE    TXT", kFatAttrArchive, 3, 10);
    const auto dir = ShortSlot("DIR        ", kFatAttrDirectory, 4, 0);
    const auto label = ShortSlot("MY VOLUME  ", kFatAttrVolumeLabel, 0, 0);
    const auto dot = ShortSlot(".          ", kFatAttrDirectory, 4, 0);
    const auto dotdot = ShortSlot("..         ", kFatAttrDirectory, 0, 0);
    const auto lfn = LongSlots(u"a long name", "ALONGN~1   ");
    EXPECT_TRUE(IsFileEntry(file));
    EXPECT_FALSE(IsFileEntry(dir));
    EXPECT_TRUE(IsDirectory(dir));
    EXPECT_TRUE(IsVolumeLabel(label));
    EXPECT_FALSE(IsFileEntry(label));
    EXPECT_TRUE(IsDotEntry(dot));
    EXPECT_FALSE(IsDotDotEntry(dot));
    EXPECT_TRUE(IsDotDotEntry(dotdot));
    EXPECT_TRUE(IsPlausibleEntry(lfn));
    EXPECT_FALSE(IsShortEntry(lfn));
    EXPECT_FALSE(IsDirectory(lfn));
    EXPECT_FALSE(IsPlausibleEntry(Bytes(file).first(31)));
}

TEST(FatLongName, AttachesNamesOfLiveAndDeletedEntries) {
    std::vector<std::uint8_t> dir;
    Append(dir, LongSlots(u"A rather long file name.txt", "ARATHE~1TXT"));
    Append(dir, ShortSlot("ARATHE~1TXT", kFatAttrArchive, 5, 100));
    Append(dir, LongSlots(u"削除されたファイル.txt", "\xe5\x8d\xed\x8f\x9c~1TXT", true));
    Append(dir, ShortSlot("\xe5\x8d\xed\x8f\x9c~1TXT", kFatAttrArchive, 9, 100));
    const std::size_t count = dir.size() / 32;

    FatDirEntry entry;
    std::size_t shortIndex = 0;
    ASSERT_TRUE(AttachLongName(entry, dir, 0, count, &shortIndex));
    EXPECT_EQ(shortIndex, 3u);
    EXPECT_EQ(entry.longName, u"A rather long file name.txt");
    EXPECT_EQ(entry.firstCluster, 5u);
    EXPECT_EQ(SkipLongNameEntries(dir, 0, count), 4u);

    ASSERT_TRUE(AttachLongName(entry, dir, 4, count, &shortIndex));
    EXPECT_EQ(shortIndex, 5u); // 13 characters fill one slot, without a terminator
    EXPECT_EQ(entry.longName, u"削除されたファイル.txt");
    EXPECT_TRUE(IsDeleted(entry));

    EXPECT_FALSE(AttachLongName(entry, dir, 1, count, &shortIndex)); // not the run's start
    EXPECT_FALSE(AttachLongName(entry, dir, 0, 3, &shortIndex));     // no short entry in range
    EXPECT_EQ(SkipLongNameEntries(dir, 0, 3), 3u);
}

TEST(FatLongName, StaleRunBeforeReusedLiveSlotKeepsTheShortName) {
    // A deleted file's long-name slots stay behind; a new short entry took its short slot.
    std::vector<std::uint8_t> dir;
    Append(dir, LongSlots(u"old deleted name.doc", "OLDDEL~1DOC", true));
    Append(dir, ShortSlot("NEW     TXT", kFatAttrArchive, 7, 10));
    FatDirEntry entry;
    std::size_t shortIndex = 0;
    ASSERT_TRUE(AttachLongName(entry, dir, 0, dir.size() / 32, &shortIndex));
    EXPECT_FALSE(entry.longName);
    std::u16string name;
    ASSERT_TRUE(FatDisplayName(entry, &name));
    EXPECT_EQ(name, u"NEW.TXT");
}

TEST(FatLongName, NameIsCutAt255Characters) {
    const std::u16string longest(255, u'x');
    std::vector<std::uint8_t> dir = LongSlots(longest + u"yyyyyyyyyy", "XXXXXX~1   ");
    Append(dir, ShortSlot("XXXXXX~1   ", kFatAttrArchive, 7, 10));
    FatDirEntry entry;
    ASSERT_TRUE(AttachLongName(entry, dir, 0, dir.size() / 32, nullptr));
    EXPECT_EQ(entry.longName, longest);
}

TEST(FatShortName, DisplayRules) {
    EXPECT_EQ(ShortName(ShortSlot("README  TXT", 0x20, 2, 1)), u"README.TXT");
    EXPECT_EQ(ShortName(ShortSlot("MAKEFILE   ", 0x20, 2, 1)), u"MAKEFILE");
    EXPECT_EQ(ShortName(ShortSlot("\xe5"
                                  "BC     TXT",
                                  0x20, 2, 1)),
              u"_BC.TXT");
    // A deleted name that began with a double-byte character loses the whole character.
    EXPECT_EQ(ShortName(ShortSlot("\xe5\xfa\x96\x7b    TXT", 0x20, 2, 1)), u"_本.TXT");
    EXPECT_EQ(ShortName(ShortSlot("\x93\xfa\x96\x7b    TXT", 0x20, 2, 1)), u"日本.TXT");
    EXPECT_EQ(ShortName(ShortSlot("\xc3\xbd\xc4     TXT", 0x20, 2, 1)), u"ﾃｽﾄ.TXT");
    EXPECT_EQ(ShortName(ShortSlot("\x05\x40      TXT", 0x20, 2, 1)), u"\u8541.TXT");
    EXPECT_EQ(ShortName(ShortSlot("MY VOLUME  ", kFatAttrVolumeLabel, 0, 0)), u"MY VOLUME");
    EXPECT_EQ(ShortName(ShortSlot("A\x01"
                                  "B     TXT",
                                  0x20, 2, 1)),
              u"A_B.TXT");
    EXPECT_EQ(ShortName(ShortSlot("A\x01\x02     TXT", 0x20, 2, 1)), u"<fail>");

    auto lower = ShortSlot("README  TXT", 0x20, 2, 1);
    lower[12] = kFatNtLowerBase;
    EXPECT_EQ(ShortName(lower), u"readme.TXT");
    lower[12] = kFatNtLowerExtension;
    EXPECT_EQ(ShortName(lower), u"README.txt");
    lower[12] = kFatNtLowerBase | kFatNtLowerExtension;
    EXPECT_EQ(ShortName(lower), u"readme.txt");
}

TEST(FatShortName, DeletedEntryTakesItsIntactLongName) {
    std::vector<std::uint8_t> dir;
    Append(dir, LongSlots(u"abc.txt", "ABC     TXT", true));
    Append(dir, ShortSlot("\xe5"
                          "BC     TXT",
                          0x20, 2, 1));
    const auto entries = ParseDirectoryEntries(dir);
    ASSERT_EQ(entries.size(), 1u);
    std::u16string name;
    ASSERT_TRUE(FatDisplayName(entries[0], &name));
    EXPECT_EQ(name, u"abc.txt");
    ASSERT_TRUE(BuildShortName(entries[0], &name));
    EXPECT_EQ(name, u"_BC.TXT");
}

TEST(FatTime, ConvertsLocalTimesAndKeepsEntriesWithUnconvertibleOnes) {
    CalendarTime local{2025, 1, 1, 12, 0, 0};
    std::int64_t expected = 0;
    ASSERT_TRUE(LocalToEpoch(local, &expected));
    EXPECT_EQ(FatDateTimeToEpoch(0x5A21, 0x6000), expected);
    // 2107-12-31 23:59:58 lies past the 32-bit range of seconds.
    EXPECT_GT(FatDateTimeToEpoch(0xFF9F, 0xBF7D), std::int64_t{0x7FFFFFFF});
    EXPECT_EQ(FatDateTimeToEpoch(0, 0), kUnknownFatTime);           // day 0, month 0
    EXPECT_EQ(FatDateTimeToEpoch(0x5A21, 0xC000), kUnknownFatTime); // 24:00
    EXPECT_EQ(FatDateTimeToEpoch(0x5A21, 0x001E), kUnknownFatTime); // 60 seconds

    // An entry written by a tool that leaves creation and access dates 0 is still listed,
    // with only those times unknown.
    auto slot = ShortSlot("OLD     TXT", 0x20, 2, 1);
    std::fill(slot.begin() + 13, slot.begin() + 20, 0);
    const auto entries = ParseDirectoryEntries(slot);
    ASSERT_EQ(entries.size(), 1u);
    const FatEntryTimes times = EntryTimes(entries[0]);
    EXPECT_EQ(times.createTime, kUnknownFatTime);
    EXPECT_EQ(times.accessTime, kUnknownFatTime);
    EXPECT_EQ(times.modifyTime, expected);
}

TEST(FatTime, ConverterAnswersAsTheDirectConversion) {
    // Many more pairs than the converter remembers, so that slots are taken over, each
    // pair asked twice; invalid dates included.
    FatTimeConverter converter;
    for (int round = 0; round < 2; ++round) {
        for (std::uint32_t n = 0; n < 600; ++n) {
            const auto date = static_cast<std::uint16_t>(0x5A00 + n * 7);
            const auto time = static_cast<std::uint16_t>(n * 2731);
            ASSERT_EQ(converter.ToEpoch(date, time), FatDateTimeToEpoch(date, time)) << n;
        }
    }
}

TEST(FatDirectoryListing, WalksToTheEndMarkAndPassesOverOrphans) {
    std::vector<std::uint8_t> dir;
    Append(dir, ShortSlot(".          ", kFatAttrDirectory, 4, 0));
    Append(dir, ShortSlot("..         ", kFatAttrDirectory, 0, 0));
    const auto orphanRun = LongSlots(u"orphan part of a long name", "ORPHAN~1   ");
    Append(dir, std::vector<std::uint8_t>(orphanRun.end() - 32, orphanRun.end()));
    Append(dir, LongSlots(u"Long Name.txt", "LONGNA~1TXT"));
    Append(dir, ShortSlot("LONGNA~1TXT", kFatAttrArchive, 5, 10));
    Append(dir, std::vector<std::uint8_t>(32, 0xF6)); // garbage slot
    Append(dir, ShortSlot("\xe5"
                          "ELETED TXT",
                          kFatAttrArchive, 6, 10));
    Append(dir, std::vector<std::uint8_t>(32, 0));
    Append(dir, ShortSlot("AFTEREND   ", kFatAttrArchive, 7, 10));
    const auto entries = ParseDirectoryEntries(dir);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_TRUE(IsDotEntry(entries[0]));
    EXPECT_TRUE(IsDotDotEntry(entries[1]));
    EXPECT_EQ(entries[2].longName, u"Long Name.txt");
    EXPECT_TRUE(IsDeleted(entries[3]));
}

TEST(FatDirEntry, LabelsMayHoldBlanksAndDoNotEndTheRootListing) {
    std::vector<std::uint8_t> root;
    Append(root, ShortSlot("MY DISK    ", kFatAttrVolumeLabel | kFatAttrArchive, 0, 0));
    Append(root, ShortSlot("FILE    TXT", kFatAttrArchive, 3, 10));
    EXPECT_TRUE(IsShortEntry(Bytes(root).first(32)));
    EXPECT_EQ(ParseDirectoryEntries(root).size(), 2u);
    // A file name still may not have a blank inside.
    EXPECT_FALSE(IsShortEntry(ShortSlot("MY DISK TXT", kFatAttrArchive, 3, 10)));
}

TEST(FatDirEntry, TestsOnAMadeUpEntryUseItsFields) {
    FatDirEntry root; // as a caller builds the FAT32 root folder: no stored slot
    root.attributes = kFatAttrDirectory;
    root.firstCluster = 2;
    std::fill(root.name.begin(), root.name.end(), static_cast<std::uint8_t>(' '));
    root.name[0] = 'V';
    EXPECT_TRUE(IsDirectory(root));
    EXPECT_FALSE(IsFileEntry(root));
    EXPECT_FALSE(IsDeleted(root));
}

TEST(FatDirectoryListing, LongNameSlotsWithoutShortEntryEndTheWalk) {
    std::vector<std::uint8_t> dir = ShortSlot("FIRST   TXT", kFatAttrArchive, 3, 10);
    // A large directory of nothing but run starts must not cost a scan per slot.
    const auto run = LongSlots(u"abc", "ABC        ");
    for (int i = 0; i < 65535; ++i)
        Append(dir, run);
    const auto entries = ParseDirectoryEntries(dir);
    ASSERT_EQ(entries.size(), 1u);
}
