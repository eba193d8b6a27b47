// The whole partition walk over the input taken as a disk image: tables, extended chains,
// rebuilt tables, FAT and NTFS volumes and their folders, and a read of every file. A
// hostile disk must neither hang the walk nor make it read outside the image.

#include "engine/partition/DriveNode.h"
#include "engine/tree/FileCondition.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using namespace vantrel;

class ImageDisk : public CDiskDevice {
public:
    explicit ImageDisk(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    bool GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) override {
        lastLba_ = bytes_.size() / 512 - 1;
        if (lastLba)
            *lastLba = lastLba_;
        if (sectorSize)
            *sectorSize = 512;
        return true;
    }
    bool ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                     std::uint32_t bufferSize) override {
        const std::uint64_t sectors = bytes_.size() / 512;
        const std::uint64_t bytes = std::uint64_t{count} * 512;
        if (lba > sectors || count > sectors - lba || bufferSize < bytes)
            return false;
        std::memcpy(buffer, bytes_.data() + lba * 512, bytes);
        return true;
    }

private:
    std::vector<std::uint8_t> bytes_;
};

void Walk(ResultNode& node, int depth, std::vector<std::uint8_t>& buffer) {
    if (depth > 12)
        return;
    AnalyseCompletely(node);
    for (const auto& file : node.Files()) {
        RateCondition(*file);
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(file->size, 4096));
        file->readPosition = 0;
        if (length)
            file->ReadNext(buffer.data(), length);
    }
    for (const auto& child : node.Children())
        Walk(*child, depth + 1, buffer);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> bytes(data, data + size);
    bytes.resize(std::max<std::size_t>(1024, (size + 511) / 512 * 512));
    ImageDisk disk(std::move(bytes));
    DriveNode root;
    root.OpenDevice(&disk);
    std::vector<std::uint8_t> buffer(4096);
    Walk(root, 0, buffer);
    return 0;
}
