#include "engine/signature/SignatureCarver.h"

#include "engine/signature/CarvedName.h"
#include "engine/signature/FileSignature.h"
#include "engine/signature/TextRules.h"

#include <algorithm>

namespace vantrel {

namespace {

constexpr std::uint32_t kChunkBytes = 32768;
constexpr std::uint32_t kMinChunkSectors = 2 * kCarveWindowSectors;
constexpr std::uint32_t kMaxSectorSize = 65536;
// A step reads chunks until it has advanced more than this many sectors.
constexpr std::uint64_t kStepSectors = 32;
// How far ahead of the sector being tested the first bytes of later ones are asked for.
constexpr std::size_t kPrefetchBytes = 8192;

} // namespace

bool SignatureCarver::Reset(std::uint32_t sectorSize) {
    current_ = {};
    // The last chunk examined was a view into sectors that are gone by now.
    examined_ = {};
    examinedLba_ = 0;
    head_.clear();
    headTexts_.clear();
    if (sectorSize == 0 || sectorSize > kMaxSectorSize) {
        sectorSize_ = 0;
        chunkSectors_ = 0;
        chunk_.clear();
        return false;
    }
    sectorSize_ = sectorSize;
    chunkSectors_ = std::max(kChunkBytes / sectorSize, kMinChunkSectors);
    chunk_.assign(static_cast<std::size_t>(chunkSectors_) * sectorSize, 0);
    return true;
}

std::uint64_t SignatureCarver::Step(std::uint64_t rangeStart, std::uint64_t rangeLength,
                                    std::uint64_t position, const CarveChunkReader& read,
                                    const FoundFileSink& found) {
    if (!read)
        return 0;
    const CarveChunkSource source = [&](std::uint64_t lba, std::uint32_t count) {
        const std::span<std::uint8_t> chunk(chunk_.data(),
                                            static_cast<std::size_t>(count) * sectorSize_);
        std::fill(chunk.begin(), chunk.end(), std::uint8_t{0});
        read(lba, count, chunk);
        return CarveChunk{chunk, {}};
    };
    return Step(rangeStart, rangeLength, position, source, found);
}

std::uint64_t SignatureCarver::Step(std::uint64_t rangeStart, std::uint64_t rangeLength,
                                    std::uint64_t position, const CarveChunkSource& source,
                                    const FoundFileSink& found) {
    if (sectorSize_ == 0 || !source)
        return 0;
    if (position >= rangeLength)
        return kCarveComplete;
    const std::uint64_t begin = position;
    while (position < rangeLength && position - begin <= kStepSectors) {
        const std::uint64_t left = rangeLength - position;
        const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, chunkSectors_));
        if (count <= kCarveWindowSectors) {
            // The remaining sectors cannot hold a start with its full window, but an open
            // file may still end in them. A file whose end is never seen is dropped rather
            // than given a guessed length.
            FinishInTail(rangeStart + position, count, source, found);
            current_ = {};
            return kCarveComplete;
        }
        const CarveChunk chunk = source(rangeStart + position, count);
        if (chunk.bytes.size() != static_cast<std::size_t>(count) * sectorSize_)
            return 0; // a source that cannot give the sectors fails the step
        Summarise(chunk.bytes, chunk.textMarks);
        position += ExamineSummarised(chunk.bytes, rangeStart + position, found);
    }
    return position;
}

std::uint32_t SignatureCarver::ExamineChunk(Bytes chunk, std::uint64_t firstLba,
                                            const FoundFileSink& found) {
    Summarise(chunk, {});
    return ExamineSummarised(chunk, firstLba, found);
}

