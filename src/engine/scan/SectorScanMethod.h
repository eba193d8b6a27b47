#pragma once

// What the three scan methods share: the range of a "スキャン結果" node they walk, the
// position reached, and the chunk of sectors read per pass with the sectors that could
// not be read. The concrete methods add what they search for.

#include "device/DiskWindow.h"
#include "engine/scan/ScanReadAhead.h"
#include "engine/tree/ScanMethod.h"
#include "platform/ByteReader.h"

#include <cstdint>
#include <memory>

namespace vantrel {

class FileEntry;

// Bytes read per pass; a step advances by about this much so that the worker can post
// progress and notice a stop request between steps.
inline constexpr std::uint32_t kScanChunkBytes = 32768;
// A step reads chunks until its position has moved on by more than this many sectors.
inline constexpr std::uint64_t kScanStepSectors = 32;

class SectorScanMethod : public ScanMethod {
public:
    // Takes the node's window and range: the window must report a capacity, the range
    // must lie inside it (a length of all ones runs to the window's end) and a chunk must
    // hold at least one sector. Found files and folders go to the node.
    virtual bool Attach(ScanResultNode& node);
    void Reset() override;

    CDiskWindow* Window() const { return window_; }
    std::uint64_t WindowLastLba() const { return windowLastLba_; }
    std::uint32_t SectorSize() const { return sectorSize_; }
    std::uint64_t RangeStart() const { return rangeStart_; }
    std::uint64_t RangeLength() const { return rangeLength_; }
    std::uint64_t Position() const { return position_; }
    std::uint32_t ChunkSectors() const { return chunkSectors_; }

protected:
    // Reads the next chunk at rangeStart + position: chunkSectors sectors, fewer at the
    // end of the range, 0 when the range is done. Unreadable sectors are listed in the
    // method's BadSectorList and read as zeros; the scan goes on with the rest.
    std::uint32_t ReadChunk();
    // count sectors at window LBA lba, read ahead like the chunks (the view lasts until
    // the next read); unreadable sectors are listed and read as zeros.
    Bytes FetchSectors(std::uint64_t lba, std::uint32_t count) {
        return readAhead_.Fetch(lba, count, badSectors_);
    }
    // Frees the read-ahead once a phase has read its last sector (a later phase that
    // starts over reads again).
    void ReleaseReadAhead() {
        readAhead_.Release();
        chunk_ = {};
    }
    // Work to do while the scan waits for the read-ahead (ScanReadAhead::SetIdleWork);
    // cleared when the method is reset or attached again.
    void SetIdleWork(std::function<bool()> work) { readAhead_.SetIdleWork(std::move(work)); }
    // The marks (SectorMarks) of the sectors last read, in step with them.
    std::span<const std::uint64_t> FetchedMarks() const { return readAhead_.Marks(); }
    // Mark of sector i of the chunk last read; 0 past its end or without a marker.
    std::uint64_t ChunkMark(std::uint32_t i) const {
        const auto marks = readAhead_.Marks();
        return i < marks.size() ? marks[i] : 0;
    }
    // A per-sector test that depends on nothing the scan found, worked out for every
    // sector on whichever of two threads is free (ScanReadAhead); none by default.
    virtual SectorMarker SectorMarks() const { return {}; }
    // The same test over a block at once, for a method whose loop gains from it (no call
    // through a std::function per sector); SectorMarks for each sector by default.
    virtual BlockMarker BlockMarks() const { return MarkEachSector(SectorMarks()); }
    // Sector i of the chunk last read.
    Bytes ChunkSector(std::uint32_t i) const;
    // The first count sectors of the chunk from sector i.
    Bytes ChunkFrom(std::uint32_t i, std::uint32_t count) const;
    // True while a step begun at `begin` may read another chunk.
    bool StepGoesOn(std::uint64_t begin) const {
        return position_ < rangeLength_ && position_ - begin <= kScanStepSectors;
    }

    ScanResultNode* Node() const { return node_; }
    void AddFoundFile(std::unique_ptr<FileEntry> file);
    void AddFoundFolder(std::unique_ptr<ResultNode> folder);

    std::uint64_t position_ = 0;

private:
    ScanResultNode* node_ = nullptr; // holds the found files and folders
    CDiskWindow* window_ = nullptr;  // not owned
    std::uint64_t windowLastLba_ = 0;
    std::uint32_t sectorSize_ = 512;
    std::uint64_t rangeStart_ = 0;
    std::uint64_t rangeLength_ = 0;
    std::uint32_t chunkSectors_ = 0;
    ScanReadAhead readAhead_;
    Bytes chunk_; // the chunk last read, inside readAhead_'s blocks
};

} // namespace vantrel
