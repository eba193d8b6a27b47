#include "NtfsTestData.h"

#include "platform/ByteReader.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace vantrel::testing {

namespace {

std::size_t Align8(std::size_t n) {
    return (n + 7) & ~std::size_t{7};
}

void Put(ByteVector& v, std::size_t offset, std::uint64_t value, std::size_t width) {
    if (v.size() < offset + width)
        v.resize(offset + width);
    PutLe(v, offset, value, width);
}

void PutName(ByteVector& v, std::size_t offset, const std::u16string& name) {
    for (std::size_t i = 0; i < name.size(); ++i)
        Put(v, offset + 2 * i, name[i], 2);
}

std::size_t SignedWidth(std::int64_t value) {
    for (std::size_t width = 1; width < 8; ++width) {
        const std::int64_t low = -(std::int64_t{1} << (8 * width - 1));
        const std::int64_t high = (std::int64_t{1} << (8 * width - 1)) - 1;
        if (value >= low && value <= high)
            return width;
    }
    return 8;
}

std::size_t UnsignedWidth(std::uint64_t value) {
    std::size_t width = 1;
    while (width < 8 && (value >> (8 * width)) != 0)
        ++width;
    return width;
}

} // namespace

ByteVector EncodeRuns(const std::vector<TestRun>& runs) {
    ByteVector out;
    for (const TestRun& run : runs) {
        const std::size_t lengthSize = UnsignedWidth(run.clusters);
        const std::size_t offsetSize = run.sparse ? 0 : SignedWidth(run.delta);
        out.push_back(static_cast<std::uint8_t>(lengthSize | offsetSize << 4));
        const std::size_t at = out.size();
        Put(out, at, run.clusters, lengthSize);
        if (!run.sparse)
            Put(out, at + lengthSize, static_cast<std::uint64_t>(run.delta), offsetSize);
    }
    out.push_back(0);
    return out;
}

ByteVector FileNameValueBytes(std::uint64_t parent, const std::u16string& name,
                              std::uint8_t nameSpace, std::uint64_t time, std::uint64_t realSize) {
    ByteVector v(66 + 2 * name.size());
    Put(v, 0, parent, 8);
    for (std::size_t t = 8; t <= 32; t += 8)
        Put(v, t, time, 8);
    Put(v, 48, realSize, 8);
    v[64] = static_cast<std::uint8_t>(name.size());
    v[65] = nameSpace;
    PutName(v, 66, name);
    return v;
}

ByteVector StandardInformationBytes(std::uint64_t creation, std::uint64_t modification,
                                    std::uint64_t access) {
    ByteVector v(72);
    Put(v, 0, creation, 8);
    Put(v, 8, modification, 8);
    Put(v, 16, modification, 8);
    Put(v, 24, access, 8);
    Put(v, 32, 0x20, 4); // archive
    return v;
}

ByteVector AttributeListBytes(const std::vector<TestListEntry>& entries) {
    ByteVector v;
    for (const TestListEntry& e : entries) {
        const std::size_t at = v.size();
        Put(v, at + 0, e.type, 4);
        Put(v, at + 4, 32, 2);
        v[at + 7] = 26;
        Put(v, at + 8, e.startVcn, 8);
        Put(v, at + 16, e.record | (1ull << 48), 8);
        Put(v, at + 24, e.id, 2);
        v.resize(at + 32);
    }
    return v;
}

RecordBuilder::RecordBuilder(std::uint32_t size, std::uint16_t flags)
    : size_(size), flags_(flags) {}

RecordBuilder& RecordBuilder::Resident(std::uint32_t type, std::uint16_t id,
                                       const ByteVector& value, const std::u16string& name) {
    const std::size_t nameOffset = 24;
    const std::size_t valueOffset = Align8(nameOffset + 2 * name.size());
    const std::size_t length = Align8(valueOffset + value.size());
    ByteVector a(length);
    Put(a, 0, type, 4);
    Put(a, 4, length, 4);
    a[9] = static_cast<std::uint8_t>(name.size());
    Put(a, 10, nameOffset, 2);
    Put(a, 14, id, 2);
    Put(a, 16, value.size(), 4);
    Put(a, 20, valueOffset, 2);
    PutName(a, nameOffset, name);
    std::copy(value.begin(), value.end(), a.begin() + static_cast<std::ptrdiff_t>(valueOffset));
    attributes_.insert(attributes_.end(), a.begin(), a.end());
    return *this;
}

