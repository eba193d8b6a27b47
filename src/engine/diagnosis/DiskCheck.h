#pragma once

// The disk check ("ディスクの診断"): reads an area once from start to end, read only, in
// large blocks, falling back to single sectors inside a block that fails, and keeps a map
// with one cell per block (fine, slow, unreadable) and every unreadable sector once.

#include "device/DiskWindow.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace vantrel {

enum class BlockStatus : std::uint8_t {
    Unread = 0,
    Fine = 1,
    Slow = 2,       // read, but slower than the slow threshold
    Unreadable = 3, // at least one sector of the block could not be read
};

struct DiskCheckOptions {
    // Bytes per block; rounded down to whole sectors (at least one sector).
    std::uint32_t blockBytes = 1u << 20;
    // A block that takes longer than this is marked slow.
    std::uint64_t slowMicroseconds = 500'000;
    // Microseconds of a monotonic clock; tests replace it.
    std::function<std::uint64_t()> clock;
};

class DiskCheck {
public:
    explicit DiskCheck(DiskCheckOptions options = {});

    // The area: sectors [start, start + length) of window; a length of all ones means to
    // the window's end. False when the window has no usable capacity or the area passes
    // its end.
    bool SetUp(CDiskWindow* window, std::uint64_t start = 0,
               std::uint64_t length = ~std::uint64_t{0});

    // Reads the next block. False when the check was already complete.
    bool Step();
    bool Complete() const { return position_ >= length_; }

    CDiskWindow* Window() const { return window_; }
    std::uint64_t Start() const { return start_; }
    std::uint64_t Length() const { return length_; }
    // Sectors of the whole window (the map file covers all of them).
    std::uint64_t WindowSectors() const { return windowSectors_; }
    std::uint32_t SectorSize() const { return sectorSize_; }
    std::uint32_t BlockSectors() const { return blockSectors_; }
    // Sectors of the area read so far.
    std::uint64_t Position() const { return position_; }

    const std::vector<BlockStatus>& Blocks() const { return blocks_; }
    std::uint64_t BlockCount() const { return blocks_.size(); }
    std::uint64_t CountBlocks(BlockStatus status) const;
    // Unreadable sectors, window-relative LBAs, each once, in the order met.
    const BadSectorList& BadSectors() const { return bad_; }

    // Microseconds spent reading so far and the mean speed in bytes per second (0 before
    // anything was read).
    std::uint64_t ElapsedMicroseconds() const { return elapsed_; }
    std::uint64_t BytesPerSecond() const;

private:
    std::uint64_t Now() const;

    DiskCheckOptions options_;
    CDiskWindow* window_ = nullptr;
    std::uint64_t start_ = 0;
    std::uint64_t length_ = 0;
    std::uint64_t windowSectors_ = 0;
    std::uint32_t sectorSize_ = 512;
    std::uint32_t blockSectors_ = 1;
    std::uint64_t position_ = 0;
    std::uint64_t elapsed_ = 0;
    std::vector<BlockStatus> blocks_;
    std::vector<std::uint8_t> buffer_;
    BadSectorList bad_;
};

} // namespace vantrel
