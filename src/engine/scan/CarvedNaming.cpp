#include "engine/scan/CarvedNaming.h"

#include "engine/salvage/SafeName.h"
#include "engine/signature/FileSignature.h"
#include "engine/signature/SignatureCarver.h"
#include "engine/tree/ScanResultNode.h"
#include "engine/tree/UnreadData.h"
#include "platform/Utf.h"

#include <algorithm>

namespace vantrel {

namespace {

// True unless the file's head is a format that records its own length (which then
// outweighs the entry's size), or the head cannot be read.
bool LengthFromHeader(FileEntry& file) {
    const std::uint64_t window = std::uint64_t{kCarveWindowSectors} * file.sectorSize;
    std::vector<std::uint8_t> head(static_cast<std::size_t>(std::min(file.size, window)));
    file.readPosition = 0;
    const bool read = !head.empty() && file.ReadNext(head.data(), head.size());
    file.readPosition = 0;
    return !read || DetectFileType(head).headerLength != 0;
}

} // namespace

void NameCarvedFile(FileEntry& file, const KnownEntry& entry, std::u16string name) {
    if (file.carvedName.empty())
        file.carvedName = file.name;
    file.name = std::move(name);
    file.originalFolder = entry.folder;
    file.createTime = entry.createTime;
    file.modifyTime = entry.modifyTime;
    file.accessTime = entry.accessTime;
    if (entry.size == 0 || entry.size >= file.size || file.sectorSize == 0 ||
        LengthFromHeader(file))
        return;
    // The carve ran on past the file's end (to the next start found).
    const std::uint64_t first = file.extents.FirstLba();
    file.size = entry.size;
    file.extents.Clear();
    file.extents.Append(first, (entry.size + file.sectorSize - 1) / file.sectorSize);
    if (file.unreadBytes != 0)
        file.unreadBytes = UnreadDataBytes(file);
}

void CarvedNaming::Reset() {
    started_ = false;
    done_ = false;
    steps_ = 0;
    finder_.Clear();
    volume_ = 0;
    map_.reset();
    ntfsPass_.reset();
    named_ = 0;
}

StepResult CarvedNaming::Step(ScanResultNode& node, const VolumeSearchHint* hint) {
    if (done_)
        return kStepComplete;
    if (!started_) {
        Start(node, hint);
    } else if (volume_ < finder_.Volumes().size()) {
        if (LookAtVolume()) {
            ++volume_;
            ntfsPass_.reset();
        }
    } else {
        Apply(node);
        done_ = true;
        return kStepComplete;
    }
    return ++steps_;
}

void CarvedNaming::Start(ScanResultNode& node, const VolumeSearchHint* hint) {
    started_ = true;
    for (const auto& file : node.Files()) {
        if (file->carvedName.empty())
            file->carvedName = file->name;
    }
    if (node.FileCount() != 0)
        finder_.Find(node, hint);
    // The starts are looked up only in the volumes found; most disks carved hold none.
    std::unordered_set<std::uint64_t> starts;
    if (!finder_.Volumes().empty()) {
        starts.reserve(node.FileCount());
        for (const auto& file : node.Files())
            starts.insert(file->extents.FirstLba());
    }
    map_ = std::make_unique<KnownEntryMap>(std::move(starts));
}

bool CarvedNaming::LookAtVolume() {
    const RangeVolume& volume = finder_.Volumes()[volume_];
    if (volume.fat) {
        FatVolume fat;
        // A volume whose directories cannot be read names nothing; the scan stands.
        if (fat.OpenWithRecord(*volume.window, *volume.fat))
            (void)AddFatEntries(fat, volume.lbaOffset, volume.rootPath, *map_);
        return true;
    }
    if (!volume.ntfs)
        return true;
    if (!ntfsPass_)
        ntfsPass_ =
            std::make_unique<NtfsEntryPass>(*volume.ntfs, volume.lbaOffset, volume.rootPath);
    return ntfsPass_->Step(*map_, kNamingRecordsPerStep);
}

void CarvedNaming::Apply(ScanResultNode& node) {
    if (!map_ || map_->Size() == 0)
        return;
    // Files that keep their start-sector names keep them exactly; real names that clash
    // with them or with each other get " (2)", " (3)"...
    std::vector<std::string> kept;
    for (const auto& file : node.Files())
        if (!map_->Find(file->extents.FirstLba()))
            kept.push_back(ToUtf8(file->name));
    FolderNamer namer({}, std::move(kept));
    for (const auto& file : node.Files()) {
        const KnownEntry* entry = map_->Find(file->extents.FirstLba());
        if (!entry)
            continue;
        NameCarvedFile(*file, *entry, FromUtf8(namer.Assign(entry->name)));
        ++named_;
    }
}

} // namespace vantrel
