#include "app/models/FileRow.h"

#include "engine/settings/ColumnText.h"
#include "engine/tree/FileCondition.h"
#include "engine/tree/FileEntry.h"

namespace vantrel {

FilterRow FileRow::AsFilterRow() const {
    FilterRow row;
    row.name = std::u16string_view(reinterpret_cast<const char16_t*>(name.utf16()),
                                   static_cast<std::size_t>(name.size()));
    row.size = size;
    row.deleted = deleted;
    row.condition = condition;
    row.modifyTime = modifyTime;
    return row;
}

FileRow MakeFileRow(FileEntry& entry) {
    FileRow row;
    row.entry = &entry;
    row.name = ToQString(entry.name);
    row.size = entry.size;
    row.condition = entry.condition;
    row.deleted = entry.deleted;
    row.modifyTime = entry.modifyTime;
    return row;
}

std::u16string ToU16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<std::size_t>(text.size()));
}

QString ListSizeText(std::uint64_t size) {
    return ToQString(SizeColumnText(size));
}

QString ConditionWord(int condition) {
    return QString::fromUtf8(FileConditionText(condition));
}

QString ListDateText(const FileTime& time) {
    return ToQString(DateTimeText(time));
}

} // namespace vantrel
