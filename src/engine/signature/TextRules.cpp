#include "engine/signature/TextRules.h"

#include <array>
#include <cstring>

namespace vantrel {

namespace {

enum TextClass : std::uint8_t {
    kNotText = 0,
    kSingle = 1,
    kLead = 2,
    kTrail = 4,
};

constexpr std::array<std::uint8_t, 256> BuildClasses() {
    std::array<std::uint8_t, 256> classes{};
    for (unsigned b = 0; b < 256; ++b) {
        std::uint8_t c = 0;
        if ((b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF) || b == 0x09 || b == 0x0A ||
            b == 0x0D)
            c |= kSingle;
        if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC))
            c |= kLead;
        if ((b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC))
            c |= kTrail;
        classes[b] = c;
    }
    return classes;
}

constexpr std::array<std::uint8_t, 256> kClasses = BuildClasses();

constexpr std::size_t kTextBlock = 512;
constexpr std::size_t kMinTextRun = 5;

// True when all eight bytes are printable ASCII (0x20-0x7E): single text bytes that
// cannot be lead bytes, so the run goes on over all of them.
bool AllPrintableAscii(const std::uint8_t* data) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    std::uint64_t word = 0;
    std::memcpy(&word, data, sizeof word);
    const std::uint64_t below20 = (word - kOnes * 0x20) & ~word & kHigh;
    const std::uint64_t del = word ^ (kOnes * 0x7F);
    const std::uint64_t is7F = (del - kOnes) & ~del & kHigh;
    return ((word & kHigh) | below20 | is7F) == 0;
}

} // namespace

bool IsSingleTextByte(std::uint8_t byte) {
    return (kClasses[byte] & kSingle) != 0;
}
bool IsTextLeadByte(std::uint8_t byte) {
    return (kClasses[byte] & kLead) != 0;
}
bool IsTextTrailByte(std::uint8_t byte) {
    return (kClasses[byte] & kTrail) != 0;
}
bool IsTextStartByte(std::uint8_t byte) {
    return (kClasses[byte] & (kSingle | kLead)) != 0;
}

std::size_t TextRunLength(Bytes bytes) {
    const std::uint8_t* data = bytes.data();
    const std::size_t size = bytes.size();
    std::size_t pos = 0;
    while (pos < size) {
        // Plain ASCII text goes eight bytes at a time.
        while (size - pos >= 8 && AllPrintableAscii(data + pos))
            pos += 8;
        if (pos >= size)
            break;
        const std::uint8_t c = kClasses[data[pos]];
        // A double-byte character is tried first; lead bytes are never single text bytes.
        if ((c & kLead) && size - pos >= 2 && (kClasses[data[pos + 1]] & kTrail)) {
            pos += 2;
        } else if (c & kSingle) {
            ++pos;
        } else {
            break;
        }
    }
    return pos;
}

bool IsTextRun(Bytes bytes) {
    const std::size_t size = bytes.size();
    if (size < kTextBlock)
        return false;
    const std::size_t run = TextRunLength(bytes);
    if (run < kMinTextRun)
        return false;
    if (run >= size - 1)
        return true;
    std::size_t end = (run + kTextBlock - 1) / kTextBlock * kTextBlock;
    if (end > size)
        end = size;
    for (std::size_t i = run; i < end; ++i) {
        if (bytes[i] != 0)
            return false;
    }
    return true;
}

bool TextEndsInSector(Bytes sector) {
    const std::size_t size = sector.size();
    if (size == 0)
        return true;
    const std::size_t run = TextRunLength(sector);
    // A run stopped by a lead byte in the last place is a character cut by the sector
    // boundary, not the end of the text: Japanese text would otherwise split into two
    // files at about every other sector boundary.
    if (run == size - 1 && IsTextLeadByte(sector[run]))
        return false;
    if (run > 0)
        return run <= size - 1;
    // The first byte may be the trail byte of a character begun in the previous sector.
    if (size < 2)
        return true;
    return TextRunLength(sector.subspan(1)) <= size - 2;
}

std::size_t TextBytesInEndSector(Bytes sector) {
    const std::size_t run = TextRunLength(sector);
    if (run > 0 || sector.size() < 2 || !IsTextTrailByte(sector[0]))
        return run;
    return 1 + TextRunLength(sector.subspan(1));
}

} // namespace vantrel
