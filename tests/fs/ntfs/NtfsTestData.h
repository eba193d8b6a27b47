#pragma once

// Hand-built NTFS structures for the reader's tests: records with attributes and
// protected update sequences, run lists, index entries and small volumes in memory.

#include "MemoryDisk.h"
#include "device/DiskWindow.h"
#include "fs/ntfs/NtfsVolume.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace vantrel::testing {

using ByteVector = std::vector<std::uint8_t>;

struct TestRun {
    std::uint64_t clusters = 0;
    std::int64_t delta = 0; // ignored when sparse
    bool sparse = false;
};
// Encodes runs with the narrowest widths, followed by the end marker.
ByteVector EncodeRuns(const std::vector<TestRun>& runs);

ByteVector FileNameValueBytes(std::uint64_t parent, const std::u16string& name,
                              std::uint8_t nameSpace = 1, std::uint64_t time = 0,
                              std::uint64_t realSize = 0);
ByteVector StandardInformationBytes(std::uint64_t creation, std::uint64_t modification,
                                    std::uint64_t access);

struct TestListEntry {
    std::uint32_t type = 0;
    std::uint64_t startVcn = 0;
    std::uint64_t record = 0;
    std::uint16_t id = 0;
};
ByteVector AttributeListBytes(const std::vector<TestListEntry>& entries);

class RecordBuilder {
public:
    explicit RecordBuilder(std::uint32_t size = 1024, std::uint16_t flags = 1);
    // Makes this an extension record of base.
    RecordBuilder& BaseRecord(std::uint64_t base) {
        base_ = base;
        return *this;
    }

    RecordBuilder& Resident(std::uint32_t type, std::uint16_t id, const ByteVector& value,
                            const std::u16string& name = {});
    RecordBuilder& NonResident(std::uint32_t type, std::uint16_t id, const ByteVector& runList,
                               std::uint64_t dataSize, std::uint16_t flags = 0,
                               std::uint16_t compressionUnit = 0, const std::u16string& name = {},
                               std::uint64_t startVcn = 0);
    // The record with its update sequence applied as it is on disk (stride ends replaced
    // by usn, the originals in the array).
    ByteVector Build(std::uint16_t usn = 7) const;

private:
    std::uint32_t size_;
    std::uint16_t flags_;
    std::uint64_t base_ = 0;
    ByteVector attributes_;
};

// Protects a block in place: the array at usaOffset gets usn and the stride end words.
void ProtectBlock(ByteVector& block, std::uint16_t usaOffset, std::uint16_t usn);

// Index entries and blocks.
ByteVector IndexEntryBytes(std::uint64_t reference, const ByteVector& key, std::uint16_t flags,
                           std::uint64_t subNodeVcn = 0);
ByteVector IndexRootValue(const ByteVector& entries, std::uint32_t blockSize = 4096,
                          bool large = false);
ByteVector IndexBlockBytes(std::uint64_t vcn, const ByteVector& entries,
                           std::uint32_t blockSize = 4096, std::uint16_t usn = 3);

// A volume in memory: boot sector at LBA 0, MFT at mftCluster, clusters free to fill.
class TestVolume {
public:
    TestVolume(std::uint32_t bytesPerSector = 512, std::uint8_t sectorsPerCluster = 8,
               std::uint64_t clusters = 256, std::uint64_t mftCluster = 4,
               std::uint32_t deviceSectorSize = 0);

    std::uint32_t RecordSize() const { return recordSize_; }
    std::uint32_t ClusterSize() const { return clusterSize_; }
    std::uint64_t MftCluster() const { return mftCluster_; }
    // Writes a record at the contiguous position of record n.
    void PutRecord(std::uint64_t n, const ByteVector& record);
    // Writes bytes at a byte offset of the volume.
    void PutBytes(std::uint64_t offset, const ByteVector& bytes);
    void PutCluster(std::uint64_t lcn, const ByteVector& bytes);
    // The $MFT record (number 0) whose $DATA covers mftClusters clusters from mftCluster.
    ByteVector MftSelfRecord(std::uint64_t mftClusters, const ByteVector& runList = {}) const;

    MemoryDisk& Disk() { return *disk_; }
    CDiskWindow& Window() { return window_; }
    // Opens a volume over the image (at LBA 0).
    bool Open(NtfsVolume& volume);

private:
    std::uint32_t bytesPerSector_;
    std::uint32_t clusterSize_;
    std::uint32_t recordSize_;
    std::uint64_t mftCluster_;
    std::unique_ptr<MemoryDisk> disk_;
    CDiskWindow window_;
};

} // namespace vantrel::testing
