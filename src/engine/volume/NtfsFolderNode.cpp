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
    if (!volume || !volume->IsOpen())
        return false;
    MftRecord record;
    if (!record.Load(*volume, recordNumber) || !IsNtfsFolder(record))
        return false;
    volume_ = std::move(volume);
    deletedChildren_ =
        deletedChildren ? std::move(deletedChildren) : std::make_shared<NtfsDeletedChildren>();
    recordNumber_ = recordNumber;
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

void NtfsFolderNode::AddListed(std::uint64_t recordNumber, bool mayBeFolder) {
    // A record naming this folder or one above it would make the tree endless.
    if (recordNumber == recordNumber_ || AncestorHasKey(*this, recordNumber))
        return;
    auto folder = std::make_unique<NtfsFolderNode>();
    if (mayBeFolder && folder->SetUpFolder(volume_, recordNumber, deletedChildren_)) {
        if (folder->Name() != u".")
            AddChild(std::move(folder));
        return;
    }
    auto file = std::make_unique<FileEntry>();
    if (FillNtfsFileEntry(*file, volume_, recordNumber))
        AddFile(std::move(file));
}

StepResult NtfsFolderNode::AnalyseStep() {
    SetAnalysed(true);
    std::vector<NtfsDirectoryEntry> entries;
    if (!volume_ || !ListNtfsDirectory(*volume_, recordNumber_, &entries))
        return kStepFailed;
    std::unordered_set<std::uint64_t> listed;
    for (const NtfsDirectoryEntry& entry : entries) {
        listed.insert(entry.recordNumber);
        if (entry.isFolder && entry.name == u".")
            continue;
        AddListed(entry.recordNumber, entry.isFolder);
    }
    for (const NtfsDeletedChild& child : deletedChildren_->Of(*volume_, recordNumber_))
        if (HeldChildWith(child.parentSequence) && listed.insert(child.recordNumber).second)
            AddListed(child.recordNumber, true);
    return kStepComplete;
}

} // namespace vantrel