RecordBuilder& RecordBuilder::NonResident(std::uint32_t type, std::uint16_t id,
                                          const ByteVector& runList, std::uint64_t dataSize,
                                          std::uint16_t flags, std::uint16_t compressionUnit,
                                          const std::u16string& name, std::uint64_t startVcn) {
    const std::size_t nameOffset = 64;
    const std::size_t runOffset = Align8(nameOffset + 2 * name.size());
    const std::size_t length = Align8(runOffset + runList.size());
    ByteVector a(length);
    Put(a, 0, type, 4);
    Put(a, 4, length, 4);
    a[8] = 1;
    a[9] = static_cast<std::uint8_t>(name.size());
    Put(a, 10, nameOffset, 2);
    Put(a, 12, flags, 2);
    Put(a, 14, id, 2);
    Put(a, 16, startVcn, 8);
    Put(a, 32, runOffset, 2);
    Put(a, 34, compressionUnit, 2);
    if (startVcn == 0) { // later pieces carry no sizes
        Put(a, 40, dataSize, 8);
        Put(a, 48, dataSize, 8);
        Put(a, 56, dataSize, 8);
    }
    PutName(a, nameOffset, name);
    std::copy(runList.begin(), runList.end(), a.begin() + static_cast<std::ptrdiff_t>(runOffset));
    attributes_.insert(attributes_.end(), a.begin(), a.end());
    return *this;
}

ByteVector RecordBuilder::Build(std::uint16_t usn) const {
    ByteVector r(size_);
    if (attributes_.size() + 64 > size_)
        return r; // does not fit: an empty record the test will see fail
    const std::size_t usaCount = size_ / 512 + 1;
    const std::size_t attributeOffset = Align8(48 + 2 * usaCount);
    Put(r, 0, 0x454C4946, 4); // "FILE"
    Put(r, 4, 48, 2);
    Put(r, 6, usaCount, 2);
    Put(r, 16, 1, 2); // sequence
    Put(r, 18, 1, 2); // links
    Put(r, 20, attributeOffset, 2);
    Put(r, 22, flags_, 2);
    const std::size_t used = attributeOffset + attributes_.size() + 8;
    Put(r, 24, used, 4);
    Put(r, 28, size_, 4);
    Put(r, 32, base_, 8);
    std::copy(attributes_.begin(), attributes_.end(),
              r.begin() + static_cast<std::ptrdiff_t>(attributeOffset));
    Put(r, attributeOffset + attributes_.size(), 0xFFFFFFFF, 4);
    r.resize(size_);
    ProtectBlock(r, 48, usn);
    return r;
}

void ProtectBlock(ByteVector& block, std::uint16_t usaOffset, std::uint16_t usn) {
    const ByteReader reader(block.data(), block.size());
    const std::size_t count = reader.U16(6);
    Put(block, usaOffset, usn, 2);
    for (std::size_t j = 0; j + 1 < count && (j + 1) * 512 <= block.size(); ++j) {
        const std::size_t end = (j + 1) * 512 - 2;
        Put(block, usaOffset + 2 + 2 * j, ByteReader(block.data(), block.size()).U16(end), 2);
        Put(block, end, usn, 2);
    }
}

ByteVector IndexEntryBytes(std::uint64_t reference, const ByteVector& key, std::uint16_t flags,
                           std::uint64_t subNodeVcn) {
    std::size_t length = Align8(16 + key.size());
    if (flags & 0x01)
        length += 8;
    ByteVector e(length);
    Put(e, 0, reference, 8);
    Put(e, 8, length, 2);
    Put(e, 10, key.size(), 2);
    Put(e, 12, flags, 2);
    std::copy(key.begin(), key.end(), e.begin() + 16);
    if (flags & 0x01)
        Put(e, length - 8, subNodeVcn, 8);
    return e;
}

