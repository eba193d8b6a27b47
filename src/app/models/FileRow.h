#pragma once

// One file-list row as a snapshot of its entry's fields, so that the list can filter,
// sort and draw without touching the entry again (a scan may delete the entries it
// posted; the progress lists forget the pointer then and keep the row).

#include "engine/settings/RowFilter.h"
#include "engine/tree/FileTime.h"

#include <QString>
#include <cstdint>
#include <string_view>

namespace vantrel {

class FileEntry;

struct FileRow {
    FileEntry* entry = nullptr; // null once forgotten
    QString name;
    std::uint64_t size = 0;
    int condition = 0;
    bool deleted = false;
    FileTime modifyTime;

    FilterRow AsFilterRow() const;
};

FileRow MakeFileRow(FileEntry& entry);

inline QString ToQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}
std::u16string ToU16(const QString& text);

// The column texts: "%I64u KB" rounded up, the condition word, the local date and time.
QString ListSizeText(std::uint64_t size);
QString ConditionWord(int condition);
QString ListDateText(const FileTime& time);

} // namespace vantrel
