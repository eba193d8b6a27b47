#include "engine/settings/ColumnText.h"

#include "platform/LocalTime.h"
#include "platform/Utf.h"

#include <cstdio>

namespace vantrel {

std::u16string FileListColumnHeader(int column) {
    switch (column) {
    case kColumnName:
        return u"ファイル名";
    case kColumnSize:
        return u"サイズ";
    case kColumnCondition:
        return u"状態";
    case kColumnType:
        return u"種類";
    case kColumnModified:
        return u"更新日時";
    default:
        return {};
    }
}

std::u16string SizeColumnText(std::uint64_t size) {
    // Written so that sizes near 2^64 cannot wrap when rounded up.
    const std::uint64_t kilobytes = size / 1024 + (size % 1024 != 0 ? 1 : 0);
    return AsciiToU16(std::to_string(kilobytes) + " KB");
}

std::u16string DateTimeText(std::optional<std::int64_t> seconds) {
    CalendarTime t;
    if (!seconds || !EpochToLocal(*seconds, &t) || t.year < 0 || t.year > 9999)
        return u"不明";
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return AsciiToU16(text);
}

} // namespace vantrel
