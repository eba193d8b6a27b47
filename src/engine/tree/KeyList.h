#pragma once

// An ordered set of 64-bit keys (MFT record numbers, first data LBAs) used to recognise
// the same folder or file found twice. Hashed: a folder of a large volume gathers the
// keys of everything below it.

#include <cstdint>
#include <unordered_set>
#include <vector>

namespace vantrel {

class KeyList {
public:
    // Appends key unless it is already present.
    void Add(std::uint64_t key) {
        if (present_.insert(key).second)
            keys_.push_back(key);
    }
    bool Contains(std::uint64_t key) const { return present_.contains(key); }
    void Clear() {
        keys_.clear();
        present_.clear();
    }
    std::size_t Size() const { return keys_.size(); }
    bool Empty() const { return keys_.empty(); }
    const std::vector<std::uint64_t>& Keys() const { return keys_; }

private:
    std::vector<std::uint64_t> keys_;
    std::unordered_set<std::uint64_t> present_;
};

} // namespace vantrel
