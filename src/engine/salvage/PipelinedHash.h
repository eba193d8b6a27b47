#pragma once

// SHA-256 of a file's pieces, computed on a thread of its own while the next piece is
// read and written, so that hashing adds next to nothing to the time a large file takes.
// Small files are hashed in line: starting a thread would cost more than it saves.

#include "engine/salvage/Sha256.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace vantrel {

class PipelinedHash {
public:
    // Hashes on a thread when the whole is at least kThreadBytes long.
    explicit PipelinedHash(std::uint64_t totalBytes);
    ~PipelinedHash();
    PipelinedHash(const PipelinedHash&) = delete;
    PipelinedHash& operator=(const PipelinedHash&) = delete;

    // Waits until the piece before has been hashed, then takes this one; the bytes must
    // stay untouched until the next Add or FinishHex returns.
    void Add(const std::uint8_t* data, std::size_t size);
    // Lower-case hexadecimal digest of every piece added.
    std::string FinishHex();

    static constexpr std::uint64_t kThreadBytes = 16ull << 20;

private:
    void WaitIdle(std::unique_lock<std::mutex>& lock);
    void Work();

    Sha256 hash_;
    std::mutex mutex_;
    std::condition_variable changed_;
    const std::uint8_t* pending_ = nullptr;
    std::size_t pendingSize_ = 0;
    bool busy_ = false;
    bool stop_ = false;
    std::thread worker_;
};

} // namespace vantrel
