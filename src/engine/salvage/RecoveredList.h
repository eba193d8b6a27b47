#pragma once

// The entries a salvage run has recovered so far: what 0x485 points to. The worker
// appends to it while the window copies out the new entries (the worker does not wait
// for each 0x485), so both sides go through the lock.

#include <cstddef>
#include <mutex>
#include <vector>

namespace vantrel {

class FileEntry;

class RecoveredList {
public:
    RecoveredList() = default;
    // Jobs are set up by value before a run; a list is never moved while in use.
    RecoveredList(RecoveredList&& other) noexcept;
    RecoveredList& operator=(RecoveredList&& other) noexcept;

    void Add(FileEntry* entry);
    std::size_t Size() const;
    // The entries from first up to (not including) last, or up to the end when fewer.
    std::vector<FileEntry*> Slice(std::size_t first, std::size_t last) const;

private:
    mutable std::mutex lock_;
    std::vector<FileEntry*> entries_;
};

} // namespace vantrel
