#pragma once

// Texts of the file list's columns. The condition words are FileConditionText's (result
// tree); the type column is the desktop's own (looked up by name).

#include <cstdint>
#include <optional>
#include <string>

namespace vantrel {

enum FileListColumn : int {
    kColumnName = 0,
    kColumnSize = 1,
    kColumnCondition = 2,
    kColumnType = 3,
    kColumnModified = 4,
};
inline constexpr int kFileListColumnCount = 5;

// "ファイル名", "サイズ", "状態", "種類", "更新日時"; empty for any other index.
std::u16string FileListColumnHeader(int column);

// Size in whole kilobytes rounded up, then " KB": 0 bytes "0 KB", 1025 bytes "2 KB".
std::u16string SizeColumnText(std::uint64_t size);

// "YYYY/MM/DD hh:mm:ss" in local time; "不明" when the time is unknown or has no
// calendar date.
std::u16string DateTimeText(std::optional<std::int64_t> seconds);

} // namespace vantrel
