#include "engine/scan/ScanReadAhead.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

namespace {

// A block that does not read whole is read again in pieces of this size, each falling
// back to single sectors, so that a bad sector costs no more reads than a scan's own
// 32 KiB reads did.
constexpr std::uint32_t kRetryPieceBytes = 32768;
// A waiting side is woken when this many blocks are ready for it (or room for them).
constexpr std::uint64_t kWakeBlocks = 2;
static_assert(kWakeBlocks < kReadAheadBlocks);
// How far ahead of the block just read the disk is asked to read on its own: from a cold
// cache the disk then stays busy while the reader waits for room or marks, which it
// otherwise would not be asked to (the kernel reads ahead only as a reader moves on).
constexpr std::uint64_t kAdviseAheadBlocks = 16;

} // namespace

BlockMarker MarkEachSector(SectorMarker marker) {
    if (!marker)
        return {};
    return [marker = std::move(marker)](Bytes sectors, std::uint32_t sectorSize,
                                        std::span<std::uint64_t> marks) {
        const std::size_t count = marks.size();
        for (std::size_t i = 0; i < count; ++i) {
            // Most tests stop within a sector's first bytes: ask for the next sectors'
            // first bytes early, since a block read on the other core is not in this
            // one's cache.
            if (i + 4 < count)
                __builtin_prefetch(sectors.data() + (i + 4) * sectorSize);
            marks[i] = marker(sectors.subspan(i * sectorSize, sectorSize));
        }
    };
}

ScanReadAhead::~ScanReadAhead() {
    Detach();
}

void ScanReadAhead::Attach(CDiskWindow& window, std::uint32_t sectorSize, std::uint64_t first,
                           std::uint64_t end, BlockMarker marker) {
    Detach();
    window_ = &window;
    sectorSize_ = sectorSize == 0 ? 512 : sectorSize;
    blockSectors_ = std::max<std::uint32_t>(1, kReadAheadBlockBytes / sectorSize_);
    first_ = first;
    end_ = std::max(first, end);
    marker_ = std::move(marker);
}

void ScanReadAhead::Detach() {
    Release();
    const std::lock_guard lock(mutex_);
    marker_ = nullptr;
    idleWork_ = nullptr;
    window_ = nullptr;
}

void ScanReadAhead::Release() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
    const std::lock_guard lock(mutex_);
    stop_ = false;
    running_ = false;
    started_ = false;
    waiting_ = false;
    markWaiting_ = false;
    readerWaiting_ = false;
    ++generation_;
    base_ = head_ = tail_ = 0;
    for (Block& block : blocks_) {
        block = Block{};
    }
    staging_ = {};
    stagingMarks_ = {};
    marks_ = {};
}

void ScanReadAhead::RestartAt(std::uint64_t lba) {
    ++generation_;
    base_ = lba;
    head_ = tail_ = 0;
    started_ = true;
    wake_.notify_all();
}

