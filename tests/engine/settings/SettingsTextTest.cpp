#include "engine/settings/ColumnText.h"
#include "engine/settings/ScanSettings.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

using namespace vantrel;

TEST(EasySearch, GroupsBecomeIncludePatternsInTheirFixedOrder) {
    EXPECT_EQ(FileTypeGroupPatterns(FileTypeGroup::Images).size(), 25u);
    EXPECT_EQ(FileTypeGroupPatterns(FileTypeGroup::Video).size(), 19u);
    EXPECT_EQ(FileTypeGroupPatterns(FileTypeGroup::Audio).size(), 10u);
    EXPECT_EQ(FileTypeGroupPatterns(FileTypeGroup::Documents).size(), 32u);
    EXPECT_EQ(FileTypeGroupName(FileTypeGroup::Audio), u"音楽");

    EasySearchChoice choice; // include switch off, every group checked
    ScanSettings earlier(0);
    earlier.sizeFilterOn = true;
    const ScanSettings s = MakeEasySearchSettings(choice, 0);
    EXPECT_FALSE(s.includePatternsOn);
    ASSERT_EQ(s.includePatterns.size(), 25u + 10u + 19u + 32u); // filled even when off
    EXPECT_EQ(s.includePatterns[0], u"*.AI");
    EXPECT_EQ(s.includePatterns[25], u"*.MP2"); // audio before video
    EXPECT_EQ(s.includePatterns[35], u"*.3G2");
    EXPECT_EQ(s.includePatterns.back(), u"*.XLW");
    EXPECT_FALSE(s.sizeFilterOn); // everything else back to its default
    EXPECT_EQ(s.excludePatterns, NtfsSpecialNames());

    choice.includePatternsOn = true;
    choice.images = false;
    choice.video = false;
    choice.documents = false;
    choice.ntfsSpecialNames = false;
    const ScanSettings audio = MakeEasySearchSettings(choice, 0);
    EXPECT_TRUE(audio.includePatternsOn);
    EXPECT_EQ(audio.includePatterns, FileTypeGroupPatterns(FileTypeGroup::Audio));
    EXPECT_TRUE(audio.excludePatternsOn);
    EXPECT_TRUE(audio.excludePatterns.empty());
}

TEST(EasySearch, PatternEditorKeepsEachPatternOnce) {
    EXPECT_EQ(UniquePatterns({u"*.JPG", u"*.PNG", u"*.JPG", u"a"}),
              (std::vector<std::u16string>{u"*.JPG", u"*.PNG", u"a"}));
    const auto names = UniquePatterns(NtfsSpecialNames());
    EXPECT_EQ(names.size(), 24u); // "$Quota" once
}

TEST(SizeField, ReadsLikeTheSettingsPage) {
    EXPECT_EQ(ReadSizeText(""), 0u);
    EXPECT_EQ(ReadSizeText("", 5, 10), 5u);
    EXPECT_EQ(ReadSizeText("1234"), 1234u);
    EXPECT_EQ(ReadSizeText("1234567890123456789012345"), UINT64_MAX); // 25 digits
    EXPECT_EQ(ReadSizeText("99999999999999999999"), UINT64_MAX);      // 20 digits, too big
    EXPECT_EQ(ReadSizeText("18446744073709551615"), UINT64_MAX);
    EXPECT_EQ(ReadSizeText("18446744073709551614"), UINT64_MAX - 1);
    EXPECT_EQ(ReadSizeText("50", 100, 200), 100u);
    EXPECT_EQ(ReadSizeText("500", 100, 200), 200u);
    EXPECT_EQ(ReadSizeText("12abc"), 12u);
    EXPECT_EQ(ReadSizeText("abc", 3), 3u);
}

TEST(ColumnText, HeadersAndSizes) {
    EXPECT_EQ(FileListColumnHeader(kColumnName), u"ファイル名");
    EXPECT_EQ(FileListColumnHeader(kColumnSize), u"サイズ");
    EXPECT_EQ(FileListColumnHeader(kColumnCondition), u"状態");
    EXPECT_EQ(FileListColumnHeader(kColumnType), u"種類");
    EXPECT_EQ(FileListColumnHeader(kColumnModified), u"更新日時");
    EXPECT_EQ(FileListColumnHeader(5), u"");

    EXPECT_EQ(SizeColumnText(0), u"0 KB");
    EXPECT_EQ(SizeColumnText(1), u"1 KB");
    EXPECT_EQ(SizeColumnText(1024), u"1 KB");
    EXPECT_EQ(SizeColumnText(1025), u"2 KB");
    EXPECT_EQ(SizeColumnText(5'000'000'000), u"4882813 KB");
    EXPECT_EQ(SizeColumnText(UINT64_MAX), u"18014398509481984 KB"); // no wrap to 0
}

TEST(ColumnText, DateTimeInLocalTime) {
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    ::setenv("TZ", "JST-9", 1);
    ::tzset();
    EXPECT_EQ(DateTimeText(1565784000), u"2019/08/14 21:00:00");
    EXPECT_EQ(DateTimeText(4354819198 - 9 * 3600), u"2107/12/31 23:59:58");
    EXPECT_EQ(DateTimeText(std::nullopt), u"不明");
    EXPECT_EQ(DateTimeText(INT64_MAX), u"不明");
    if (old)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

TEST(DateField, ReadsUtcDatesAndTimes) {
    std::int64_t seconds = 0;
    ASSERT_TRUE(ReadDateText("2019-08-14", false, &seconds));
    EXPECT_EQ(seconds, 1565740800);
    ASSERT_TRUE(ReadDateText("2019/08/14", true, &seconds));
    EXPECT_EQ(seconds, 1565827199); // the whole day
    ASSERT_TRUE(ReadDateText("2019-08-14 10:00", true, &seconds));
    EXPECT_EQ(seconds, 1565776800); // an explicit time wins over endOfDay
    ASSERT_TRUE(ReadDateText("2107-12-31T23:59:58", false, &seconds));
    EXPECT_EQ(seconds, 4354819198);

    seconds = 42;
    for (const char* bad :
         {"", "2019-8-14", "2019-08-14x", "2019-08/14", "2019-02-30", "2019-08-14 24:00",
          "2019-08-14 10:00:", "14/08/2019", "2019-08-14 10:0a", "abcd-ef-gh"})
        EXPECT_FALSE(ReadDateText(bad, false, &seconds)) << bad;
    EXPECT_EQ(seconds, 42);
}
