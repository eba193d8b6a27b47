#pragma once

// The database method's detection: walks a scanned range in chunks of whole sectors,
// tests every sector start against the signature database and carves each file found
// from its start sector to the length its header gives, to its end marker, or to the
// next file start. It knows nothing of devices or result trees: sectors come in through
// a ChunkReader and found files go out through a FoundFileSink, so a scan method wires
// it to a CDiskWindow and a ScanResultNode in a few lines.
//
// Every start sector is tested with an 8-sector window after it, so consecutive chunks
// overlap by 8 sectors and the last 8 sectors of a range are never a start. At most one
// file is open at a time; files are reported in the order of their start sectors.
//
// Wiring, in outline (Reset(sectorSize) when the method is attached or reset):
//   StepResult DetectStep() {
//       auto read = [&](uint64_t lba, uint32_t count, std::span<uint8_t> out) {
//           ReadSectorsChecked(*window, lba, count, out.data(),
//                              static_cast<uint32_t>(out.size()), badSectors);
//       };
//       auto found = [&](const FoundCarvedFile& f) {
//           // fill a carved FileEntry (window, f.startLba, f.size, f.name), rename it with
//           // RenameByContent (CarvedName.h) reading through the entry, fill it again
//           // with the new name, append it to the found files
//       };
//       const uint64_t r = carver.Step(rangeStart, rangeLength, position, read, found);
//       if (r != kCarveComplete && r != 0) position = r;
//       return r;
//   }

#include "engine/signature/FileKind.h"
#include "engine/signature/TextRules.h"
#include "platform/ByteReader.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace vantrel {

// The file being carved. Persists between chunks and steps.
struct CarvedFile {
    bool open = false;
    std::uint64_t startLba = 0; // window-relative LBA of its first sector
    std::uint64_t size = 0;     // bytes; 0 while unknown
    FileKind kind = FileKind::None;
};

// A file whose extent is known: to be filled into a carved FileEntry.
struct FoundCarvedFile {
    std::uint64_t startLba = 0; // window-relative
    std::uint64_t size = 0;     // bytes, never 0
    FileKind kind = FileKind::None;
    std::u16string name; // "%016llX" of startLba, ".", the kind's extension
    // The file's first bytes as the scan read them (sectors that could not be read are
    // zeros here), valid during the FoundFileSink call: its first sector, and for a file
    // that may be renamed by content (MayRenameByContent) up to kRenameHeadBytes, fewer
    // when the file runs on past what had been read when it was found. May hold bytes
    // past the file's end; empty when the sectors were not handed over in order.
    Bytes head;
    // The text summaries of the head's whole sectors, as far as they are at hand.
    std::span<const SectorText> headTexts;
};

// Reads `count` sectors starting at window LBA `lba` into `out` (exactly count × sector
// size bytes). Sectors that cannot be read must come back as zeros (and be recorded by
// the caller); the carving simply goes on through them.
using CarveChunkReader =
    std::function<void(std::uint64_t lba, std::uint32_t count, std::span<std::uint8_t> out)>;

// The same, handing out a view of the sectors (valid until the next call) instead of
// filling a buffer, so that sectors read ahead are not copied; with each sector's
// SectorTextMark when the source has worked them out already (empty otherwise).
struct CarveChunk {
    Bytes bytes;
    std::span<const std::uint64_t> textMarks;
};
using CarveChunkSource = std::function<CarveChunk(std::uint64_t lba, std::uint32_t count)>;

// What the text tests need of a sector (SummariseSectorText), packed in one value, for a
// read-ahead that works it out for every sector on its own thread.
std::uint64_t SectorTextMark(Bytes sector);
// SectorTextMark of each whole sector of `sectors` into marks[i], for a block at once.
void SectorTextMarks(Bytes sectors, std::uint32_t sectorSize, std::span<std::uint64_t> marks);

// Receives each file as soon as its extent is known.
using FoundFileSink = std::function<void(const FoundCarvedFile&)>;

