#include "device/ewf/EwfSegmentChain.h"

#include "device/ewf/EwfSignature.h"
#include "platform/ByteReader.h"

#include <array>
#include <cstring>

namespace vantrel {

namespace {

constexpr std::size_t kFileHeaderBytes = 13;
constexpr std::size_t kDescriptorBytes = 76;
// A segment of a few GiB has some thousands of sections; far more means a loop.
constexpr int kMaxSections = 1 << 20;

} // namespace

bool ReadEwfSegment(const EwfReadAt& read, std::uint64_t fileSize, EwfSegmentInfo* info) {
    std::array<std::uint8_t, kFileHeaderBytes> header{};
    if (fileSize < header.size() || !read(0, header.data(), header.size()) ||
        !HasEwfSignature(header))
        return false;
    const ByteReader fields(header.data(), header.size());
    info->number = fields.U16(9);
    info->end = EwfSegmentEnd::Broken;
    std::uint64_t offset = kFileHeaderBytes;
    for (int i = 0; i < kMaxSections; ++i) {
        std::array<std::uint8_t, kDescriptorBytes> descriptor{};
        if (offset > fileSize || fileSize - offset < descriptor.size() ||
            !read(offset, descriptor.data(), descriptor.size()))
            return true;
        const ByteReader section(descriptor.data(), descriptor.size());
        char type[17] = {};
        std::memcpy(type, descriptor.data(), 16);
        const std::uint64_t next = section.U64(16);
        if (next == offset) {
            if (std::strcmp(type, "next") == 0)
                info->end = EwfSegmentEnd::Next;
            else if (std::strcmp(type, "done") == 0)
                info->end = EwfSegmentEnd::Done;
            return true;
        }
        if (next < offset + descriptor.size())
            return true; // backwards or overlapping: a loop or damage
        offset = next;
    }
    return true;
}

} // namespace vantrel
