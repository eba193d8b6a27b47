#include "engine/settings/RowFilter.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace vantrel;

namespace {

constexpr std::int64_t kNoon = 1565784000; // 2019-08-14 12:00:00 UTC

FilterRow Row(std::u16string_view name, std::uint64_t size = 100, bool deleted = false,
              std::optional<std::int64_t> modified = kNoon) {
    FilterRow row;
    row.name = name;
    row.size = size;
    row.deleted = deleted;
    row.modifyTime = modified;
    return row;
}

} // namespace

TEST(ScanSettings, DefaultsShowEverythingButNtfsMetadata) {
    const ScanSettings s(kNoon);
    EXPECT_TRUE(s.includeEmptyFiles);
    EXPECT_TRUE(s.includeDeletedFiles);
    EXPECT_TRUE(s.includeDeletedFolders);
    EXPECT_EQ(s.analysisDepth, 100);
    EXPECT_FALSE(s.sizeFilterOn);
    EXPECT_EQ(s.minimumSize, 0u);
    EXPECT_EQ(s.maximumSize, (1ull << 41) - 2048);
    EXPECT_FALSE(s.dateFilterOn);
    EXPECT_EQ(s.dateFrom, 1565740800); // that day, 00:00:00 UTC
    EXPECT_EQ(s.dateTo, 1565827199);   // 23:59:59 UTC
    EXPECT_FALSE(s.includePatternsOn);
    EXPECT_TRUE(s.includePatterns.empty());
    EXPECT_TRUE(s.excludePatternsOn);
    ASSERT_EQ(s.excludePatterns.size(), 25u);
    EXPECT_EQ(s.excludePatterns.front(), u"$MFT");
    EXPECT_EQ(s.excludePatterns[5], u".");
    EXPECT_EQ(s.excludePatterns[9], u"$Quota");
    EXPECT_EQ(s.excludePatterns[14], u"$Quota");
    EXPECT_EQ(s.excludePatterns.back(), u"$TxfLog");

    // The day of a time before 1970 starts at or before it, never after.
    const ScanSettings early(-1);
    EXPECT_EQ(early.dateFrom, -86400);
    EXPECT_EQ(early.dateTo, -1);

    const ScanSettings today;
    EXPECT_LE(today.dateFrom, today.dateTo);
    EXPECT_EQ(today.dateTo - today.dateFrom, 86399);
}

TEST(RowFilter, DefaultsHideOnlyNtfsMetadataNames) {
    const RowFilter filter{ScanSettings(kNoon)};
    EXPECT_TRUE(filter.Passes(Row(u"photo.jpg")));
    EXPECT_TRUE(filter.Passes(Row(u"deleted.jpg", 100, true)));
    EXPECT_TRUE(filter.Passes(Row(u"empty.txt", 0)));
    EXPECT_TRUE(filter.Passes(Row(u"old.txt", 100, false, std::nullopt)));
    EXPECT_FALSE(filter.Passes(Row(u"$MFT")));
    EXPECT_FALSE(filter.Passes(Row(u"$mftmirr")));
    EXPECT_FALSE(filter.Passes(Row(u".")));
    EXPECT_TRUE(filter.Passes(Row(u"$MFT.txt"))); // not a metadata name
}

TEST(RowFilter, DeletedAndEmptySwitches) {
    ScanSettings s(kNoon);
    s.includeDeletedFiles = false;
    s.includeEmptyFiles = false;
    const RowFilter filter(s);
    EXPECT_FALSE(filter.Passes(Row(u"a.jpg", 100, true)));
    EXPECT_FALSE(filter.Passes(Row(u"a.txt", 0)));
    EXPECT_TRUE(filter.Passes(Row(u"a.txt", 1)));
}

