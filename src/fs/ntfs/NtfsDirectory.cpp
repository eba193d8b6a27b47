#include "fs/ntfs/NtfsDirectory.h"

#include "fs/ntfs/NtfsIndexBlock.h"
#include "fs/ntfs/NtfsVolume.h"

#include <algorithm>
#include <bit>
#include <unordered_set>

namespace vantrel {

namespace {

// B-trees of real folders are a few levels deep; a deeper chain is a loop or damage.
constexpr int kMaxIndexDepth = 32;

// The folder index is named $I30; other indexes ($Secure's $SII and $SDH, $Reparse's
// $R...) have keys that are not file names. Unnamed or differently named ones are taken
// only when no $I30 exists.
const NtfsAttribute* FolderIndexAttribute(const MftRecord& record, std::uint32_t type) {
    const NtfsAttribute* found = nullptr;
    for (const NtfsAttribute& a : record.Attributes()) {
        if (a.header.type == type && a.name == u"$I30" &&
            (!found || a.header.attributeId < found->header.attributeId))
            found = &a;
    }
    return found ? found : record.FindAttribute(type, kLowestAttributeId);
}

// Loads the records a folder's index names, reading a mapped MFT 64 KiB at a time: the
// entries of a folder are mostly neighbouring records, and a read per record cost more
// than parsing it. Kept for one walk only, so that each listing reads what the disk holds
// then. A run of records that does not read whole is left to the reads of single records.
class NeighbourRecords {
public:
    explicit NeighbourRecords(NtfsVolume& volume) : volume_(volume) {}

    bool Load(MftRecord& record, std::uint64_t number) {
        std::vector<std::uint8_t> bytes;
        if (Kept(number, &bytes))
            return record.LoadFromBytes(volume_, number, std::move(bytes));
        return record.Load(volume_, number);
    }

private:
    static constexpr std::uint64_t kKeptBytes = 65536;

    bool Kept(std::uint64_t number, std::vector<std::uint8_t>* bytes) {
        const std::uint64_t recordBytes = volume_.RecordSize();
        if (!volume_.IsOpen() || !volume_.IsMftMapped() || recordBytes == 0 ||
            number >= volume_.MappedRecordCount())
            return false;
        const std::uint64_t perRun = std::max<std::uint64_t>(1, kKeptBytes / recordBytes);
        const std::uint64_t first = number / perRun * perRun;
        if (count_ == 0 || first != first_) {
            if (first == unread_)
                return false;
            first_ = first;
            count_ = std::min(perRun, volume_.MappedRecordCount() - first);
            kept_.resize(static_cast<std::size_t>(count_ * recordBytes));
            if (!volume_.ReadRunData(volume_.MftRuns(), first * recordBytes, kept_)) {
                unread_ = first;
                count_ = 0;
                return false;
            }
        }
        const auto at =
            kept_.begin() + static_cast<std::ptrdiff_t>((number - first_) * recordBytes);
        bytes->assign(at, at + static_cast<std::ptrdiff_t>(recordBytes));
        return true;
    }

    NtfsVolume& volume_;
    std::uint64_t first_ = 0;
    std::uint64_t count_ = 0;
    std::uint64_t unread_ = ~std::uint64_t{0};
    std::vector<std::uint8_t> kept_;
};

class IndexWalk {
public:
    IndexWalk(NtfsVolume& volume, MftRecord& folder, const NtfsDirectoryVisitor& visit)
        : volume_(volume), folder_(folder), visit_(visit), records_(volume) {
        seenRecords_.insert(folder.RecordNumber());
    }

    bool Run() {
        const NtfsAttribute* root = FolderIndexAttribute(folder_, kAttrIndexRoot);
        if (root == nullptr)
            return false;
        // $INDEX_ROOT is always resident; a non-resident one is damage. An index of
        // anything but file names cannot be listed as a folder.
        const std::vector<std::uint8_t>& value = root->value;
        IndexRootHeader header;
        if (!root->IsResident() || !ParseIndexRoot(value, &header) ||
            header.indexedType != kAttrFileName)
            return false;
        geometry_ = IndexGeometry(header.indexBlockSize, volume_.BytesPerCluster());
        allocation_ = FolderIndexAttribute(folder_, kAttrIndexAllocation);
        const std::uint64_t start =
            kIndexRootHeaderSize + std::uint64_t{header.header.entriesOffset};
        if (start < value.size())
            WalkEntries(Bytes(value).subspan(static_cast<std::size_t>(start)), 0);
        return true;
    }

private:
    void WalkEntries(Bytes entries, int depth) {
        for (const IndexEntry& entry : SplitIndexEntries(entries)) {
            if (entry.HasSubNode())
                VisitBlock(entry.subNodeVcn, depth + 1);
            // The last entry has no key: it only leads to the sub-node with the largest
            // names. Its file reference is meaningless.
            if (entry.IsLast())
                break;
            AddChild(entry);
        }
    }

