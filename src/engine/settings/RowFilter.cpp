#include "engine/settings/RowFilter.h"

namespace vantrel {

RowFilter::RowFilter(const ScanSettings& settings)
    : settings_(settings), include_(settings.includePatterns), exclude_(settings.excludePatterns) {}

bool RowFilter::Passes(const FilterRow& row) const {
    if (row.deleted && !settings_.includeDeletedFiles)
        return false;
    if (row.size == 0 && !settings_.includeEmptyFiles)
        return false;
    if (settings_.sizeFilterOn &&
        (row.size < settings_.minimumSize || row.size > settings_.maximumSize))
        return false;
    if (settings_.dateFilterOn && (!row.modifyTime || *row.modifyTime < settings_.dateFrom ||
                                   *row.modifyTime > settings_.dateTo))
        return false;
    if (settings_.includePatternsOn && !include_.Matches(row.name))
        return false;
    if (settings_.excludePatternsOn && exclude_.Matches(row.name))
        return false;
    return true;
}

bool RowFilter::ShowsFolder(bool deleted, bool scanTarget) const {
    return vantrel::ShowsFolder(settings_, deleted, scanTarget);
}

bool RowFilter::PassesFolder(std::u16string_view name, bool deleted, bool scanTarget) const {
    return ShowsFolder(deleted, scanTarget) &&
           !(settings_.excludePatternsOn && exclude_.Matches(name));
}

bool PassesRowFilter(const ScanSettings& settings, const FilterRow& row) {
    return RowFilter(settings).Passes(row);
}

bool ShowsFolder(const ScanSettings& settings, bool deleted, bool scanTarget) {
    return settings.includeDeletedFolders || scanTarget || !deleted;
}

} // namespace vantrel
