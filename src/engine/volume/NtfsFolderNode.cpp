#include "engine/volume/NtfsFolderNode.h"

#include "engine/volume/NtfsFileFill.h"
#include "fs/ntfs/MftRecord.h"
#include "fs/ntfs/NtfsDirectory.h"
#include "platform/Utf.h"

#include <unordered_set>

namespace vantrel {

namespace {

constexpr std::uint32_t kAttributeVolumeName = 0x60;

// The $VOLUME_NAME value of record 3 (UTF-16LE); empty for a volume without a label.
bool ReadVolumeLabel(NtfsVolume& volume, std::u16string* label) {
    MftRecord record;
    if (!record.Load(volume, kNtfsVolumeRecord))
        return false;
    label->clear();
    const NtfsAttribute* name = record.FindAttribute(kAttributeVolumeName, kLowestAttributeId);
    if (!name || !name->IsResident())
        return true;
    const ByteReader in(Bytes(name->value));
    for (std::size_t offset = 0; in.Has(offset, 2); offset += 2)
        label->push_back(static_cast<char16_t>(in.U16(offset)));
    return true;
}

} // namespace

bool NtfsFolderNode::SetUpVolume(CDiskWindow* window, std::uint64_t volumeStart,
                                 std::uint64_t bootCopyLba) {
    Reset();
    if (!window)
        return false;
    auto volume = std::make_shared<NtfsVolume>();
    std::u16string label;
    if (!volume->Open(*window, volumeStart, bootCopyLba) || !ReadVolumeLabel(*volume, &label) ||
        !SetUpFolder(volume, kNtfsRootRecord))
        return false;
    SetName(FromUtf8("既存のフォルダ[") + label + u"]");
    return true;
}

bool NtfsFolderNode::SetUpFolder(std::shared_ptr<NtfsVolume> volume, std::uint64_t recordNumber,
                                 std::shared_ptr<NtfsDeletedChildren> deletedChildren) {
    Reset();
    MftRecord record;
    return volume && volume->IsOpen() && record.Load(*volume, recordNumber) &&
           SetUpFolder(std::move(volume), record, std::move(deletedChildren));
}

bool NtfsFolderNode::SetUpFolder(std::shared_ptr<NtfsVolume> volume, const MftRecord& record,
                                 std::shared_ptr<NtfsDeletedChildren> deletedChildren) {
    Reset();
    if (!volume || !volume->IsOpen() || !record.IsLoaded() || !IsNtfsFolder(record))
        return false;
    volume_ = std::move(volume);
    deletedChildren_ =
        deletedChildren ? std::move(deletedChildren) : std::make_shared<NtfsDeletedChildren>();
    recordNumber_ = record.RecordNumber();
    sequence_ = record.Header().sequenceNumber;
    SetName(record.FileName());
    SetDeleted(!record.InUse());
    return true;
}

bool NtfsFolderNode::HeldChildWith(std::uint16_t parentSequence) const {
    // A folder's record gets the next sequence number when the folder is deleted.
    return parentSequence == sequence_ ||
           (IsDeleted() && SequenceAfterFree(parentSequence) == sequence_);
}

void NtfsFolderNode::AddListed(const MftRecord& record) {
    // A record naming this folder or one above it would make the tree endless.
    const std::uint64_t recordNumber = record.RecordNumber();
    if (recordNumber == recordNumber_ || AncestorHasKey(*this, recordNumber))
        return;
    if (IsNtfsFolder(record)) {
        auto folder = std::make_unique<NtfsFolderNode>();
        if (folder->SetUpFolder(volume_, record, deletedChildren_) && folder->Name() != u".")
            AddChild(std::move(folder));
        return;
    }
    auto file = std::make_unique<FileEntry>();
    if (FillNtfsFileEntry(*file, volume_, record))
        AddFile(std::move(file));
}

StepResult NtfsFolderNode::AnalyseStep() {
    SetAnalysed(true);
    std::unordered_set<std::uint64_t> listed;
    // Each listed record is loaded once, by the walk, and handed over.
    const auto take = [&](const NtfsDirectoryEntry& entry, const MftRecord& record) {
        listed.insert(entry.recordNumber);
        if (!(entry.isFolder && entry.name == u"."))
            AddListed(record);
    };
    if (!volume_ || !WalkNtfsDirectory(*volume_, recordNumber_, take))
        return kStepFailed;
    MftRecord record;
    for (const NtfsDeletedChild& child : deletedChildren_->Of(*volume_, recordNumber_))
        if (HeldChildWith(child.parentSequence) && listed.insert(child.recordNumber).second &&
            record.Load(*volume_, child.recordNumber))
            AddListed(record);
    return kStepComplete;
}

} // namespace vantrel
