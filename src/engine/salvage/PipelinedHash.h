#pragma once

// SHA-256 of a file, computed on a thread of its own while the file is read and written.
// The pieces go round a small ring of buffers: the copier reads a piece into a free
// buffer, hands it over and writes it out while the hasher reads the same bytes, so
// neither waits on the other unless one is the slower for several pieces in a row, and
// no byte is copied for the hash. Small files are hashed in line through one buffer:
// starting a thread would cost more than it saves.

#include "engine/salvage/Sha256.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel {

class PipelinedHash {
public:
    // Buffers of pieceBytes are carved out of storage (grown as needed, reused between
    // files); the whole is hashed on a thread when it is at least kThreadBytes long.
    PipelinedHash(std::uint64_t totalBytes, std::size_t pieceBytes,
                  std::vector<std::uint8_t>& storage);
    ~PipelinedHash();
    PipelinedHash(const PipelinedHash&) = delete;
    PipelinedHash& operator=(const PipelinedHash&) = delete;

    // A buffer of pieceBytes to read the next piece into, waiting until the hasher is done
    // with it. It stays the caller's to fill until Add, and may be read (written out) until
    // the next call of NextBuffer.
    std::uint8_t* NextBuffer();
    // Hands over the first size bytes of the buffer NextBuffer gave.
    void Add(std::size_t size);
    // Lower-case hexadecimal digest of every piece added.
    std::string FinishHex();

    static constexpr std::uint64_t kThreadBytes = 16ull << 20;
    static constexpr std::size_t kRingBuffers = 4;

private:
    void Work();

    Sha256 hash_;
    std::uint8_t* storage_ = nullptr;
    std::size_t pieceBytes_ = 0;
    std::size_t buffers_ = 1;
    std::size_t sizes_[kRingBuffers] = {};
    std::mutex mutex_;
    std::condition_variable added_;  // the hasher waits here for pieces
    std::condition_variable hashed_; // the copier waits here for a free buffer
    std::uint64_t addedCount_ = 0;   // pieces handed over
    std::uint64_t hashedCount_ = 0;  // pieces hashed; their buffers are free again
    bool stop_ = false;
    std::thread worker_;
};

} // namespace vantrel
