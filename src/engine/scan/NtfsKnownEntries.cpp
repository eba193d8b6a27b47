#include "engine/scan/KnownEntries.h"
#include "fs/ntfs/MftRecord.h"
#include "fs/ntfs/NtfsDeletedChildren.h"

#include <algorithm>

namespace vantrel {

namespace {

// Records read at once: large reads, bounded memory.
constexpr std::uint64_t kRecordsPerRead = 256;
constexpr std::size_t kMaxFolderDepth = 256;

const NtfsAttribute* Lowest(const std::vector<NtfsAttribute>& attributes, std::uint32_t type,
                            bool unnamed) {
    const NtfsAttribute* found = nullptr;
    for (const NtfsAttribute& a : attributes)
        if (a.header.type == type && (!unnamed || a.name.empty()) &&
            (!found || a.header.attributeId < found->header.attributeId))
            found = &a;
    return found;
}

} // namespace

bool ReadNtfsRecordEntry(std::span<std::uint8_t> record, std::uint64_t bytesPerCluster,
                         NtfsRecordEntry* out) {
    *out = NtfsRecordEntry{};
    MftRecordHeader header;
    std::vector<NtfsAttribute> attributes;
    if (!ParseMftRecordHeader(Bytes(record.data(), record.size()), &header) ||
        header.baseRecord != 0 ||
        !ParseMftRecord(record, bytesPerCluster, &header, &attributes, nullptr))
        return false;
    const NtfsAttribute* fileName = Lowest(attributes, kAttrFileName, false);
    FileNameValue name;
    if (!fileName || !fileName->IsResident() || !ParseFileNameValue(fileName->value, &name))
        return false;
    out->inUse = header.InUse();
    out->directory = header.IsDirectory();
    out->sequence = header.sequenceNumber;
    out->name = std::move(name.name);
    out->parentReference = name.parentReference;
    const NtfsAttribute* standard = Lowest(attributes, kAttrStandardInformation, false);
    StandardInformationValue times;
    if (standard && standard->IsResident() && ParseStandardInformation(standard->value, &times)) {
        out->createTime = NtfsTimeToEpoch(times.creationTime);
        out->modifyTime = NtfsTimeToEpoch(times.modificationTime);
        out->accessTime = NtfsTimeToEpoch(times.accessTime);
    }
    const NtfsAttribute* data = Lowest(attributes, kAttrData, true);
    if (!data)
        data = Lowest(attributes, kAttrData, false);
    // Compressed data starts with a compressed unit, which no signature matches.
    if (data && !data->IsResident() && !data->IsCompressed()) {
        out->size = data->header.dataSize & 0xFFFFFFFFFFFFull;
        if (!data->runs.empty() && data->runs.front().vcn == 0 && !data->runs.front().sparse)
            out->firstLcn = data->runs.front().lcn;
    }
    return true;
}

NtfsEntryPass::NtfsEntryPass(NtfsVolume& volume, std::uint64_t lbaOffset, std::u16string rootPath)
    : volume_(volume), lbaOffset_(lbaOffset), rootPath_(std::move(rootPath)) {
    std::uint64_t lastLba = 0;
    std::uint32_t sectorSize = 0;
    if (!volume.IsOpen() || volume.RecordSize() == 0 ||
        !volume.Window().GetCapacity(&lastLba, &sectorSize))
        return;
    // A corrupt $MFT may claim runs far larger than the disk; no more records than the
    // window holds are read.
    const std::uint64_t fit = (lastLba / volume.RecordSize() + 1) * sectorSize;
    records_ = std::min(volume.MappedRecordCount(), fit);
}

bool NtfsEntryPass::Step(KnownEntryMap& map, std::uint64_t records) {
    const std::uint64_t recordBytes = volume_.RecordSize();
    const std::uint64_t end = std::min(records_, next_ + std::max<std::uint64_t>(records, 1));
    NtfsRecordEntry entry;
    while (next_ < end) {
        const std::uint64_t count = std::min(kRecordsPerRead, end - next_);
        buffer_.assign(static_cast<std::size_t>(count * recordBytes), 0);
        // An unreadable stretch costs its records only.
        if (volume_.ReadRunData(volume_.MftRuns(), next_ * recordBytes, buffer_)) {
            for (std::uint64_t i = 0; i < count; ++i) {
                const std::span<std::uint8_t> record(buffer_.data() + i * recordBytes,
                                                     static_cast<std::size_t>(recordBytes));
                if (ReadNtfsRecordEntry(record, volume_.BytesPerCluster(), &entry))
                    Take(next_ + i, entry, map);
            }
        }
        next_ += count;
    }
    if (next_ < records_)
        return false;
    for (Pending& found : pending_) {
        std::u16string path;
        found.entry.folder =
            FolderPath(found.parentReference, &path) ? rootPath_ + path : std::u16string{};
        map.Offer(found.lba, std::move(found.entry));
    }
    pending_.clear();
    folders_.clear();
    return true;
}

void NtfsEntryPass::Take(std::uint64_t recordNumber, NtfsRecordEntry& record,
                         const KnownEntryMap& map) {
    if (record.directory) {
        folders_[recordNumber] = {std::move(record.name), record.parentReference, record.sequence,
                                  record.inUse};
        return;
    }
    if (record.firstLcn < 0 || record.size == 0)
        return;
    const std::uint64_t lba =
        volume_.ClusterToLba(static_cast<std::uint64_t>(record.firstLcn)) + lbaOffset_;
    if (!map.Wanted(lba))
        return;
    Pending found;
    found.lba = lba;
    found.parentReference = record.parentReference;
    found.entry.name = std::move(record.name);
    found.entry.createTime = record.createTime;
    found.entry.modifyTime = record.modifyTime;
    found.entry.accessTime = record.accessTime;
    found.entry.size = record.size;
    found.entry.live = record.inUse;
    pending_.push_back(std::move(found));
}

bool NtfsEntryPass::FolderPath(std::uint64_t parentReference, std::u16string* path) const {
    path->clear();
    for (std::size_t depth = 0; depth < kMaxFolderDepth; ++depth) {
        const std::uint64_t number = ReferenceRecord(parentReference);
        if (number == kRootRecordNumber)
            return true;
        const auto at = folders_.find(number);
        if (at == folders_.end())
            return false;
        const Folder& folder = at->second;
        // A sequence that differs names a folder that has since reused the record.
        const std::uint16_t wanted = ReferenceSequence(parentReference);
        if (wanted != 0 && wanted != folder.sequence &&
            (folder.inUse || SequenceAfterFree(wanted) != folder.sequence))
            return false;
        *path = u'/' + folder.name + *path;
        parentReference = folder.parentReference;
    }
    return false;
}

} // namespace vantrel
