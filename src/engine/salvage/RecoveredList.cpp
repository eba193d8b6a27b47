#include "engine/salvage/RecoveredList.h"

#include <algorithm>
#include <utility>

namespace vantrel {

RecoveredList::RecoveredList(RecoveredList&& other) noexcept {
    std::lock_guard lock(other.lock_);
    entries_ = std::move(other.entries_);
}

RecoveredList& RecoveredList::operator=(RecoveredList&& other) noexcept {
    if (this != &other) {
        std::scoped_lock locks(lock_, other.lock_);
        entries_ = std::move(other.entries_);
    }
    return *this;
}

void RecoveredList::Add(FileEntry* entry) {
    std::lock_guard lock(lock_);
    entries_.push_back(entry);
}

std::size_t RecoveredList::Size() const {
    std::lock_guard lock(lock_);
    return entries_.size();
}

std::vector<FileEntry*> RecoveredList::Slice(std::size_t first, std::size_t last) const {
    std::lock_guard lock(lock_);
    last = std::min(last, entries_.size());
    if (first >= last)
        return {};
    return {entries_.begin() + static_cast<std::ptrdiff_t>(first),
            entries_.begin() + static_cast<std::ptrdiff_t>(last)};
}

} // namespace vantrel
