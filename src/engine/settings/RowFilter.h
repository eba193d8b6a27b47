#pragma once

// The file list's row filter: which entries of a folder the list shows under the scan
// settings. It sees a plain record of the row's fields so that it needs nothing of the
// result tree; a FileEntry fills one in a line.

#include "engine/settings/PatternMatch.h"
#include "engine/settings/ScanSettings.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace vantrel {

struct FilterRow {
    std::u16string_view name; // must outlive the call
    std::uint64_t size = 0;
    bool deleted = false;
    int condition = 0;                      // condition code, for the row's texts
    std::optional<std::int64_t> modifyTime; // seconds since 1970 UTC; unknown when empty
};

// The settings prepared for filtering many rows (patterns upper-cased once).
class RowFilter {
public:
    explicit RowFilter(const ScanSettings& settings);

    // A row passes when all hold:
    //  1. it is not deleted, or deleted files are included;
    //  2. its size is not 0, or empty files are included;
    //  3. size filter on: minimum <= size <= maximum;
    //  4. date filter on: from <= modification time <= to; a row whose time is unknown
    //     cannot be placed in the range and does not pass;
    //  5. include patterns on: the name matches at least one include pattern;
    //  6. exclude patterns on: the name matches no exclude pattern.
    // The list is not capped: every passing row is shown.
    bool Passes(const FilterRow& row) const;

    // Whether the folder tree shows a folder node: when deleted folders are included, or
    // the node can be scanned, or it is not deleted.
    bool ShowsFolder(bool deleted, bool scanTarget) const;
    // Whether a listing or a folder salvage goes into a folder: ShowsFolder and, while the
    // exclude patterns are on, a name that matches none of them (so $Extend stays out).
    // Include patterns pick files, not the folders that lead to them.
    bool PassesFolder(std::u16string_view name, bool deleted, bool scanTarget) const;

    const ScanSettings& Settings() const { return settings_; }

private:
    ScanSettings settings_;
    PatternList include_;
    PatternList exclude_;
};

// One-off forms of the above.
bool PassesRowFilter(const ScanSettings& settings, const FilterRow& row);
bool ShowsFolder(const ScanSettings& settings, bool deleted, bool scanTarget);

} // namespace vantrel
