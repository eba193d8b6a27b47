// Following $ATTRIBUTE_LIST into extension records and joining attribute pieces.

#include "fs/ntfs/MftRecord.h"
#include "fs/ntfs/NtfsAttributeList.h"
#include "fs/ntfs/NtfsVolume.h"

#include <algorithm>
#include <map>
#include <utility>

namespace vantrel {

namespace {
// Far above what real files need (a list entry per 1 KiB record holds hundreds of runs);
// a larger list is damage and must not make us read the whole MFT.
constexpr std::size_t kMaxExtensionRecords = 1024;
constexpr std::uint64_t kMaxAttributeListBytes = 256 * 1024;
} // namespace

void MftRecord::FollowAttributeList(NtfsVolume& volume) {
    const NtfsAttribute* list = FindAttribute(kAttrAttributeList, kLowestAttributeId);
    if (list == nullptr || list->size > kMaxAttributeListBytes)
        return;
    std::vector<std::uint8_t> value = list->value;
    if (!list->IsResident()) {
        value.assign(static_cast<std::size_t>(list->size), 0);
        if (!volume.ReadRunData(list->runs, 0, value))
            return;
    }
    // Each extension record once; the base record's own entries are already loaded.
    std::vector<std::uint64_t> records;
    for (const AttributeListEntry& entry : ParseAttributeList(value)) {
        const std::uint64_t number = ReferenceRecord(entry.recordReference);
        if (number == recordNumber_ ||
            std::find(records.begin(), records.end(), number) != records.end())
            continue;
        if (records.size() == kMaxExtensionRecords)
            break;
        records.push_back(number);
    }
    bool extended = false;
    for (const std::uint64_t number : records) {
        std::vector<std::uint8_t> bytes;
        MftRecordHeader header;
        std::vector<NtfsAttribute> attributes;
        // An extension names its base; a record that belongs to another file (reused
        // since, or damage) is not taken.
        if (!volume.ReadRecord(number, &bytes) ||
            !ParseMftRecord(bytes, volume.BytesPerCluster(), &header, &attributes, nullptr) ||
            ReferenceRecord(header.baseRecord) != recordNumber_)
            continue;
        for (NtfsAttribute& attribute : attributes) {
            if (attribute.header.type != kAttrAttributeList)
                attributes_.push_back(std::move(attribute));
        }
        extended = true;
    }
    if (extended)
        MergePieces(volume.BytesPerCluster());
}

// Pieces of one non-resident attribute (same type and name) are joined in VCN order from
// the piece at VCN 0, as long as each piece starts where the previous one ended; the
// joined attribute takes the first piece's place and sizes, the other pieces go.
void MftRecord::MergePieces(std::uint64_t bytesPerCluster) {
    std::map<std::pair<std::uint32_t, std::u16string>, std::vector<std::size_t>> groups;
    for (std::size_t i = 0; i < attributes_.size(); ++i) {
        if (!attributes_[i].IsResident())
            groups[{attributes_[i].header.type, attributes_[i].name}].push_back(i);
    }
    std::vector<bool> drop(attributes_.size(), false);
    for (auto& [key, pieces] : groups) {
        if (pieces.size() < 2)
            continue;
        std::stable_sort(pieces.begin(), pieces.end(), [this](std::size_t a, std::size_t b) {
            return attributes_[a].header.startVcn < attributes_[b].header.startVcn;
        });
        NtfsAttribute& head = attributes_[pieces.front()];
        if (head.header.startVcn != 0)
            continue;
        std::uint64_t next = RunListClusters(head.runs);
        for (std::size_t k = 1; k < pieces.size(); ++k) {
            NtfsAttribute& piece = attributes_[pieces[k]];
            drop[pieces[k]] = true;
            if (piece.header.startVcn != next)
                continue; // a gap or an overlap: what follows cannot be placed
            for (NtfsRun run : piece.runs) {
                run.vcn += piece.header.startVcn;
                head.runs.push_back(run);
            }
            next = RunListClusters(head.runs);
        }
        const std::uint64_t dataSize = head.header.dataSize & 0x0000FFFFFFFFFFFFull;
        const std::uint64_t covered =
            next > ~0ull / bytesPerCluster ? ~0ull : next * bytesPerCluster;
        head.size = std::min(dataSize, covered);
    }
    std::size_t kept = 0;
    for (std::size_t i = 0; i < attributes_.size(); ++i) {
        if (drop[i])
            continue;
        if (kept != i) // a self-move would empty the attribute
            attributes_[kept] = std::move(attributes_[i]);
        ++kept;
    }
    attributes_.resize(kept);
}

} // namespace vantrel
