#include "engine/volume/FatFolderNode.h"

#include "engine/tree/FileCondition.h"
#include "engine/volume/FatFileFill.h"
#include "fs/fat/FatClusterChain.h"
#include "fs/fat/FatDirectoryData.h"
#include "fs/fat/FatGeometry.h"
#include "fs/fat/FatLongNameEntry.h"
#include "fs/fat/FatVolume.h"
#include "platform/CodePage.h"
#include "platform/Utf.h"

#include <algorithm>
#include <vector>

namespace vantrel {

namespace {

constexpr std::size_t kBlockBytes = 32768;
constexpr std::size_t kFirstBytesChecked = 512;

std::u16string TrimTrailingBlanks(std::u16string text) {
    while (!text.empty() && text.back() == u' ')
        text.pop_back();
    return text;
}

// The name of the first live volume-label entry in the root directory's data, trailing
// blanks removed; empty when there is none.
std::u16string LabelFromRootDirectory(FileEntry& directory) {
    std::vector<std::uint8_t> block;
    for (std::uint64_t position = 0; position < directory.size; position += kBlockBytes) {
        block.resize(static_cast<std::size_t>(
            std::min<std::uint64_t>(kBlockBytes, directory.size - position)));
        directory.readPosition = position;
        if (!directory.ReadNext(block.data(), block.size()))
            break;
        for (std::size_t offset = 0; offset + kFatDirEntryBytes <= block.size();
             offset += kFatDirEntryBytes) {
            const Bytes slot(block.data() + offset, kFatDirEntryBytes);
            if (slot[0] == 0)
                return {}; // end of the directory
            if (IsVolumeLabel(slot) && !IsDeleted(slot))
                return TrimTrailingBlanks(DecodeAnsi(slot.first(11)));
        }
    }
    return {};
}

// A made-up entry for a FAT32 root directory, which has none of its own.
bool MakeRootEntry(std::uint32_t rootCluster, FatDirEntry* entry) {
    std::array<std::uint8_t, kFatDirEntryBytes> slot{};
    std::fill_n(slot.begin(), 11, static_cast<std::uint8_t>(' '));
    const char* name = "ROOT";
    std::copy(name, name + 4, slot.begin());
    slot[11] = kFatAttrDirectory;
    PutLe(slot, 20, rootCluster >> 16, 2); // first cluster, high word
    PutLe(slot, 26, rootCluster & 0xFFFF, 2);
    return ParseDirEntry(*entry, Bytes(slot));
}

// A slot worth listing from a live folder's data: a short entry that is neither a fill
// pattern nor text, the same test as a scan's, one slot at a time.
bool IsListableSlot(Bytes slot) {
    return PlausibleEntryPrefix(slot) == kFatDirEntryBytes;
}

} // namespace

bool FatFolderNode::SetUpVolume(CDiskWindow* window, std::uint64_t volumeStart,
                                std::uint64_t bootCopyLba) {
    Reset();
    position_ = 0;
    if (!window)
        return false;
    FatVolume volume;
    if (!volume.Open(*window, volumeStart, bootCopyLba))
        return false;
    window_ = window;
    record_ = std::make_shared<const FatBootRecord>(volume.Record());
    const std::u16string bootLabel = DecodeAnsi(Bytes(record_->volumeLabel));

    if (record_->fatType == kFat32) {
        FatTable table(*window, *record_);
        FatDirEntry root;
        if (!MakeRootEntry(record_->rootCluster, &root) ||
            !FillFatFileEntry(directory_, table, root))
            return false;
        directory_.name = bootLabel;
    } else {
        FatTable table(*window, *record_);
        if (!table.Usable())
            return false;
        const std::uint64_t bytes =
            std::uint64_t{RootDirSectors(*record_)} * record_->bytesPerSector;
        if (!directory_.FillCarved(window, table.ToWindowLba(RootDirFirstSector(*record_)), bytes,
                                   bootLabel))
            return false;
        // The fixed root area is the volume's own, not a carved find.
        directory_.deleted = false;
        directory_.createTime.reset();
        directory_.modifyTime.reset();
        directory_.accessTime.reset();
        directory_.condition = directory_.size ? kConditionVeryGood : kConditionEmpty;
    }
    // An empty root (a freshly formatted volume) is still a volume worth showing, so the
    // root's data is not required to look like directory entries.
    std::u16string volumeName = LabelFromRootDirectory(directory_);
    if (volumeName.empty())
        volumeName = bootLabel;
    directory_.readPosition = 0;
    SetName(FromUtf8("既存のフォルダ[") + volumeName + u"]");
    return true;
}

bool FatFolderNode::SetUpFolder(CDiskWindow* window, std::shared_ptr<const FatBootRecord> record,
                                const FatDirEntry& entry) {
    Reset();
    position_ = 0;
    if (!window || !record)
        return false;
    window_ = window;
    record_ = std::move(record);
    if (!FillFatFileEntry(directory_, window, *record_, entry) ||
        directory_.size < kFatDirEntryBytes)
        return false;
    std::vector<std::uint8_t> first(
        static_cast<std::size_t>(std::min<std::uint64_t>(directory_.size, kFirstBytesChecked)));
    directory_.readPosition = 0;
    if (!directory_.ReadNext(first.data(), first.size()))
        return false;
    // A live folder whose first slots are "." and ".." is a folder even when an odd slot
    // after them fails the strict test of raw directory clusters.
    const Bytes head(first);
    const bool dotted = first.size() >= 2 * kFatDirEntryBytes && !vantrel::IsDeleted(entry) &&
                        IsDotEntry(head.first(kFatDirEntryBytes)) &&
                        IsDotDotEntry(head.subspan(kFatDirEntryBytes, kFatDirEntryBytes));
    if (!dotted && !IsDirectoryCluster(head))
        return false;
    directory_.readPosition = 0;
    SetName(directory_.name);
    SetDeleted(vantrel::IsDeleted(entry));
    return true;
}

StepResult FatFolderNode::Finish() {
    SetAnalysed(true);
    return kStepComplete;
}

StepResult FatFolderNode::AnalyseStep() {
    if (!window_ || !record_ || position_ >= directory_.size)
        return Finish();
    const std::size_t length =
        static_cast<std::size_t>(std::min<std::uint64_t>(kBlockBytes, directory_.size - position_));
    std::vector<std::uint8_t> block(length);
    directory_.readPosition = position_;
    // An unreadable block would be retried without end; the entries read so far stand.
    if (!directory_.ReadNext(block.data(), block.size()))
        return Finish();
    // A live folder's clusters are its own: a slot that is no entry (old tools leave odd
    // ones) is passed over up to the end mark. A deleted folder's clusters may since hold
    // anything, so its listing ends at the first slot that is no entry.
    const bool strict = IsDeleted();
    const std::size_t walkable = strict ? PlausibleEntryPrefix(Bytes(block)) : length;
    if (walkable == 0)
        return Finish();
    bool endMark = false;
    const std::size_t walked = WalkBlock(Bytes(block.data(), walkable), !strict, &endMark);
    if (walked == 0)
        return Finish(); // a long-name run that never reaches its short entry
    position_ += walked;
    if (endMark || position_ >= directory_.size || (walked == walkable && walkable < length))
        return Finish();
    return position_;
}

std::size_t FatFolderNode::WalkBlock(Bytes block, bool passOver, bool* endMark) {
    const std::size_t count = block.size() / kFatDirEntryBytes;
    FatTable table(*window_, *record_);
    FatTimeConverter times;
    std::size_t i = 0;
    while (i < count) {
        const Bytes slot = block.subspan(i * kFatDirEntryBytes, kFatDirEntryBytes);
        FatDirEntry entry;
        if (passOver && slot[0] == 0) {
            *endMark = true;
            return i * kFatDirEntryBytes;
        }
        if (slot[11] == kFatAttrLongName) {
            std::size_t shortIndex = 0;
            if (AttachLongName(entry, block, i, count, &shortIndex) && shortIndex < count) {
                AddEntry(entry, table, times, SlotId(position_ + shortIndex * kFatDirEntryBytes));
                i = shortIndex + 1;
                continue;
            }
            // A run cut off by the end of the block is read again with the next block; a
            // stray part with its short entry in this block is passed over.
            bool shortFollows = false;
            for (std::size_t k = i + 1; k < count && !shortFollows; ++k)
                shortFollows = block[k * kFatDirEntryBytes + 11] != kFatAttrLongName;
            if (!shortFollows)
                break;
            ++i;
            continue;
        }
        if (ParseDirEntry(entry, slot) && (!passOver || IsListableSlot(slot)))
            AddEntry(entry, table, times, SlotId(position_ + i * kFatDirEntryBytes));
        ++i;
    }
    return i * kFatDirEntryBytes;
}

std::uint64_t FatFolderNode::SlotId(std::uint64_t offset) const {
    const std::uint64_t sector = directory_.extents.LbaOf(offset / directory_.sectorSize);
    return sector == kSparseExtentLba
               ? kNoEntryId
               : sector * directory_.sectorSize + offset % directory_.sectorSize;
}

void FatFolderNode::AddEntry(const FatDirEntry& entry, FatTable& table, FatTimeConverter& times,
                             std::uint64_t entryId) {
    const FatListedKind kind = ListedKind(entry);
    if (kind == FatListedKind::kDirectory) {
        auto folder = std::make_unique<FatFolderNode>();
        if (!folder->SetUpFolder(window_, record_, entry))
            return;
        // A sub-directory that points back at this folder or one above it would make the
        // tree endless; its contents are already shown where it points.
        if (folder->Key() == Key() || AncestorHasKey(*this, folder->Key()))
            return;
        AddChild(std::move(folder));
    } else if (kind == FatListedKind::kFile) {
        auto file = std::make_unique<FileEntry>();
        if (FillFatFileEntry(*file, table, entry, &times)) {
            file->entryId = entryId;
            AddFile(std::move(file));
        }
    }
}

} // namespace vantrel
