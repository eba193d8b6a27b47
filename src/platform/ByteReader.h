#pragma once

// Bounds-checked field access over an on-disk buffer. Every structure parser reads
// through this so that no field is ever taken from outside the bytes that were read,
// whatever the alignment of the buffer.

#include <cstddef>
#include <cstdint>
#include <span>

namespace vantrel {

using Bytes = std::span<const std::uint8_t>;

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(Bytes data) : data_(data) {}
    ByteReader(const void* data, std::size_t size)
        : data_(static_cast<const std::uint8_t*>(data), size) {}

    std::size_t Size() const { return data_.size(); }
    Bytes Data() const { return data_; }

    // True when [offset, offset + count) lies inside the buffer.
    bool Has(std::size_t offset, std::size_t count) const {
        return offset <= data_.size() && count <= data_.size() - offset;
    }

    // Little-endian reads; a field outside the buffer reads as 0. Parsers check Has()
    // first where 0 would be a plausible value.
    std::uint8_t U8(std::size_t offset) const { return Has(offset, 1) ? data_[offset] : 0; }
    std::uint16_t U16(std::size_t offset) const {
        return static_cast<std::uint16_t>(Le(offset, 2));
    }
    std::uint32_t U32(std::size_t offset) const {
        return static_cast<std::uint32_t>(Le(offset, 4));
    }
    std::uint64_t U64(std::size_t offset) const { return Le(offset, 8); }
    // Little-endian unsigned integer of 1..8 bytes (NTFS run lists use odd widths).
    std::uint64_t Le(std::size_t offset, std::size_t width) const {
        if (width == 0 || width > 8 || !Has(offset, width))
            return 0;
        std::uint64_t value = 0;
        for (std::size_t i = width; i-- > 0;)
            value = (value << 8) | data_[offset + i];
        return value;
    }

    // Big-endian reads, for SCSI command and response fields.
    std::uint16_t Be16(std::size_t offset) const {
        return static_cast<std::uint16_t>(Be(offset, 2));
    }
    std::uint32_t Be32(std::size_t offset) const {
        return static_cast<std::uint32_t>(Be(offset, 4));
    }
    std::uint64_t Be64(std::size_t offset) const { return Be(offset, 8); }
    std::uint64_t Be(std::size_t offset, std::size_t width) const {
        if (width == 0 || width > 8 || !Has(offset, width))
            return 0;
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i)
            value = (value << 8) | data_[offset + i];
        return value;
    }

    // A sub-range, clipped to the buffer.
    Bytes Slice(std::size_t offset, std::size_t count) const {
        if (offset >= data_.size())
            return {};
        if (count > data_.size() - offset)
            count = data_.size() - offset;
        return data_.subspan(offset, count);
    }

private:
    Bytes data_;
};

// Writers for building command blocks and test fixtures.
inline void PutLe(std::span<std::uint8_t> out, std::size_t offset, std::uint64_t value,
                  std::size_t width) {
    for (std::size_t i = 0; i < width && offset + i < out.size(); ++i)
        out[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}
inline void PutBe(std::span<std::uint8_t> out, std::size_t offset, std::uint64_t value,
                  std::size_t width) {
    for (std::size_t i = 0; i < width && offset + i < out.size(); ++i)
        out[offset + i] = static_cast<std::uint8_t>(value >> (8 * (width - 1 - i)));
}

} // namespace vantrel