void SignatureCarver::Summarise(Bytes chunk, std::span<const std::uint64_t> marks) {
    const std::size_t ss = sectorSize_;
    const std::size_t sectors = ss == 0 ? 0 : chunk.size() / ss;
    texts_.resize(sectors);
    for (std::size_t i = 0; i < sectors; ++i) {
        if (marks.size() == sectors) {
            texts_[i].run = static_cast<std::uint32_t>(marks[i]);
            texts_[i].runFromSecond = static_cast<std::uint32_t>(marks[i] >> 32);
        } else {
            texts_[i] = SummariseSectorText(chunk.subspan(i * ss, ss));
        }
    }
}

std::uint32_t SignatureCarver::ExamineSummarised(Bytes chunk, std::uint64_t firstLba,
                                                 const FoundFileSink& found) {
    const std::size_t ss = sectorSize_;
    if (ss == 0)
        return 0;
    const std::size_t sectors = chunk.size() / ss;
    if (sectors <= kCarveWindowSectors)
        return 0;
    const std::size_t tested = sectors - kCarveWindowSectors;
    examined_ = chunk;
    examinedLba_ = firstLba;
    const std::size_t windowBytes = kCarveWindowSectors * ss;
    for (std::size_t i = 0; i < tested;) {
        const std::size_t offset = i * ss;
        const std::uint64_t lba = firstLba + i;
        // Most sectors are looked at only in their first bytes, read (and often marked) on
        // the other core: asked for early, they are not waited for.
        if (offset + kPrefetchBytes < chunk.size())
            __builtin_prefetch(chunk.data() + offset + kPrefetchBytes);
        const Bytes window = chunk.subspan(offset, windowBytes);
        const auto windowIsText = [&] {
            return IsTextRun(window, ss, std::span(texts_).subspan(i, kCarveWindowSectors));
        };
        const TextRunQuery isTextRun(windowIsText);
        bool again = false;
        if (current_.open && IsNewFileStart(window, current_.kind, isTextRun)) {
            // The open file ends where the new one starts; this sector is then tested
            // again with no file open, so that the new file opens here.
            if (lba > current_.startLba)
                current_.size = (lba - current_.startLba) * ss;
            else
                current_ = {}; // a chunk given out of order: no extent to report
            again = true;
        } else if (!current_.open) {
            const FileStart start = DetectFileType(window, isTextRun);
            if (start)
                Open(lba, start.kind, start.headerLength);
        }
        if (current_.open && current_.size == 0)
            FindEnd(chunk, i, lba);
        if (current_.open && current_.size != 0)
            Emit(found);
        if (!again)
            ++i;
    }
    CarryHead();
    return static_cast<std::uint32_t>(tested);
}

void SignatureCarver::FinishInTail(std::uint64_t lba, std::uint32_t count,
                                   const CarveChunkSource& source, const FoundFileSink& found) {
    if (!current_.open || current_.size != 0 || count == 0)
        return;
    const CarveChunk tail = source(lba, count);
    if (tail.bytes.size() != static_cast<std::size_t>(count) * sectorSize_)
        return;
    Summarise(tail.bytes, tail.textMarks);
    examined_ = tail.bytes;
    examinedLba_ = lba;
    for (std::uint32_t i = 0; i < count && current_.size == 0; ++i)
        FindEnd(tail.bytes, i, lba + i);
    if (current_.size != 0)
        Emit(found);
}

void SignatureCarver::Open(std::uint64_t lba, FileKind kind, std::uint64_t headerLength) {
    current_.open = true;
    current_.startLba = lba;
    current_.size = headerLength;
    current_.kind = kind;
    head_.clear();
    headTexts_.clear();
    const std::size_t offset = static_cast<std::size_t>(lba - examinedLba_) * sectorSize_;
    keepHead_ = offset < examined_.size() && MayRenameByContent(examined_[offset]);
}

