#pragma once

// Minimal but well-formed files of each kind the signature database knows, built byte
// by byte, and helpers to lay them out in a sector image with noise around them.

#include "engine/signature/FileKind.h"
#include "engine/signature/SignatureCarver.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::testing {

using ByteVector = std::vector<std::uint8_t>;

struct SampleFile {
    FileKind kind = FileKind::None;
    ByteVector bytes;
    // What the carver should find: the header's length, the end marker's end, or the
    // text's end; 0 when the file only ends at the next file start.
    std::uint64_t carvedSize = 0;
};

// One sample per kind, in FileKind order.
std::vector<SampleFile> AllSamples();
SampleFile Sample(FileKind kind);

// A compound document whose directory holds Root Entry and then `streams` in order.
ByteVector CompoundDocument(const std::vector<std::u16string>& streams);

// Random bytes that never start a file at a sector start (first byte 0x01).
ByteVector Noise(std::size_t sectors, std::uint32_t seed, std::size_t sectorSize = 512);

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size);

// Sector image under construction.
class SectorImage {
public:
    explicit SectorImage(std::size_t sectors, std::size_t sectorSize = 512, std::uint32_t seed = 1);
    // Copies `bytes` to the start of sector `lba` and zeroes the rest of its last sector
    // (end markers are followed by zeros).
    void Place(std::uint64_t lba, const ByteVector& bytes);
    void Fill(std::uint64_t lba, std::size_t sectors, std::uint8_t value);
    ByteVector& Bytes() { return bytes_; }
    std::size_t SectorSize() const { return sectorSize_; }
    std::size_t Sectors() const { return bytes_.size() / sectorSize_; }

private:
    std::size_t sectorSize_;
    ByteVector bytes_;
};

struct CarveRun {
    std::vector<FoundCarvedFile> files; // heads left empty (they are views)
    std::vector<std::size_t> headSizes; // bytes of each file's head, checked against image
    std::vector<std::uint64_t> stepResults;
    std::vector<std::uint64_t> readLbas;
};

// Runs the carver step by step over sectors [rangeStart, rangeStart + rangeLength) of
// `image` until it reports completion; reads outside the image, or a head that is not
// the file's first bytes, fail the test.
CarveRun CarveImage(const ByteVector& image, std::uint32_t sectorSize, std::uint64_t rangeStart = 0,
                    std::uint64_t rangeLength = ~std::uint64_t{0});

} // namespace vantrel::testing
