// The whole partition walk over the input taken as a disk image: tables, extended chains,
// rebuilt tables, FAT and NTFS volumes and their folders, and a read of every file. A
// hostile disk must neither hang the walk nor make it read outside the image.

#include "../ntfs_support/FuzzDisk.h"
#include "engine/partition/DriveNode.h"
#include "engine/tree/FileCondition.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using namespace vantrel;

using ImageDisk = fuzzing::FuzzDisk;

void Walk(ResultNode& node, int depth, std::vector<std::uint8_t>& buffer) {
    if (depth > 12)
        return;
    AnalyseCompletely(node);
    for (const auto& file : node.Files()) {
        RateCondition(*file);
        const auto length = static_cast<std::size_t>(std::min<std::uint64_t>(file->size, 4096));
        file->readPosition = 0;
        if (length)
            static_cast<void>(file->ReadNext(buffer.data(), length));
    }
    for (const auto& child : node.Children())
        Walk(*child, depth + 1, buffer);
}

} // namespace

// What a call returns does not matter here (hence the casts to void): only that it ends
// cleanly on any input.
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
