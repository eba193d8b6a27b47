#include "fs/ntfs/MftRecord.h"

#include "fs/ntfs/NtfsVolume.h"

namespace vantrel {

bool ParseMftRecord(std::span<std::uint8_t> record, std::uint64_t bytesPerCluster,
                    MftRecordHeader* header, std::vector<NtfsAttribute>* attributes,
                    FixupResult* fixups) {
    const Bytes view(record.data(), record.size());
    MftRecordHeader h;
    if (!ParseMftRecordHeader(view, &h))
        return false;
    FixupResult counts;
    if (h.usaCount != 0 && !ApplyFixups(record, h.usaOffset, h.usaCount, &counts))
        return false;
    attributes->clear();
    for (const Bytes piece : SplitAttributes(view, h.attributeOffset)) {
        NtfsAttribute attribute;
        if (LoadAttribute(piece, bytesPerCluster, &attribute))
            attributes->push_back(std::move(attribute));
    }
    *header = h;
    if (fixups)
        *fixups = counts;
    return true;
}

bool MftRecord::Load(NtfsVolume& volume, std::uint64_t recordNumber) {
    volume_ = nullptr;
    attributes_.clear();
    std::vector<std::uint8_t> bytes;
    if (!volume.ReadRecord(recordNumber, &bytes))
        return false;
    return LoadFromBytes(volume, recordNumber, std::move(bytes));
}

bool MftRecord::LoadFromBytes(NtfsVolume& volume, std::uint64_t recordNumber,
                              std::vector<std::uint8_t> bytes) {
    volume_ = nullptr;
    attributes_.clear();
    unitAttribute_ = nullptr;
    unitData_.clear();
    if (!volume.IsOpen())
        return false;
    // A record is RecordSize bytes; anything after it belongs to the next record.
    if (bytes.size() > volume.RecordSize())
        bytes.resize(volume.RecordSize());
    if (!ParseMftRecord(bytes, volume.BytesPerCluster(), &header_, &attributes_, &fixups_))
        return false;
    recordNumber_ = recordNumber;
    if (header_.baseRecord == 0)
        FollowAttributeList(volume);
    for (NtfsAttribute& attribute : attributes_)
        attribute.extents = volume.RunsToExtents(attribute.runs);
    volume_ = &volume;
    return true;
}

bool MftRecord::LoadFromLba(NtfsVolume& volume, std::uint64_t lba) {
    volume_ = nullptr;
    attributes_.clear();
    std::vector<std::uint8_t> bytes(volume.RecordSize());
    if (!volume.ReadBytes(lba, 0, bytes))
        return false;
    return LoadFromBytes(volume, volume.RecordNumberAtLba(lba), std::move(bytes));
}

const NtfsAttribute* MftRecord::FindAttribute(std::uint32_t type, int id) const {
    const NtfsAttribute* found = nullptr;
    for (const NtfsAttribute& a : attributes_) {
        if (a.header.type != type)
            continue;
        const int attributeId = a.header.attributeId;
        if (id < 0) {
            if (!found || attributeId < found->header.attributeId)
                found = &a;
        } else if (id > 4095) {
            if (!found || attributeId > found->header.attributeId)
                found = &a;
        } else if (attributeId == id) {
            return &a;
        }
    }
    return found;
}

const NtfsAttribute* MftRecord::DataAttribute() const {
    const NtfsAttribute* unnamed = nullptr;
    for (const NtfsAttribute& a : attributes_) {
        if (a.header.type == kAttrData && a.name.empty() &&
            (!unnamed || a.header.attributeId < unnamed->header.attributeId))
            unnamed = &a;
    }
    return unnamed ? unnamed : FindAttribute(kAttrData, kLowestAttributeId);
}

bool MftRecord::FileNameOf(FileNameValue* out) const {
    const NtfsAttribute* a = FindAttribute(kAttrFileName, kLowestAttributeId);
    return a && a->IsResident() && ParseFileNameValue(a->value, out);
}

std::u16string MftRecord::FileName() const {
    FileNameValue value;
    return FileNameOf(&value) ? value.name : std::u16string{};
}

bool MftRecord::StandardInformation(StandardInformationValue* out) const {
    const NtfsAttribute* a = FindAttribute(kAttrStandardInformation, kLowestAttributeId);
    return a && a->IsResident() && ParseStandardInformation(a->value, out);
}

NtfsFileTimes MftRecord::Times() const {
    NtfsFileTimes times;
    StandardInformationValue si;
    if (StandardInformation(&si)) {
        times.creation = NtfsTimeToEpoch(si.creationTime);
        times.modification = NtfsTimeToEpoch(si.modificationTime);
        times.access = NtfsTimeToEpoch(si.accessTime);
    }
    return times;
}

} // namespace vantrel
