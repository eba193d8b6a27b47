#include "engine/scan/SignatureScanMethod.h"

#include "engine/signature/CarvedName.h"
#include "engine/signature/TextRules.h"
#include "engine/tree/FileEntry.h"
#include "engine/tree/ScanResultNode.h"
#include "platform/Utf.h"

#include <algorithm>
#include <functional>
#include <string>

namespace vantrel {

bool SignatureScanMethod::Attach(ScanResultNode& node) {
    naming_.Reset();
    if (!SectorScanMethod::Attach(node) || !carver_.Reset(SectorSize()))
        return false;
    searchHint_.Reset(RangeStart(), std::min(RangeLength(), VolumeSearchSectors(SectorSize())),
                      SectorSize());
    return true;
}

void SignatureScanMethod::Reset() {
    SectorScanMethod::Reset();
    carver_.Reset(512);
    naming_.Reset();
}

std::u16string SignatureScanMethod::MethodName() const {
    return FromUtf8("データベース方式");
}

BlockMarker SignatureScanMethod::BlockMarks() const {
    return SectorTextMarks;
}

StepResult SignatureScanMethod::DetectStep() {
    CDiskWindow* window = Window();
    if (!window)
        return kStepFailed;
    // Each chunk overlaps the previous one by the sectors a start test looks ahead; both
    // are views into the blocks read ahead, so the overlap is not read twice.
    const CarveChunkSource source = [this](std::uint64_t lba, std::uint32_t count) {
        const Bytes sectors = FetchSectors(lba, count);
        searchHint_.Look(lba, sectors);
        return CarveChunk{sectors, FetchedMarks()};
    };
    const FoundFileSink found = [this](const FoundCarvedFile& file) { AddCarvedFile(file); };
    const std::uint64_t reached =
        carver_.Step(RangeStart(), RangeLength(), position_, source, found);
    if (reached == kCarveComplete) {
        ReleaseReadAhead();
        position_ = RangeLength();
        return kStepComplete;
    }
    position_ = reached;
    return reached;
}

StepResult SignatureScanMethod::FinishStep() {
    ScanResultNode* node = Node();
    if (!node)
        return kStepComplete;
    const StepResult result = naming_.Step(*node, &searchHint_);
    if (result == kStepComplete && naming_.VolumesLookedAt() != 0)
        node->AddNote(u"ファイルシステムの記録から " +
                      FromUtf8(std::to_string(naming_.FilesNamed())) +
                      FromUtf8(" 個のファイルに元の名前を付けました"));
    return result;
}

void SignatureScanMethod::AddCarvedFile(const FoundCarvedFile& found) {
    auto entry = std::make_unique<FileEntry>();
    if (!entry->FillCarved(Window(), found.startLba, found.size, found.name))
        return;
    FileEntry& file = *entry;
    bool readThrough = false;
    const auto readEntry = [&file, &readThrough](std::uint64_t position,
                                                 std::span<std::uint8_t> out) {
        readThrough = true;
        file.readPosition = position;
        return file.ReadNext(out.data(), out.size());
    };
    const CarvedContentReader read = std::cref(readEntry);
    // The renaming looks at the file's head, which the scan has just read: read again
    // only what it does not hold. A sector that could not be read is zeros in the scan's
    // copy but fails a read through the entry, so with any such sector the entry reads.
    const std::uint64_t looked = std::min<std::uint64_t>(found.size, kRenameHeadBytes);
    const bool headWhole =
        BadSectors().Size() == 0 && (found.head.size() >= looked ||
                                     (!found.head.empty() && !MayRenameByContent(found.head[0])));
    const Bytes head = found.head.first(std::min<std::size_t>(found.head.size(), looked));
    // The text test of the head from the summaries of its sectors, not another walk.
    const auto headIsText = [&] { return IsTextRun(head, SectorSize(), found.headTexts); };
    std::u16string name =
        headWhole ? RenameByContent(found.name, found.size, head, TextRunQuery(headIsText), read)
                  : RenameByContent(found.name, found.size, read);
    if (readThrough) {
        // Filled again so that the entry starts from a clean read position.
        if (!entry->FillCarved(Window(), found.startLba, found.size, std::move(name)))
            return;
    } else {
        entry->name = std::move(name);
    }
    AddFoundFile(std::move(entry));
}

} // namespace vantrel