ByteVector IndexRootValue(const ByteVector& entries, std::uint32_t blockSize, bool large) {
    ByteVector v(32);
    Put(v, 0, 0x30, 4);
    Put(v, 4, 1, 4); // file-name collation
    Put(v, 8, blockSize, 4);
    v[12] = 1;
    Put(v, 16, 16, 4); // entries right after the index header
    Put(v, 20, 16 + entries.size(), 4);
    Put(v, 24, 16 + entries.size(), 4);
    v[28] = large ? 1 : 0;
    v.insert(v.end(), entries.begin(), entries.end());
    return v;
}

ByteVector IndexBlockBytes(std::uint64_t vcn, const ByteVector& entries, std::uint32_t blockSize,
                           std::uint16_t usn) {
    ByteVector b(blockSize);
    const std::size_t usaCount = blockSize / 512 + 1;
    const std::size_t entriesAt = Align8(40 + 2 * usaCount);
    Put(b, 0, 0x58444E49, 4); // "INDX"
    Put(b, 4, 40, 2);
    Put(b, 6, usaCount, 2);
    Put(b, 16, vcn, 8);
    Put(b, 24, entriesAt - 24, 4);
    Put(b, 28, entriesAt - 24 + entries.size(), 4);
    Put(b, 32, blockSize - 24, 4);
    std::copy(entries.begin(), entries.end(), b.begin() + static_cast<std::ptrdiff_t>(entriesAt));
    ProtectBlock(b, 40, usn);
    return b;
}

TestVolume::TestVolume(std::uint32_t bytesPerSector, std::uint8_t sectorsPerCluster,
                       std::uint64_t clusters, std::uint64_t mftCluster,
                       std::uint32_t deviceSectorSize)
    : bytesPerSector_(bytesPerSector), clusterSize_(bytesPerSector * sectorsPerCluster),
      recordSize_(bytesPerSector >= 1024 ? bytesPerSector : 1024), mftCluster_(mftCluster) {
    const std::uint32_t deviceSector = deviceSectorSize ? deviceSectorSize : bytesPerSector;
    ByteVector image(clusters * clusterSize_);
    disk_ = std::make_unique<MemoryDisk>(std::move(image), deviceSector);
    ByteVector boot(512);
    const char oem[] = "NTFS    ";
    std::copy(oem, oem + 8, boot.begin() + 3);
    Put(boot, 11, bytesPerSector, 2);
    boot[13] = sectorsPerCluster;
    boot[21] = 0xF8;
    Put(boot, 40, clusters * sectorsPerCluster - 1, 8);
    Put(boot, 48, mftCluster, 8);
    Put(boot, 56, 2, 8);
    boot[64] = 0xF6; // 2^10 bytes per record
    boot[68] = 1;
    Put(boot, 510, 0xAA55, 2);
    PutBytes(0, boot);
    EXPECT_TRUE(window_.Open(disk_.get(), 0, 0));
}

void TestVolume::PutBytes(std::uint64_t offset, const ByteVector& bytes) {
    auto& image = disk_->Bytes();
    std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(offset));
}

void TestVolume::PutRecord(std::uint64_t n, const ByteVector& record) {
    PutBytes(mftCluster_ * clusterSize_ + n * recordSize_, record);
}

void TestVolume::PutCluster(std::uint64_t lcn, const ByteVector& bytes) {
    PutBytes(lcn * clusterSize_, bytes);
}

ByteVector TestVolume::MftSelfRecord(std::uint64_t mftClusters, const ByteVector& runList) const {
    const ByteVector runs =
        runList.empty() ? EncodeRuns({{mftClusters, static_cast<std::int64_t>(mftCluster_)}})
                        : runList;
    return RecordBuilder(recordSize_)
        .Resident(0x10, 0, StandardInformationBytes(0, 0, 0))
        .Resident(0x30, 3, FileNameValueBytes(5, u"$MFT", 3))
        .NonResident(0x80, 1, runs, mftClusters * clusterSize_)
        .Build();
}

bool TestVolume::Open(NtfsVolume& volume) {
    return volume.Open(window_, 0);
}

} // namespace vantrel::testing