Bytes ScanReadAhead::Fetch(std::uint64_t lba, std::uint32_t count, BadSectorList& bad) {
    marks_ = {};
    if (!window_ || count == 0)
        return {};
    if (count > blockSectors_ || lba < first_ || lba >= end_ || count > end_ - lba)
        return ReadDirect(lba, count, bad);
    std::unique_lock lock(mutex_);
    const bool behind = !started_ || lba < BlockStart(head_);
    if (behind || (lba - base_) / blockSectors_ > tail_) {
        RestartAt(lba);
        if (!running_) {
            // The reader ends by itself at the end of the range; a scan that starts over
            // (a search that found its file system) needs a new one.
            lock.unlock();
            if (thread_.joinable())
                thread_.join();
            lock.lock();
            running_ = true;
            thread_ = std::thread([this] { Run(); });
        }
    }
    const std::uint64_t firstBlock = (lba - base_) / blockSectors_;
    const std::uint64_t lastBlock = (lba + count - 1 - base_) / blockSectors_;
    if (firstBlock > head_) {
        head_ = firstBlock; // the blocks before are done with: room to read ahead
        if (readerWaiting_ && kReadAheadBlocks - (tail_ - head_) >= kWakeBlocks)
            wake_.notify_one();
    }
    while (tail_ <= lastBlock && idleWork_) {
        lock.unlock();
        const bool more = idleWork_();
        lock.lock();
        if (!more)
            break;
    }
    if (tail_ <= lastBlock) {
        // One block more than needed where there is room and range for it: the scan is
        // then woken once for the two. Not for the first block, which it only waits for.
        const std::uint64_t lastInRange = (end_ - 1 - base_) / blockSectors_;
        wanted_ = tail_ == 0 ? lastBlock
                             : std::min({lastBlock + kWakeBlocks - 1, lastInRange,
                                         head_ + kReadAheadBlocks - 1});
        wanted_ = std::max(wanted_, lastBlock);
        waiting_ = true;
        ready_.wait(lock, [&] { return tail_ > wanted_; });
        waiting_ = false;
    }
    if (marker_) {
        for (std::uint64_t n = firstBlock; n <= lastBlock; ++n)
            EnsureMarked(lock, n);
    }
    lock.unlock();

    // Blocks [head_, tail_) are the scan's own until it moves head_ on: read them unlocked.
    const std::uint64_t endLba = lba + count;
    for (std::uint64_t n = firstBlock; n <= lastBlock; ++n) {
        for (const std::uint64_t badLba : blocks_[n % kReadAheadBlocks].bad.Lbas()) {
            if (badLba >= lba && badLba < endLba)
                bad.Add(badLba);
        }
    }
    const Block& head = blocks_[firstBlock % kReadAheadBlocks];
    const std::size_t sector = static_cast<std::size_t>(lba - head.lba);
    const std::size_t offset = sector * sectorSize_;
    const std::size_t bytes = std::size_t{count} * sectorSize_;
    if (firstBlock == lastBlock) {
        if (marker_)
            marks_ = std::span<const std::uint64_t>(head.marks).subspan(sector, count);
        return Bytes(head.data.get() + offset, bytes);
    }
    const Block& next = blocks_[lastBlock % kReadAheadBlocks];
    const std::size_t part = std::size_t{head.count} * sectorSize_ - offset;
    staging_.resize(bytes);
    std::memcpy(staging_.data(), head.data.get() + offset, part);
    std::memcpy(staging_.data() + part, next.data.get(), bytes - part);
    if (marker_) {
        stagingMarks_.assign(head.marks.begin() + static_cast<std::ptrdiff_t>(sector),
                             head.marks.end());
        stagingMarks_.insert(stagingMarks_.end(), next.marks.begin(),
                             next.marks.begin() +
                                 static_cast<std::ptrdiff_t>(count - stagingMarks_.size()));
        marks_ = stagingMarks_;
    }
    return Bytes(staging_.data(), bytes);
}

void ScanReadAhead::EnsureMarked(std::unique_lock<std::mutex>& lock, std::uint64_t n) {
    Block& block = blocks_[n % kReadAheadBlocks];
    if (block.marking == Marking::None) {
        block.marking = Marking::Under;
        lock.unlock();
        MarkSectors(BlockBytes(block), block.marks);
        lock.lock();
        block.marking = Marking::Done;
        return;
    }
    markWaiting_ = true;
    ready_.wait(lock, [&] { return block.marking == Marking::Done; });
    markWaiting_ = false;
}

void ScanReadAhead::MarkSectors(Bytes sectors, std::vector<std::uint64_t>& marks) const {
    marks.resize(sectors.size() / sectorSize_);
    marker_(sectors, sectorSize_, marks);
}

