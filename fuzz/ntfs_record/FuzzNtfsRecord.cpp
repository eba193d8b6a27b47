// MFT records with attributes and run lists. The input's first 1024 bytes fill every
// record slot of a small volume (so record 0 also decides the MFT map and every index
// entry finds a record); the rest lands in the data area that run lists point into.

#include "../ntfs_support/FuzzDisk.h"
#include "fs/ntfs/MftRecord.h"
#include "fs/ntfs/NtfsDeletedChildren.h"
#include "fs/ntfs/NtfsDirectory.h"
#include "fs/ntfs/NtfsFile.h"
#include "fs/ntfs/NtfsMftSelfRecord.h"
#include "fs/ntfs/NtfsVolume.h"

#include <algorithm>
#include <cstdint>
#include <vector>

using namespace vantrel;
using namespace vantrel::fuzzing;

// What a call returns does not matter here (hence the casts to void): only that it ends
// cleanly on any input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 64 * 1024)
        return 0;
    FuzzDisk& disk = FuzzDiskWithRecords(data, size);
    std::vector<std::uint8_t>& bytes = disk.Bytes();
    if (size > 1024)
        std::copy_n(data + 1024, std::min<std::size_t>(size - 1024, bytes.size() - 200 * 512),
                    bytes.begin() + 200 * 512);

    IsMftSelfRecord(Bytes(data, size));
    CDiskWindow window;
    NtfsVolume volume;
    if (!window.Open(&disk, 0, 0) || !volume.Open(window, 0))
        return 0;
    MftRecord record;
    if (record.Load(volume, 5)) {
        record.FileName();
        record.Times();
        std::vector<std::uint8_t> buffer(64 * 1024);
        for (const NtfsAttribute& attribute : record.Attributes()) {
            const std::size_t length =
                static_cast<std::size_t>(std::min<std::uint64_t>(attribute.size, buffer.size()));
            static_cast<void>(record.ReadAttributeData(attribute, 0, length, buffer.data()));
            if (attribute.size > 100)
                static_cast<void>(
                    record.ReadAttributeData(attribute, attribute.size - 100, 100, buffer.data()));
        }
    }
    std::vector<NtfsDirectoryEntry> entries;
    static_cast<void>(ListNtfsDirectory(volume, 5, &entries));
    // Every record slot holds the input, so a record not in use is read as a deleted child.
    NtfsDeletedChildren deleted;
    deleted.Of(volume, 5);
    std::u16string label;
    static_cast<void>(volume.ReadVolumeLabel(&label));
    // As a raw scan finds it: at the MFT's LBA, numbered through the map.
    NtfsFile file;
    if (file.OpenAt(volume, volume.RecordLba(7))) {
        std::vector<std::uint8_t> head(std::min<std::uint64_t>(file.Size(), 4096));
        static_cast<void>(file.Read(0, head.size(), head.data()));
    }
    return 0;
}
