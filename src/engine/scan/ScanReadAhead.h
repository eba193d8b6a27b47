#pragma once

// Reads a scanned range ahead of the scan, on a thread of its own and in large blocks, so
// that the disk (or the copy out of the page cache) works while the scan tests what was
// read before. The scan asks for sectors in the order it walks them, a little back or
// forward as it likes, and gets a view into the block that holds them: looking at the
// same sectors again costs no read. At most kReadAheadBlocks blocks are held.
//
// A scan may also hand over a per-sector test that does not depend on what it found
// before (a marker): each block is then marked, one value per sector, by whichever
// thread gets to it first — the scan when it reaches the block, or the reader when it has
// no room to read into — so that the testing is shared between two cores and reading,
// which bounds the scan of a fast disk, never waits on it. Each side wakes the other only when that
// one waits, and then for two blocks at a time: a wake-up costs about as much as testing a block.

#include "device/DiskWindow.h"
#include "platform/ByteReader.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace vantrel {

inline constexpr std::uint32_t kReadAheadBlockBytes = 1u << 20;
inline constexpr std::uint32_t kReadAheadBlocks = 8;

// One sector's mark; it must depend on the sector's bytes alone (it runs on either thread).
using SectorMarker = std::function<std::uint64_t(Bytes sector)>;
// The marks of a run of whole sectors, marks[i] for sector i: the same rule, one call per
// block rather than per sector.
using BlockMarker =
    std::function<void(Bytes sectors, std::uint32_t sectorSize, std::span<std::uint64_t> marks)>;
// A block marker that asks marker for each sector in turn; empty when marker is.
BlockMarker MarkEachSector(SectorMarker marker);

class ScanReadAhead {
public:
    ScanReadAhead() = default;
    ~ScanReadAhead();
    ScanReadAhead(const ScanReadAhead&) = delete;
    ScanReadAhead& operator=(const ScanReadAhead&) = delete;

    // Window sectors [first, end) of `window` are what Fetch will be asked for. Reads
    // nothing yet: the thread starts at the first Fetch.
    void Attach(CDiskWindow& window, std::uint32_t sectorSize, std::uint64_t first,
                std::uint64_t end, BlockMarker marker = {});
    // Stops the thread (after the read under way) and frees the blocks.
    void Detach();
    // The same, staying attached: a later Fetch starts reading again.
    void Release();

    // count sectors from window LBA lba: a view that stays valid until the next Fetch or
    // Detach. Unreadable sectors read as zeros and are added to `bad` (each once) when a
    // view that holds them is handed out, in LBA order. A request outside the attached
    // range, or larger than a block, is read at once with no read-ahead.
    Bytes Fetch(std::uint64_t lba, std::uint32_t count, BadSectorList& bad);
    // The marks of the sectors of the last Fetch, in step with them; empty without a
    // marker.
    std::span<const std::uint64_t> Marks() const { return marks_; }

    std::uint32_t BlockSectors() const { return blockSectors_; }

    // Work the scan does while it would otherwise wait for a block to be read: called
    // (unlocked, on the scan's thread) until it answers false or the block is there.
    void SetIdleWork(std::function<bool()> work) { idleWork_ = std::move(work); }

private:
    enum class Marking { None, Under, Done };
    struct Block {
        std::uint64_t lba = 0;
        std::uint32_t count = 0;
        // Not cleared when allocated: every byte is read over (or zeroed when unreadable).
        std::unique_ptr<std::uint8_t[]> data;
        BadSectorList bad;
        Marking marking = Marking::None;
        std::vector<std::uint64_t> marks;
    };

    void Run();
    void ReadBlock(Block& block);
    // Asks the disk to read on its own, well ahead of the block just read at lba.
    void AdviseAhead(std::uint64_t lba) const;
    void MarkSectors(Bytes sectors, std::vector<std::uint64_t>& marks) const;
    // The reader, with no room to read into, marks a held block the scan has not marked;
    // false when there is none. Caller holds the lock (released while marking).
    bool MarkAhead(std::unique_lock<std::mutex>& lock);
    // Marks block n unless the other thread does; returns once it is marked. Caller holds
    // the lock (released while marking).
    void EnsureMarked(std::unique_lock<std::mutex>& lock, std::uint64_t n);
    // The reader goes on from lba; what it read before is dropped. Caller holds mutex_.
    void RestartAt(std::uint64_t lba);
    Bytes ReadDirect(std::uint64_t lba, std::uint32_t count, BadSectorList& bad);
    std::uint64_t BlockStart(std::uint64_t seq) const { return base_ + seq * blockSectors_; }
    Bytes BlockBytes(const Block& block) const {
        return Bytes(block.data.get(), std::size_t{block.count} * sectorSize_);
    }

    CDiskWindow* window_ = nullptr;
    std::uint32_t sectorSize_ = 512;
    std::uint32_t blockSectors_ = 0;
    std::uint64_t first_ = 0;
    std::uint64_t end_ = 0;
    BlockMarker marker_;
    std::function<bool()> idleWork_;

    std::mutex mutex_;
    std::condition_variable wake_;  // the reader: room for a block, a restart or a stop
    std::condition_variable ready_; // the scan: a block has been read
    std::array<Block, kReadAheadBlocks> blocks_;
    // Blocks are numbered from base_ on; those numbered [head_, tail_) are read and held,
    // block n in blocks_[n % kReadAheadBlocks]. A restart starts a new generation, so that
    // the block being read when it came is dropped.
    std::uint64_t base_ = 0;
    std::uint64_t head_ = 0;
    std::uint64_t tail_ = 0;
    std::uint64_t generation_ = 0;
    // The last block the scan is waiting to be read, if it is: the reader leaves those to
    // the scan to mark, goes on reading, and wakes it once that one is read.
    std::uint64_t wanted_ = 0;
    bool waiting_ = false;
    bool markWaiting_ = false;   // the scan waits for the reader to finish marking a block
    bool readerWaiting_ = false; // the reader waits for room
    bool stop_ = false;
    bool started_ = false; // a first Fetch has set base_
    bool running_ = false; // the thread has not ended (it ends at the end of the range)
    std::thread thread_;
    std::vector<std::uint8_t> staging_; // a view across two blocks, or a direct read
    std::vector<std::uint64_t> stagingMarks_;
    std::span<const std::uint64_t> marks_;
};

} // namespace vantrel