void SignatureCarver::AppendHead(std::size_t limit) {
    const std::size_t ss = sectorSize_;
    const std::uint64_t next = current_.startLba + head_.size() / ss;
    const std::uint64_t sectors = examined_.size() / ss;
    if (head_.size() >= limit || next < examinedLba_ || next - examinedLba_ >= sectors)
        return;
    const std::size_t from = static_cast<std::size_t>(next - examinedLba_) * ss;
    const std::size_t wanted = (limit - head_.size() + ss - 1) / ss * ss;
    const Bytes part = examined_.subspan(from, std::min(wanted, examined_.size() - from));
    head_.insert(head_.end(), part.begin(), part.end());
    const auto texts = std::span(texts_).subspan(from / ss, part.size() / ss);
    headTexts_.insert(headTexts_.end(), texts.begin(), texts.end());
}

void SignatureCarver::CarryHead() {
    if (current_.open)
        AppendHead(keepHead_ ? kRenameHeadBytes : sectorSize_);
}

void SignatureCarver::FillHead(FoundCarvedFile& file) {
    const std::size_t ss = sectorSize_;
    const std::size_t limit = keepHead_ ? kRenameHeadBytes : ss;
    if (current_.startLba >= examinedLba_) {
        // Found in the chunk it starts in: no copy needed.
        const std::uint64_t sector = current_.startLba - examinedLba_;
        if (sector >= texts_.size())
            return;
        const Bytes rest = examined_.subspan(static_cast<std::size_t>(sector) * ss);
        file.head = rest.first(std::min(rest.size(), (limit + ss - 1) / ss * ss));
        file.headTexts =
            std::span(texts_).subspan(static_cast<std::size_t>(sector), file.head.size() / ss);
        return;
    }
    if (head_.empty())
        return;
    AppendHead(std::min<std::uint64_t>(limit, current_.size));
    file.head = head_;
    file.headTexts = headTexts_;
}

void SignatureCarver::Emit(const FoundFileSink& found) {
    if (found) {
        FoundCarvedFile file;
        file.startLba = current_.startLba;
        file.size = current_.size;
        file.kind = current_.kind;
        file.name = CarvedFileName(current_.startLba, current_.kind);
        FillHead(file);
        found(file);
    }
    current_ = {};
}

void SignatureCarver::FindEnd(Bytes chunk, std::size_t sectorIndex, std::uint64_t lba) {
    const std::size_t ss = sectorSize_;
    const std::size_t sectorOffset = sectorIndex * ss;
    const std::uint64_t before = (lba - current_.startLba) * ss;
    if (current_.kind == FileKind::Txt) {
        const Bytes sector = chunk.subspan(sectorOffset, ss);
        const SectorText& text = texts_[sectorIndex];
        if (TextEndsInSector(sector, text))
            current_.size = before + TextBytesInEndSector(sector, text);
        return;
    }
    if (!KindHasEndMarker(current_.kind))
        return;
    // A marker may start anywhere in this sector and run on into the next 8.
    const std::size_t available =
        std::min(chunk.size() - sectorOffset, (kCarveWindowSectors + 1) * ss);
    const EndMarkerHit hit =
        SearchEndMarker(chunk.subspan(sectorOffset, available), ss, current_.kind);
    if (hit.found)
        current_.size = before + hit.End();
}

std::uint64_t SectorTextMark(Bytes sector) {
    const SectorText text = SummariseSectorText(sector);
    return std::uint64_t{text.run} | (std::uint64_t{text.runFromSecond} << 32);
}

void SectorTextMarks(Bytes sectors, std::uint32_t sectorSize, std::span<std::uint64_t> marks) {
    const std::size_t count =
        sectorSize == 0 ? 0 : std::min(marks.size(), sectors.size() / sectorSize);
    for (std::size_t i = 0; i < count; ++i) {
        // Most sectors' runs stop within their first bytes: ask for the next sectors'
        // first bytes early (a block read on the other core is not in this one's cache).
        if (i + 4 < count)
            __builtin_prefetch(sectors.data() + (i + 4) * sectorSize);
        marks[i] = SectorTextMark(sectors.subspan(i * sectorSize, sectorSize));
    }
}

} // namespace vantrel