TEST(RowFilter, SizeRangeIsInclusiveAnd64Bit) {
    ScanSettings s(kNoon);
    s.sizeFilterOn = true;
    s.minimumSize = 1024;
    s.maximumSize = 5'000'000'000; // beyond 32 bits
    const RowFilter filter(s);
    EXPECT_FALSE(filter.Passes(Row(u"a", 1023)));
    EXPECT_TRUE(filter.Passes(Row(u"a", 1024)));
    EXPECT_TRUE(filter.Passes(Row(u"a", 5'000'000'000)));
    EXPECT_FALSE(filter.Passes(Row(u"a", 5'000'000'001)));
    EXPECT_TRUE(filter.Passes(Row(u"a", (1ull << 32) | 5))); // 5 if cut to 32 bits

    // A minimum above the maximum is accepted and lets nothing pass.
    s.minimumSize = 10;
    s.maximumSize = 5;
    EXPECT_FALSE(PassesRowFilter(s, Row(u"a", 7)));
    // Empty files still need their own switch even when the range starts at 0.
    s.minimumSize = 0;
    s.includeEmptyFiles = false;
    EXPECT_FALSE(PassesRowFilter(s, Row(u"a", 0)));
}

TEST(RowFilter, DateRangeIsInclusiveAndUnknownTimesDoNotPass) {
    ScanSettings s(kNoon);
    s.dateFilterOn = true;
    const RowFilter filter(s);
    EXPECT_TRUE(filter.Passes(Row(u"a", 1, false, s.dateFrom)));
    EXPECT_TRUE(filter.Passes(Row(u"a", 1, false, s.dateTo)));
    EXPECT_FALSE(filter.Passes(Row(u"a", 1, false, s.dateFrom - 1)));
    EXPECT_FALSE(filter.Passes(Row(u"a", 1, false, s.dateTo + 1)));
    EXPECT_FALSE(filter.Passes(Row(u"a", 1, false, std::nullopt)));

    // Past 2038 and before 1970.
    s.dateFrom = 4'102'444'800; // 2100-01-01
    s.dateTo = 4'354'819'198;   // 2107-12-31 23:59:58
    EXPECT_TRUE(PassesRowFilter(s, Row(u"a", 1, false, 4'200'000'000)));
    EXPECT_FALSE(PassesRowFilter(s, Row(u"a", 1, false, 4'200'000'000 - (1ll << 32))));
    s.dateFrom = -86400;
    s.dateTo = 0;
    EXPECT_TRUE(PassesRowFilter(s, Row(u"a", 1, false, -3600)));

    // Switched off, the range is ignored and unknown times pass.
    s.dateFilterOn = false;
    EXPECT_TRUE(PassesRowFilter(s, Row(u"a", 1, false, std::nullopt)));
}

TEST(RowFilter, IncludeAndExcludePatterns) {
    ScanSettings s(kNoon);
    s.includePatternsOn = true;
    s.includePatterns = {u"*.JPG", u"*.PNG"};
    s.excludePatterns = {u"THUMB*"};
    RowFilter filter(s);
    EXPECT_TRUE(filter.Passes(Row(u"holiday.jpg")));
    EXPECT_TRUE(filter.Passes(Row(u"a.jpg.jpg")));
    EXPECT_FALSE(filter.Passes(Row(u"a.jpg.txt")));
    EXPECT_FALSE(filter.Passes(Row(u"thumb_01.jpg"))); // excluded wins
    EXPECT_FALSE(filter.Passes(Row(u"$MFT")));

    // Patterns filled but switched off are ignored.
    s.includePatternsOn = false;
    s.excludePatternsOn = false;
    filter = RowFilter(s);
    EXPECT_TRUE(filter.Passes(Row(u"thumb_01.jpg")));
    EXPECT_TRUE(filter.Passes(Row(u"readme.txt")));

    // Include switched on with an empty list shows nothing.
    s.includePatternsOn = true;
    s.includePatterns.clear();
    EXPECT_FALSE(PassesRowFilter(s, Row(u"readme.txt")));
}

TEST(RowFilter, FoldersFollowTheDeletedFoldersSwitch) {
    ScanSettings s(kNoon);
    EXPECT_TRUE(ShowsFolder(s, true, false));
    s.includeDeletedFolders = false;
    const RowFilter filter(s);
    EXPECT_FALSE(filter.ShowsFolder(true, false));
    EXPECT_TRUE(filter.ShowsFolder(false, false));
    EXPECT_TRUE(filter.ShowsFolder(true, true)); // a scan-result area is always shown
}