// Step result meaning "the detection phase is complete".
inline constexpr std::uint64_t kCarveComplete = ~std::uint64_t{0};

// Sectors after a start sector that its tests may look at.
inline constexpr std::uint32_t kCarveWindowSectors = 8;

class SignatureCarver {
public:
    SignatureCarver() { Reset(512); }

    // Closes any open file and sizes the chunk for `sectorSize`. False (and unusable)
    // for a sector size of 0 or above 65 536.
    bool Reset(std::uint32_t sectorSize);

    std::uint32_t SectorSize() const { return sectorSize_; }
    // Sectors read per chunk: 32 768 bytes' worth, but never fewer than 16 so that a
    // chunk always has start sectors to test (4 096-byte sectors would otherwise give a
    // chunk no larger than its 8-sector overlap).
    std::uint32_t ChunkSectors() const { return chunkSectors_; }
    const CarvedFile& Current() const { return current_; }

    // One detection step over the range [rangeStart, rangeStart + rangeLength) (window
    // LBAs) from `position` (sectors of the range already done): reads chunks through
    // `read` until the position has advanced more than 32 sectors or the range ends, and
    // reports found files through `found`. Returns the new position, or kCarveComplete
    // when fewer than 9 sectors remain or the position is already at the end. An open
    // file may still end in those last sectors; one whose end is never seen is dropped.
    std::uint64_t Step(std::uint64_t rangeStart, std::uint64_t rangeLength, std::uint64_t position,
                       const CarveChunkReader& read, const FoundFileSink& found);
    std::uint64_t Step(std::uint64_t rangeStart, std::uint64_t rangeLength, std::uint64_t position,
                       const CarveChunkSource& source, const FoundFileSink& found);

    // Tests each sector of `chunk` (whole sectors, the first at window LBA `firstLba`)
    // that has 8 sectors after it. Returns the number of sectors tested: the chunk's
    // sector count − 8, or 0 for a chunk of fewer than 9 sectors.
    std::uint32_t ExamineChunk(Bytes chunk, std::uint64_t firstLba, const FoundFileSink& found);

private:
    // Fills texts_ for the sectors of chunk, from marks when there are as many.
    void Summarise(Bytes chunk, std::span<const std::uint64_t> marks);
    std::uint32_t ExamineSummarised(Bytes chunk, std::uint64_t firstLba,
                                    const FoundFileSink& found);
    void Open(std::uint64_t lba, FileKind kind, std::uint64_t headerLength);
    // The open file's sectors after those in head_ that the chunk being examined holds,
    // appended until head_ holds `limit` bytes (rounded up to whole sectors).
    void AppendHead(std::size_t limit);
    // Before the next chunk replaces this one: what the open file's head still needs.
    void CarryHead();
    // The head (and its sectors' text summaries) of the file about to be reported.
    void FillHead(FoundCarvedFile& file);
    void Emit(const FoundFileSink& found);
    // Sets the open file's size when its end lies in the sector at `sectorOffset`.
    void FindEnd(Bytes chunk, std::size_t sectorIndex, std::uint64_t lba);
    // Looks for the open file's end in the last sectors of the range, which are too few
    // to be tested as starts.
    void FinishInTail(std::uint64_t lba, std::uint32_t count, const CarveChunkSource& source,
                      const FoundFileSink& found);

    CarvedFile current_;
    std::uint32_t sectorSize_ = 512;
    std::uint32_t chunkSectors_ = 64;
    std::vector<std::uint8_t> chunk_;
    std::vector<SectorText> texts_; // of the sectors being examined
    Bytes examined_;                // the chunk being examined
    std::uint64_t examinedLba_ = 0; // its first sector
    // The open file's first bytes from chunks before the one being examined; a file that
    // cannot be renamed by content (keepHead_ false) needs only its first sector.
    std::vector<std::uint8_t> head_;
    std::vector<SectorText> headTexts_;
    bool keepHead_ = false;
};

} // namespace vantrel
