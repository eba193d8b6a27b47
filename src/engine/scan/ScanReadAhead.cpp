#include "engine/scan/ScanReadAhead.h"

#include <algorithm>
#include <cstring>

namespace vantrel {

namespace {

// A block that does not read whole is read again in pieces of this size, each falling
// back to single sectors, so that a bad sector costs no more reads than a scan's own
// 32 KiB reads did.
constexpr std::uint32_t kRetryPieceBytes = 32768;

} // namespace

ScanReadAhead::~ScanReadAhead() {
    Detach();
}

void ScanReadAhead::Attach(CDiskWindow& window, std::uint32_t sectorSize, std::uint64_t first,
                           std::uint64_t end, SectorMarker marker) {
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
        wake_.notify_all();
    }
    if (tail_ <= lastBlock) {
        waiting_ = true;
        wanted_ = lastBlock;
        ready_.wait(lock, [&] { return tail_ > lastBlock; });
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
        return Bytes(head.data.data() + offset, bytes);
    }
    const Block& next = blocks_[lastBlock % kReadAheadBlocks];
    const std::size_t part = head.data.size() - offset;
    staging_.resize(bytes);
    std::memcpy(staging_.data(), head.data.data() + offset, part);
    std::memcpy(staging_.data() + part, next.data.data(), bytes - part);
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
        MarkSectors(block.data, block.marks);
        lock.lock();
        block.marking = Marking::Done;
        return;
    }
    ready_.wait(lock, [&] { return block.marking == Marking::Done; });
}

void ScanReadAhead::MarkSectors(Bytes sectors, std::vector<std::uint64_t>& marks) const {
    const std::size_t count = sectors.size() / sectorSize_;
    marks.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        // Most tests stop within a sector's first bytes: ask for the next sectors' first
        // bytes early, since a block read on the other core is not in this one's cache.
        if (i + 4 < count)
            __builtin_prefetch(sectors.data() + (i + 4) * sectorSize_);
        marks[i] = marker_(sectors.subspan(i * sectorSize_, sectorSize_));
    }
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
    for (;;) {
        wake_.wait(lock, [&] {
            return stop_ || BlockStart(tail_) >= end_ || tail_ - head_ < kReadAheadBlocks;
        });
        if (stop_ || BlockStart(tail_) >= end_) {
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
        lock.lock();
        if (generation != generation_)
            continue;
        const std::uint64_t n = tail_++;
        // A scan waiting for this block marks it itself, while the reader reads on.
        const bool markHere = marker_ && !(waiting_ && n <= wanted_);
        if (markHere)
            block.marking = Marking::Under;
        ready_.notify_all();
        if (!markHere)
            continue;
        lock.unlock();
        MarkSectors(block.data, block.marks);
        lock.lock();
        block.marking = Marking::Done;
        ready_.notify_all();
    }
}

void ScanReadAhead::ReadBlock(Block& block) {
    const std::size_t bytes = std::size_t{block.count} * sectorSize_;
    block.data.resize(bytes);
    block.bad.Clear();
    if (window_->ReadSectors(block.lba, block.count, block.data.data(),
                             static_cast<std::uint32_t>(bytes)))
        return;
    const std::uint32_t piece = std::max<std::uint32_t>(1, kRetryPieceBytes / sectorSize_);
    for (std::uint32_t done = 0; done < block.count;) {
        const std::uint32_t n = std::min(piece, block.count - done);
        // As in ReadDirect: failures are in block.bad, the sectors zeros.
        static_cast<void>(ReadSectorsChecked(*window_, block.lba + done, n,
                                             block.data.data() + std::size_t{done} * sectorSize_,
                                             n * sectorSize_, block.bad));
        done += n;
    }
}

} // namespace vantrel
