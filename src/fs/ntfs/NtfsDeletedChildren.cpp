#include "fs/ntfs/NtfsDeletedChildren.h"

#include "fs/ntfs/MftRecord.h"
#include "fs/ntfs/NtfsVolume.h"

#include <algorithm>

namespace vantrel {

namespace {

// Records read per pass over the MFT: large reads, bounded memory.
constexpr std::uint64_t kRecordsPerRead = 256;

} // namespace

bool DeletedRecordParents(std::span<std::uint8_t> record, std::uint64_t bytesPerCluster,
                          std::vector<std::uint64_t>* parentReferences) {
    parentReferences->clear();
    MftRecordHeader header;
    // The in-use flag is read before any parsing: most records are in use.
    if (!ParseMftRecordHeader(Bytes(record.data(), record.size()), &header) || header.InUse() ||
        header.baseRecord != 0)
        return false;
    std::vector<NtfsAttribute> attributes;
    if (!ParseMftRecord(record, bytesPerCluster, &header, &attributes, nullptr))
        return false;
    for (const NtfsAttribute& attribute : attributes) {
        FileNameValue name;
        if (attribute.header.type != kAttrFileName || !attribute.IsResident() ||
            !ParseFileNameValue(attribute.value, &name))
            continue;
        // A DOS name and its long name point to the same folder.
        if (std::find(parentReferences->begin(), parentReferences->end(), name.parentReference) ==
            parentReferences->end())
            parentReferences->push_back(name.parentReference);
    }
    return !parentReferences->empty();
}

std::uint16_t SequenceAfterFree(std::uint16_t sequence) {
    if (sequence == 0xFFFF)
        return 1;
    return sequence == 0 ? 0 : static_cast<std::uint16_t>(sequence + 1);
}

std::vector<NtfsDeletedChild> NtfsDeletedChildren::Of(NtfsVolume& volume,
                                                      std::uint64_t folderRecord) {
    std::lock_guard lock(mutex_);
    if (!built_) {
        built_ = true;
        Build(volume);
    }
    const auto found = children_.find(folderRecord);
    return found == children_.end() ? std::vector<NtfsDeletedChild>{} : found->second;
}

void NtfsDeletedChildren::Build(NtfsVolume& volume) {
    if (!volume.IsOpen() || !volume.IsMftMapped())
        return;
    const std::uint64_t recordBytes = volume.RecordSize();
    const std::uint64_t records = volume.MappedRecordCount();
    std::vector<std::uint8_t> buffer;
    std::vector<std::uint64_t> parents;
    for (std::uint64_t first = 0; first < records; first += kRecordsPerRead) {
        const std::uint64_t count = std::min(kRecordsPerRead, records - first);
        buffer.assign(static_cast<std::size_t>(count * recordBytes), 0);
        // An unreadable stretch costs its records only.
        if (!volume.ReadRunData(volume.MftRuns(), first * recordBytes, buffer))
            continue;
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::span<std::uint8_t> record(buffer.data() + i * recordBytes,
                                                 static_cast<std::size_t>(recordBytes));
            if (!DeletedRecordParents(record, volume.BytesPerCluster(), &parents))
                continue;
            for (const std::uint64_t parent : parents)
                children_[ReferenceRecord(parent)].push_back(
                    {first + i, ReferenceSequence(parent)});
        }
    }
}

} // namespace vantrel
