// Start tests, end markers, text rules, compound-document renaming and the carving state
// machine over arbitrary bytes. Inputs are copied into buffers of exactly their size so
// that any read past the bytes handed to a test is caught.

#include "engine/signature/CarvedName.h"
#include "engine/signature/CompoundDocument.h"
#include "engine/signature/FileSignature.h"
#include "engine/signature/SignatureCarver.h"
#include "engine/signature/TextRules.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace vantrel;

namespace {

void Check(bool condition) {
    if (!condition)
        __builtin_trap();
}

// Drives whole steps, so chunk overlaps and the range tail are exercised too.
void CarveAll(Bytes bytes, std::uint32_t sectorSize) {
    SignatureCarver carver;
    Check(carver.Reset(sectorSize));
    const std::uint64_t sectors = bytes.size() / sectorSize;
    std::uint64_t lastStart = 0;
    bool any = false;
    const CarveChunkReader read = [&](std::uint64_t lba, std::uint32_t count,
                                      std::span<std::uint8_t> out) {
        Check(lba + count <= sectors && out.size() == std::size_t{count} * sectorSize);
        std::memcpy(out.data(), bytes.data() + lba * sectorSize, out.size());
    };
    const FoundFileSink found = [&](const FoundCarvedFile& file) {
        Check(file.size != 0);
        Check(file.startLba < sectors);
        Check(!any || file.startLba > lastStart);
        Check(file.name.size() == 17 + KindExtension(file.kind).size());
        // The head is the file's first bytes as they lie in the input.
        const std::size_t at = file.startLba * sectorSize;
        Check(!file.head.empty() && file.head.size() <= bytes.size() - at &&
              std::equal(file.head.begin(), file.head.end(),
                         bytes.begin() + static_cast<std::ptrdiff_t>(at)));
        // Its sectors' text summaries are theirs, and name it as walking its bytes does.
        Check(file.headTexts.size() * sectorSize <= file.head.size());
        for (std::size_t k = 0; k < file.headTexts.size(); ++k) {
            const SectorText text =
                SummariseSectorText(file.head.subspan(k * sectorSize, sectorSize));
            Check(text.run == file.headTexts[k].run &&
                  text.runFromSecond == file.headTexts[k].runFromSecond);
        }
        const Bytes head = file.head.first(std::min<std::size_t>(
            file.head.size(), std::min<std::uint64_t>(file.size, kRenameHeadBytes)));
        const auto viaTexts = [&] { return IsTextRun(head, sectorSize, file.headTexts); };
        Check(RenameByContent(file.name, file.size, head, TextRunQuery(viaTexts), {}) ==
              RenameByContent(file.name, file.size, head, {}));
        lastStart = file.startLba;
        any = true;
    };
    std::uint64_t position = 0;
    for (std::uint64_t steps = 0;; ++steps) {
        Check(steps <= sectors);
        const std::uint64_t result = carver.Step(0, sectors, position, read, found);
        if (result == kCarveComplete)
            break;
        Check(result > position && result <= sectors);
        position = result;
    }
}

// The text tests worked out from per-sector summaries (as the database scan does) answer
// as the tests over the bytes: text split between sectors is where they could part.
void CompareSummarisedText(Bytes bytes, std::size_t sectorSize) {
    const std::size_t sectors = bytes.size() / sectorSize;
    const Bytes whole = bytes.first(sectors * sectorSize);
    std::vector<SectorText> texts;
    for (std::size_t k = 0; k < sectors; ++k) {
        const Bytes sector = whole.subspan(k * sectorSize, sectorSize);
        texts.push_back(SummariseSectorText(sector));
        Check(TextEndsInSector(sector, texts.back()) == TextEndsInSector(sector));
        Check(TextBytesInEndSector(sector, texts.back()) == TextBytesInEndSector(sector));
    }
    for (std::size_t k = 0; k < sectors; ++k) {
        const Bytes window = whole.subspan(k * sectorSize);
        Check(IsTextRun(window, sectorSize, std::span(texts).subspan(k)) == IsTextRun(window));
        // Cut short inside a sector, as a carved file's head is: the rest is walked.
        const Bytes from = bytes.subspan(k * sectorSize);
        const Bytes cut = from.first(from.size() - std::min(from.size(), k % 7 * 5));
        Check(IsTextRun(cut, sectorSize, std::span(texts).subspan(k)) == IsTextRun(cut));
    }
}

// The byte rule the fast run length must agree with, one character at a time.
std::size_t TextRunByBytes(Bytes b) {
    std::size_t i = 0;
    while (i < b.size()) {
        if (b.size() - i >= 2 && IsTextLeadByte(b[i]) && IsTextTrailByte(b[i + 1]))
            i += 2;
        else if (IsSingleTextByte(b[i]))
            ++i;
        else
            break;
    }
    return i;
}

// The marker search must find what trying every offset finds.
EndMarkerHit EndMarkerByOffsets(Bytes bytes, std::size_t offsetCount, FileKind kind) {
    for (std::size_t offset = 0; offset < std::min(offsetCount, bytes.size()); ++offset) {
        const std::size_t length = FindEndMarker(bytes.subspan(offset), kind);
        if (length != 0)
            return {true, offset, length};
    }
    return {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> copy(data, data + size);
    const Bytes bytes(copy.data(), copy.size());

    const FileStart start = DetectFileType(bytes);
    Check(start.kind == FileKind::None || size >= 4);
    for (int k = 1; k <= kFileKindCount; ++k) {
        const auto kind = static_cast<FileKind>(k);
        const std::size_t marker = FindEndMarker(bytes, kind);
        Check(marker <= size);
        const std::size_t offsets = size == 0 ? 0 : size - data[0] % size;
        const EndMarkerHit hit = SearchEndMarker(bytes, offsets, kind);
        const EndMarkerHit expected = EndMarkerByOffsets(bytes, offsets, kind);
        Check(hit.found == expected.found && hit.offset == expected.offset &&
              hit.length == expected.length && (!hit.found || hit.End() <= size));
        (void)IsNewFileStart(bytes, kind);
    }
    for (std::size_t from = 0; from < std::min<std::size_t>(size, 17); ++from)
        Check(TextRunLength(bytes.subspan(from)) == TextRunByBytes(bytes.subspan(from)));
    (void)IsTextRun(bytes);
    (void)TextEndsInSector(bytes);
    (void)IsHtmlDocument(bytes);
    (void)RefineTextExtension(bytes);
    (void)CompoundDirectoryOffset(bytes);
    (void)CompoundDocumentExtension(bytes);

    const CarvedContentReader read = [&copy](std::uint64_t position, std::span<std::uint8_t> out) {
        if (position > copy.size() || out.size() > copy.size() - position)
            return false;
        std::vector<std::uint8_t> exact(copy.begin() + static_cast<std::ptrdiff_t>(position),
                                        copy.begin() +
                                            static_cast<std::ptrdiff_t>(position + out.size()));
        std::memcpy(out.data(), exact.data(), exact.size());
        return true;
    };
    // Renaming from a head at hand names as renaming by reading it.
    Check(RenameByContent(u"0000000000000000.AAF", size, read) ==
          RenameByContent(u"0000000000000000.AAF", size, bytes, read));

    // Small sectors put many sector starts and chunk edges in a short input.
    if (size > 0) {
        CarveAll(bytes, 16u << (data[0] & 3));
        CompareSummarisedText(bytes, 16u << (data[0] & 3));
    }
    return 0;
}
