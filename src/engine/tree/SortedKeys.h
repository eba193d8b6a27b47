#pragma once

// A set of 64-bit keys kept as one sorted array: 8 bytes a key where a hashed set spends
// about 40, for the hundreds of thousands of keys a scan's rebuild gathers. Keys are
// added in batches and can be looked up once Settle has sorted them in.

#include <algorithm>
#include <cstdint>
#include <vector>

namespace vantrel {

class SortedKeys {
public:
    void Add(std::uint64_t key) { pending_.push_back(key); }
    // Sorts the keys added since the last call in among the others, dropping repeats.
    // Linear in the keys held, plus sorting the new ones.
    void Settle() {
        if (pending_.empty())
            return;
        std::sort(pending_.begin(), pending_.end());
        pending_.erase(std::unique(pending_.begin(), pending_.end()), pending_.end());
        const auto settled = static_cast<std::ptrdiff_t>(keys_.size());
        keys_.insert(keys_.end(), pending_.begin(), pending_.end());
        std::inplace_merge(keys_.begin(), keys_.begin() + settled, keys_.end());
        keys_.erase(std::unique(keys_.begin(), keys_.end()), keys_.end());
        pending_.clear();
    }
    // Keys added after the last Settle are not seen.
    bool Contains(std::uint64_t key) const {
        return std::binary_search(keys_.begin(), keys_.end(), key);
    }
    bool Empty() const { return keys_.empty() && pending_.empty(); }
    void Clear() {
        keys_.clear();
        pending_.clear();
    }

private:
    std::vector<std::uint64_t> keys_; // sorted, each once
    std::vector<std::uint64_t> pending_;
};

} // namespace vantrel
