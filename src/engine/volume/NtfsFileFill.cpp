#include "engine/volume/NtfsFileFill.h"

#include "engine/tree/FileCondition.h"
#include "fs/ntfs/MftRecord.h"

namespace vantrel {

namespace {

constexpr std::uint32_t kAttributeData = 0x80;

// Reads a compressed $DATA through the record, which decompresses unit by unit.
class CompressedNtfsData : public FileDataSource {
public:
    CompressedNtfsData(std::shared_ptr<NtfsVolume> volume, std::uint64_t recordNumber)
        : volume_(std::move(volume)), recordNumber_(recordNumber) {}

    bool Read(std::uint64_t offset, void* destination, std::size_t length) override {
        if (!record_.IsLoaded() && !record_.Load(*volume_, recordNumber_))
            return false;
        const NtfsAttribute* data = record_.DataAttribute();
        return data && record_.ReadAttributeData(*data, offset, length,
                                                 static_cast<std::uint8_t*>(destination));
    }

private:
    std::shared_ptr<NtfsVolume> volume_;
    std::uint64_t recordNumber_;
    MftRecord record_;
};

} // namespace

bool FillNtfsFileEntry(FileEntry& entry, const std::shared_ptr<NtfsVolume>& volume,
                       std::uint64_t recordNumber) {
    MftRecord record;
    return volume && volume->IsOpen() && record.Load(*volume, recordNumber) &&
           FillNtfsFileEntry(entry, volume, record);
}

bool FillNtfsFileEntry(FileEntry& entry, const std::shared_ptr<NtfsVolume>& volume,
                       const MftRecord& record) {
    if (!volume || !volume->IsOpen() || !record.IsLoaded() ||
        !entry.AttachToWindow(&volume->Window()))
        return false;
    const std::uint64_t recordNumber = record.RecordNumber();
    entry.name = record.FileName();
    StandardInformationValue information;
    if (entry.name.empty() || !record.StandardInformation(&information))
        return false;
    const NtfsFileTimes times = record.Times();
    entry.createTime = times.creation;
    entry.modifyTime = times.modification;
    entry.accessTime = times.access;
    entry.key = recordNumber;
    entry.entryId = recordNumber | kNtfsEntryIdTag;
    // A record that is not in use is a deleted file; its condition stays that of every
    // NTFS file.
    entry.deleted = !record.InUse();

    const NtfsAttribute* data = record.DataAttribute();
    if (!data || data->header.type != kAttributeData)
        return false;
    entry.size = data->size;
    if (data->IsResident()) {
        entry.residentData = data->value;
        if (entry.residentData->size() > entry.size)
            entry.residentData->resize(static_cast<std::size_t>(entry.size));
        entry.size = entry.residentData->size();
    } else {
        // The runs may cover less than the recorded size; only what they cover is read.
        const std::uint64_t recorded = data->header.dataSize & 0xFFFFFFFFFFFFull;
        if (recorded > entry.size)
            entry.recordedSize = recorded;
        for (const NtfsExtent& extent : data->extents)
            entry.extents.Append(extent.IsSparse() ? kSparseExtentLba : extent.lba, extent.sectors);
        if (data->IsCompressed())
            entry.dataSource = std::make_shared<CompressedNtfsData>(volume, recordNumber);
    }
    entry.condition = DataPastWindowEnd(entry) ? kConditionVeryPoor : kConditionNtfs;
    return true;
}

} // namespace vantrel