    void VisitBlock(std::uint64_t vcn, int depth) {
        if (allocation_ == nullptr || depth > kMaxIndexDepth || !seenVcns_.insert(vcn).second)
            return;
        if (vcn > allocation_->size / geometry_.vcnBytes)
            return;
        const std::uint64_t offset = vcn * geometry_.vcnBytes;
        if (offset >= allocation_->size)
            return;
        const std::uint64_t length =
            std::min<std::uint64_t>(geometry_.blockSize, allocation_->size - offset);
        std::vector<std::uint8_t> block(static_cast<std::size_t>(length));
        if (!folder_.ReadAttributeData(*allocation_, offset, block.size(), block.data()))
            return;
        IndexBlockHeader header;
        Bytes entries;
        if (!ParseIndexBlock(block, &header, &entries))
            return;
        WalkEntries(entries, depth);
    }

    void AddChild(const IndexEntry& entry) {
        const std::uint64_t number = ReferenceRecord(entry.fileReference);
        if (!seenRecords_.insert(number).second)
            return;
        if (!records_.Load(record_, number))
            return;
        const MftRecord& record = record_;
        NtfsDirectoryEntry child;
        child.recordNumber = number;
        child.sequenceNumber = record.Header().sequenceNumber;
        child.inUse = record.InUse();
        child.name = record.FileName();
        child.times = record.Times();
        StandardInformationValue si;
        const bool haveSi = record.StandardInformation(&si);
        child.fileAttributes = haveSi ? si.fileAttributes : 0;
        if (IsNtfsFolder(record)) {
            if (child.name == u".")
                return;
            child.isFolder = true;
            visit_(child, record);
            return;
        }
        const NtfsAttribute* data = record.DataAttribute();
        if (child.name.empty() || !haveSi || data == nullptr)
            return;
        child.size = data->size;
        visit_(child, record);
    }

    NtfsVolume& volume_;
    MftRecord& folder_;
    const NtfsDirectoryVisitor& visit_;
    NeighbourRecords records_;
    MftRecord record_; // reused: its buffers outlive one entry
    const NtfsAttribute* allocation_ = nullptr;
    IndexBlockGeometry geometry_;
    std::unordered_set<std::uint64_t> seenRecords_;
    std::unordered_set<std::uint64_t> seenVcns_;
};

} // namespace

bool IsNtfsFolder(const MftRecord& record) {
    const NtfsAttribute* root = FolderIndexAttribute(record, kAttrIndexRoot);
    if (root == nullptr)
        return false;
    IndexRootHeader header;
    return !root->IsResident() || !ParseIndexRoot(root->value, &header) ||
           header.indexedType == kAttrFileName;
}

IndexBlockGeometry IndexGeometry(std::uint32_t rootBlockSize, std::uint32_t bytesPerCluster) {
    IndexBlockGeometry g;
    if (std::has_single_bit(rootBlockSize) && rootBlockSize >= 512 && rootBlockSize <= 65536)
        g.blockSize = rootBlockSize;
    g.vcnBytes = g.blockSize >= bytesPerCluster ? bytesPerCluster : 512;
    return g;
}

bool ListNtfsDirectory(NtfsVolume& volume, std::uint64_t folderRecord,
                       std::vector<NtfsDirectoryEntry>* out) {
    return WalkNtfsDirectory(
        volume, folderRecord,
        [out](const NtfsDirectoryEntry& entry, const MftRecord&) { out->push_back(entry); });
}

bool WalkNtfsDirectory(NtfsVolume& volume, std::uint64_t folderRecord,
                       const NtfsDirectoryVisitor& visit) {
    MftRecord folder;
    if (!folder.Load(volume, folderRecord))
        return false;
    IndexWalk walk(volume, folder, visit);
    return walk.Run();
}

} // namespace vantrel
