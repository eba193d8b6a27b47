// Boot sector parsing, geometry and FAT decoding, and then the whole volume reader over
// the input taken as a disk image: directory listings and cluster chains of a hostile
// volume must stay bounded and inside the image.

#include "device/DiskWindow.h"
#include "fs/fat/FatBootRecord.h"
#include "fs/fat/FatDefaultBootRecord.h"
#include "fs/fat/FatGeometry.h"
#include "fs/fat/FatShortName.h"
#include "fs/fat/FatTime.h"
#include "fs/fat/FatVolume.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using namespace vantrel;

class ImageDisk : public CDiskDevice {
public:
    explicit ImageDisk(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {
        lastLba_ = bytes_.size() / 512 - 1;
    }
    bool GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) override {
        if (lastLba)
            *lastLba = lastLba_;
        if (sectorSize)
            *sectorSize = 512;
        return true;
    }
    bool ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                     std::uint32_t bufferSize) override {
        const std::uint64_t bytes = std::uint64_t{count} * 512;
        if (lba + count > lastLba_ + 1 || bufferSize < bytes)
            return false;
        std::memcpy(buffer, bytes_.data() + lba * 512, bytes);
        return true;
    }

private:
    std::vector<std::uint8_t> bytes_;
};

void Visit(FatVolume& volume, const std::vector<FatDirEntry>& entries, int depth) {
    for (const FatDirEntry& entry : entries) {
        std::u16string name;
        static_cast<void>(FatDisplayName(entry, &name));
        EntryTimes(entry);
        FatExtents extents;
        static_cast<void>(volume.Extents(entry, &extents));
        if (IsDirectory(entry) && !IsDotEntry(entry) && !IsDotDotEntry(entry) && depth < 3) {
            std::vector<FatDirEntry> children;
            if (volume.ListDirectory(entry, &children))
                Visit(volume, children, depth + 1);
        } else if (IsFileEntry(entry)) {
            std::vector<std::uint8_t> data;
            static_cast<void>(volume.ReadFile(entry, &data, 1 << 20));
        }
    }
}

} // namespace

// What a call returns does not matter here (hence the casts to void): only that it ends
// cleanly on any input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes input(data, size);
    FatBootRecord record;
    static_cast<void>(ParseFatBootRecord(record, input));
    IsFatBootSector(input, 512);
    RootDirSectors(record);
    RootDirFirstSector(record);
    const std::uint32_t limit = ClusterLimit(record);
    for (std::uint32_t cluster : {0u, 1u, 2u, 3u, limit - 1, limit, 0xFFFFFFFFu}) {
        FirstSectorOfCluster(record, cluster);
        FatSectorOfCluster(record, cluster);
        std::uint32_t value = 0;
        static_cast<void>(ReadFatEntry(record, cluster, input, &value));
    }
    if (size >= 8) {
        FatBootRecord built;
        std::uint32_t total = 0;
        std::memcpy(&total, data, 4);
        BuildDefaultBootRecord(built, data[4] % 4, total,
                               static_cast<std::uint16_t>(data[5] << 8 | data[6]), 0xF8, 63, 255,
                               data[7], 0x80);
    }

    if (size < 512)
        return 0;
    ImageDisk disk(std::vector<std::uint8_t>(data, data + size / 512 * 512));
    CDiskWindow window;
    FatVolume volume;
    if (!window.Open(&disk, 0, 0) || !volume.Open(window))
        return 0;
    std::vector<FatDirEntry> root;
    if (volume.ListRoot(&root))
        Visit(volume, root, 0);
    return 0;
}
