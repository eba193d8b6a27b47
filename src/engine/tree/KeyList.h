#pragma once

// An ordered set of 64-bit keys (MFT record numbers, first data LBAs) used to recognise
// the same folder or file found twice. Linear search: the lists stay small per folder.

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vantrel {

class KeyList {
public:
    // Appends key unless it is already present.
    void Add(std::uint64_t key) {
        if (!Contains(key))
            keys_.push_back(key);
    }
    bool Contains(std::uint64_t key) const {
        return std::find(keys_.begin(), keys_.end(), key) != keys_.end();
    }
    void Clear() { keys_.clear(); }
    std::size_t Size() const { return keys_.size(); }
    bool Empty() const { return keys_.empty(); }
    const std::vector<std::uint64_t>& Keys() const { return keys_; }

private:
    std::vector<std::uint64_t> keys_;
};

} // namespace vantrel