Bytes ScanReadAhead::ReadDirect(std::uint64_t lba, std::uint32_t count, BadSectorList& bad) {
    const std::size_t bytes = std::size_t{count} * sectorSize_;
    staging_.assign(bytes, 0);
    // Unreadable sectors are listed in bad and searched as zeros; the scan goes on past
    // them, so the overall result is not needed.
    static_cast<void>(ReadSectorsChecked(*window_, lba, count, staging_.data(),
                                         static_cast<std::uint32_t>(bytes), bad));
    if (marker_) {
        MarkSectors(staging_, stagingMarks_);
        marks_ = stagingMarks_;
    }
    return Bytes(staging_.data(), bytes);
}

void ScanReadAhead::Run() {
    std::unique_lock lock(mutex_);
    const auto canGoOn = [&] {
        return stop_ || BlockStart(tail_) >= end_ || tail_ - head_ < kReadAheadBlocks;
    };
    for (;;) {
        if (!canGoOn()) {
            // No room to read into: mark a block the scan has not reached rather than wait.
            if (MarkAhead(lock))
                continue;
            readerWaiting_ = true;
            wake_.wait(lock, canGoOn);
            readerWaiting_ = false;
        }
        if (stop_ || BlockStart(tail_) >= end_) {
            // Read to the end: what is left to mark is shared with the scan.
            if (!stop_ && MarkAhead(lock))
                continue;
            running_ = false;
            return;
        }
        const std::uint64_t generation = generation_;
        // Not among the blocks held, so the scan does not look at it while it is read.
        Block& block = blocks_[tail_ % kReadAheadBlocks];
        block.lba = BlockStart(tail_);
        block.count =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(blockSectors_, end_ - block.lba));
        block.marking = Marking::None;
        lock.unlock();
        ReadBlock(block);
        AdviseAhead(block.lba);
        lock.lock();
        if (generation != generation_)
            continue;
        ++tail_;
        if (waiting_ && tail_ > wanted_)
            ready_.notify_one();
    }
}

bool ScanReadAhead::MarkAhead(std::unique_lock<std::mutex>& lock) {
    if (!marker_)
        return false;
    // The newest first: the scan reaches it last, so it rarely waits for the reader.
    for (std::uint64_t n = tail_; n-- > head_;) {
        Block& block = blocks_[n % kReadAheadBlocks];
        if (block.marking != Marking::None)
            continue;
        block.marking = Marking::Under;
        lock.unlock();
        MarkSectors(BlockBytes(block), block.marks);
        lock.lock();
        block.marking = Marking::Done;
        if (markWaiting_)
            ready_.notify_one();
        return true;
    }
    return false;
}

void ScanReadAhead::AdviseAhead(std::uint64_t lba) const {
    const std::uint64_t ahead = std::uint64_t{blockSectors_} * kAdviseAheadBlocks;
    if (lba >= end_ || end_ - lba <= ahead)
        return;
    const std::uint64_t from = lba + ahead;
    window_->WillRead(
        from, static_cast<std::uint32_t>(std::min<std::uint64_t>(blockSectors_, end_ - from)));
}

void ScanReadAhead::ReadBlock(Block& block) {
    const std::size_t bytes = std::size_t{block.count} * sectorSize_;
    if (!block.data)
        block.data = std::make_unique_for_overwrite<std::uint8_t[]>(std::size_t{blockSectors_} *
                                                                    sectorSize_);
    block.bad.Clear();
    if (window_->ReadSectors(block.lba, block.count, block.data.get(),
                             static_cast<std::uint32_t>(bytes)))
        return;
    const std::uint32_t piece = std::max<std::uint32_t>(1, kRetryPieceBytes / sectorSize_);
    for (std::uint32_t done = 0; done < block.count;) {
        const std::uint32_t n = std::min(piece, block.count - done);
        // As in ReadDirect: failures are in block.bad, the sectors zeros.
        static_cast<void>(ReadSectorsChecked(*window_, block.lba + done, n,
                                             block.data.get() + std::size_t{done} * sectorSize_,
                                             n * sectorSize_, block.bad));
        done += n;
    }
}

} // namespace vantrel
