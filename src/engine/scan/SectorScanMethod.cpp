#include "engine/scan/SectorScanMethod.h"

#include "engine/tree/ScanResultNode.h"

#include <algorithm>

namespace vantrel {

bool SectorScanMethod::Attach(ScanResultNode& node) {
    Reset();
    CDiskWindow* window = node.GetWindow();
    std::uint64_t lastLba = 0;
    std::uint32_t sectorSize = 0;
    if (!window || !window->GetCapacity(&lastLba, &sectorSize) || lastLba == 0 || sectorSize == 0)
        return false;
    const std::uint64_t total = lastLba + 1; // lastLba below 2^64 - 1 by then
    const std::uint64_t start = node.RangeStart();
    std::uint64_t length = node.RangeLength();
    if (start > total)
        return false;
    if (length == ~std::uint64_t{0})
        length = total - start;
    if (length > total - start)
        return false;
    const std::uint32_t chunkSectors = kScanChunkBytes / sectorSize;
    if (chunkSectors == 0)
        return false;
    node_ = &node;
    window_ = window;
    windowLastLba_ = lastLba;
    sectorSize_ = sectorSize;
    rangeStart_ = start;
    rangeLength_ = length;
    chunkSectors_ = chunkSectors;
    readAhead_.Attach(*window, sectorSize, start, start + length, BlockMarks());
    chunk_ = {};
    position_ = 0;
    return true;
}

void SectorScanMethod::Reset() {
    ScanMethod::Reset();
    readAhead_.Detach();
    chunk_ = {};
    node_ = nullptr;
    window_ = nullptr;
    windowLastLba_ = 0;
    sectorSize_ = 512;
    rangeStart_ = 0;
    rangeLength_ = 0;
    chunkSectors_ = 0;
    position_ = 0;
}

std::uint32_t SectorScanMethod::ReadChunk() {
    if (!window_ || position_ >= rangeLength_)
        return 0;
    const auto count = static_cast<std::uint32_t>(
        std::min<std::uint64_t>(chunkSectors_, rangeLength_ - position_));
    chunk_ = FetchSectors(rangeStart_ + position_, count);
    return count;
}

Bytes SectorScanMethod::ChunkSector(std::uint32_t i) const {
    return ChunkFrom(i, 1);
}

Bytes SectorScanMethod::ChunkFrom(std::uint32_t i, std::uint32_t count) const {
    const std::size_t offset = std::size_t{i} * sectorSize_;
    if (offset >= chunk_.size())
        return {};
    const std::size_t length = std::min(std::size_t{count} * sectorSize_, chunk_.size() - offset);
    return chunk_.subspan(offset, length);
}

void SectorScanMethod::AddFoundFile(std::unique_ptr<FileEntry> file) {
    if (node_ && file)
        node_->AddFile(std::move(file));
}

void SectorScanMethod::AddFoundFolder(std::unique_ptr<ResultNode> folder) {
    if (node_ && folder)
        node_->AddChild(std::move(folder));
}

} // namespace vantrel
