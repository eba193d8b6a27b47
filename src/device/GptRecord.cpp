#include "device/GptRecord.h"

#include <algorithm>

namespace vantrel {

namespace {

constexpr std::size_t kHeaderMinSize = 92;
constexpr std::size_t kHeaderCrcOffset = 16;
constexpr std::size_t kNameOffset = 56;
constexpr std::size_t kNameUnits = 36;

std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

} // namespace

std::uint32_t Crc32(Bytes data, std::uint32_t crc) {
    static const std::array<std::uint32_t, 256> table = MakeCrcTable();
    crc = ~crc;
    for (const std::uint8_t byte : data)
        crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

bool ParseGptHeader(Bytes sector, GptHeader* header) {
    const ByteReader in(sector);
    if (!header || !in.Has(0, kHeaderMinSize))
        return false;
    static constexpr std::uint8_t kSignature[8] = {'E', 'F', 'I', ' ', 'P', 'A', 'R', 'T'};
    if (!std::equal(std::begin(kSignature), std::end(kSignature), sector.begin()))
        return false;
    GptHeader h;
    h.revision = in.U32(8);    // 8
    h.headerSize = in.U32(12); // 12
    if (h.headerSize < kHeaderMinSize || !in.Has(0, h.headerSize))
        return false;
    const std::uint32_t storedCrc = in.U32(kHeaderCrcOffset); // 16; 20..23 reserved
    // The CRC covers the header with its own CRC field taken as zero.
    static constexpr std::uint8_t kZero[4] = {};
    std::uint32_t crc = Crc32(sector.first(kHeaderCrcOffset));
    crc = Crc32(Bytes(kZero, 4), crc);
    crc = Crc32(sector.subspan(kHeaderCrcOffset + 4, h.headerSize - kHeaderCrcOffset - 4), crc);
    if (crc != storedCrc)
        return false;
    h.myLba = in.U64(24);          // 24
    h.alternateLba = in.U64(32);   // 32
    h.firstUsableLba = in.U64(40); // 40
    h.lastUsableLba = in.U64(48);  // 48
    for (std::size_t i = 0; i < h.diskGuid.size(); ++i)
        h.diskGuid[i] = in.U8(56 + i); // 56..71
    h.entryArrayLba = in.U64(72);      // 72
    h.entryCount = in.U32(80);         // 80
    h.entrySize = in.U32(84);          // 84
    h.entryArrayCrc = in.U32(88);      // 88
    if (h.entrySize < kGptEntryMinSize || h.entrySize % 8 != 0)
        return false;
    if (GptArrayBytes(h) > kGptMaxArrayBytes)
        return false;
    *header = h;
    return true;
}

std::uint64_t GptArrayBytes(const GptHeader& header) {
    return std::uint64_t{header.entryCount} * header.entrySize;
}

bool GptArrayMatches(const GptHeader& header, Bytes array) {
    const std::uint64_t bytes = GptArrayBytes(header);
    return bytes <= array.size() &&
           Crc32(array.first(static_cast<std::size_t>(bytes))) == header.entryArrayCrc;
}

bool ParseGptEntry(const GptHeader& header, Bytes array, std::uint32_t index, GptEntry* entry) {
    const ByteReader in(array);
    const std::uint64_t offset = std::uint64_t{index} * header.entrySize;
    if (!entry || index >= header.entryCount || header.entrySize < kGptEntryMinSize ||
        offset > array.size() || !in.Has(static_cast<std::size_t>(offset), kGptEntryMinSize))
        return false;
    const auto at = static_cast<std::size_t>(offset);
    GptEntry e;
    for (std::size_t i = 0; i < 16; ++i) {
        e.typeGuid[i] = in.U8(at + i);        // 0..15
        e.uniqueGuid[i] = in.U8(at + 16 + i); // 16..31
    }
    e.firstLba = in.U64(at + 32);                  // 32
    e.lastLba = in.U64(at + 40);                   // 40
    e.attributes = in.U64(at + 48);                // 48
    for (std::size_t i = 0; i < kNameUnits; ++i) { // 56..127, UTF-16LE
        const char16_t unit = in.U16(at + kNameOffset + 2 * i);
        if (unit == 0)
            break;
        e.name.push_back(unit);
    }
    *entry = std::move(e);
    return true;
}

bool IsUsedGptEntry(const GptEntry& entry) {
    return std::any_of(entry.typeGuid.begin(), entry.typeGuid.end(),
                       [](std::uint8_t b) { return b != 0; });
}

} // namespace vantrel
