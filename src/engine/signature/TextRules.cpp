#include "engine/signature/TextRules.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Bytes the run moves on by at a byte followed by `next`: 2 for a double-byte character
// (tried first; lead bytes are never single text bytes), 1 for a single text byte, 0
// where the run stops. Worked out without branches: in random data every test would be
// a coin toss for the branch predictor.
unsigned TextStep(std::uint8_t byte, std::uint8_t next) {
    const unsigned c = kClasses[byte];
    static_assert(kSingle == 1 && kLead == 2 && kTrail == 4);
    return (c & kSingle) | (c & (kClasses[next] >> 1) & kLead);
}

#if defined(__SSE2__)
// Lanes of x from a to b (unsigned) as all ones.
__m128i InRange(__m128i x, std::uint8_t a, std::uint8_t b) {
    const __m128i shifted = _mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>(a)));
    const __m128i width = _mm_set1_epi8(static_cast<char>(b - a));
    return _mm_cmpeq_epi8(_mm_min_epu8(shifted, width), shifted);
}

__m128i Equal(__m128i x, std::uint8_t b) {
    return _mm_cmpeq_epi8(x, _mm_set1_epi8(static_cast<char>(b)));
}

// Bit k set when byte k of the 16 is ASCII text: printable (0x20-0x7E), TAB, LF or CR.
// Compares are signed: bytes from 0x80 on are negative and fail the first test.
unsigned AsciiTextMask16(const std::uint8_t* data) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
    const __m128i printable = _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(0x1F)),
                                            _mm_cmplt_epi8(bytes, _mm_set1_epi8(0x7F)));
    const __m128i control =
        _mm_or_si128(_mm_or_si128(Equal(bytes, '\t'), Equal(bytes, '\n')), Equal(bytes, '\r'));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(printable, control)));
}

// The classes of 16 bytes (17 are read: a character may end on the one after them), as
// bits: single, byte k a single text byte; pairStart, byte k a lead byte and byte k + 1
// a trail byte.
struct TextMasks {
    unsigned single;
    unsigned pairStart;
};

TextMasks ClassifyText16(const std::uint8_t* data) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 1));
    const __m128i single = _mm_or_si128(
        _mm_or_si128(InRange(bytes, 0x20, 0x7E), InRange(bytes, 0xA1, 0xDF)),
        _mm_or_si128(_mm_or_si128(Equal(bytes, '\t'), Equal(bytes, '\n')), Equal(bytes, '\r')));
    const __m128i lead = _mm_or_si128(InRange(bytes, 0x81, 0x9F), InRange(bytes, 0xE0, 0xFC));
    const __m128i trail = _mm_or_si128(InRange(next, 0x40, 0x7E), InRange(next, 0x80, 0xFC));
    return {static_cast<unsigned>(_mm_movemask_epi8(single)),
            static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(lead, trail)))};
}

// The run through the 16 bytes from byte k: where it stops (below 16), or 16 or 17 when
// it runs past them. Stretches of single bytes go in one step, and nothing waits on a
// load: random data stops the run after a few bytes, each a coin toss for a branch.
unsigned WalkText16(TextMasks masks, unsigned k) {
    for (;;) {
        k += static_cast<unsigned>(std::countr_one(masks.single >> k));
        if (k >= 16 || ((masks.pairStart >> k) & 1u) == 0)
            return k;
        k += 2; // a lead byte is never a single text byte
    }
}

// The run from pos 16 bytes at a time; where it stopped, or where too few are left.
std::size_t WalkTextFast(const std::uint8_t* data, std::size_t size, std::size_t pos,
                         bool& stopped) {
    while (size - pos >= 16) {
        // Plain ASCII text first, the cheaper test: a step that does not wait on the walk,
        // so the processor runs on ahead into the next bytes.
        if (AsciiTextMask16(data + pos) == 0xFFFF) {
            pos += 16;
            continue;
        }
        if (size - pos == 16)
            break;
        const unsigned k = WalkText16(ClassifyText16(data + pos), 0);
        pos += k;
        if (k < 16) {
            stopped = true;
            return pos;
        }
    }
    return pos;
}
#else
// True when all eight bytes are ASCII text: printable (0x20-0x7E), TAB, LF or CR. None of
// them is a lead byte, so the run goes on over all eight. Every step below works on each
// byte apart (no carry or borrow crosses into the next byte), so no byte is misjudged.
bool AllAsciiText(const std::uint8_t* data) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    constexpr std::uint64_t kHigh = ~kLow7;
    std::uint64_t word = 0;
    std::memcpy(&word, data, sizeof word);
    if (word & kHigh)
        return false;
    // High bit of each byte set where the byte equals b (all bytes below 0x80 here).
    const auto equals = [word](std::uint8_t b) {
        const std::uint64_t x = word ^ (kOnes * b);
        return ~(((x & kLow7) + kLow7) | x) & kHigh;
    };
    const std::uint64_t control = ~((word & kLow7) + kOnes * 0x60) & kHigh; // below 0x20
    const std::uint64_t allowed = equals('\t') | equals('\n') | equals('\r');
    return ((control & ~allowed) | equals(0x7F)) == 0;
}

// The run from pos over plain ASCII text, eight bytes at a time; never stops it.
std::size_t WalkTextFast(const std::uint8_t* data, std::size_t size, std::size_t pos, bool&) {
    while (size - pos >= 8 && AllAsciiText(data + pos))
        pos += 8;
    return pos;
}
#endif

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
    // Zeroed sectors and much random data stop at once.
    if (size == 0 || !IsTextStartByte(data[0]))
        return 0;
    bool stopped = false;
    std::size_t pos = WalkTextFast(data, size, 0, stopped);
    if (stopped)
        return pos;
    // The last bytes one at a time.
    while (pos + 1 < size) {
        const unsigned step = TextStep(data[pos], data[pos + 1]);
        if (step == 0)
            return pos;
        pos += step;
    }
    // The last byte alone: a lead byte there has no trail byte to pair with.
    if (pos + 1 == size && IsSingleTextByte(data[pos]))
        ++pos;
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

SectorText SummariseSectorText(Bytes sector) {
    SectorText text;
    text.run = static_cast<std::uint32_t>(TextRunLength(sector));
    if (sector.size() < 2)
        return text;
    // After a first character of one byte the run from the second byte is the same walk.
    if (text.run > 0 && !IsTextLeadByte(sector[0]))
        text.runFromSecond = text.run - 1;
    else
        text.runFromSecond = static_cast<std::uint32_t>(TextRunLength(sector.subspan(1)));
    return text;
}

bool TextEndsInSector(Bytes sector, const SectorText& text) {
    const std::size_t size = sector.size();
    if (size == 0)
        return true;
    const std::size_t run = text.run;
    if (run == size - 1 && IsTextLeadByte(sector[run]))
        return false;
    if (run > 0)
        return run <= size - 1;
    if (size < 2)
        return true;
    return text.runFromSecond <= size - 2;
}

std::size_t TextBytesInEndSector(Bytes sector, const SectorText& text) {
    if (text.run > 0 || sector.size() < 2 || !IsTextTrailByte(sector[0]))
        return text.run;
    return 1 + std::size_t{text.runFromSecond};
}

namespace {

// TextRunLength of the window, walking sector summaries: a sector's own run differs from
// the window's only where a character starts in its last byte and ends in the next.
// Bytes past the sectors summarised (a part of a sector at the end) are walked.
std::size_t WindowTextRun(Bytes window, std::size_t sectorSize, std::span<const SectorText> texts) {
    const std::size_t sectors = std::min(window.size() / sectorSize, texts.size());
    std::size_t offset = 0; // where the run goes on in sector k: 0, or 1 after a split character
    for (std::size_t k = 0; k < sectors; ++k) {
        const std::size_t base = k * sectorSize;
        const std::size_t end = offset + (offset == 0 ? texts[k].run : texts[k].runFromSecond);
        if (end == sectorSize) {
            offset = 0;
            continue;
        }
        const bool split = end == sectorSize - 1 && base + sectorSize < window.size() &&
                           IsTextLeadByte(window[base + end]) &&
                           IsTextTrailByte(window[base + sectorSize]);
        if (!split)
            return base + end;
        offset = 1;
    }
    const std::size_t rest = sectors * sectorSize + offset;
    return rest >= window.size() ? window.size() : rest + TextRunLength(window.subspan(rest));
}

} // namespace

bool IsTextRun(Bytes window, std::size_t sectorSize, std::span<const SectorText> texts) {
    const std::size_t size = window.size();
    if (size < kTextBlock || sectorSize == 0)
        return IsTextRun(window);
    const std::size_t run = WindowTextRun(window, sectorSize, texts);
    if (run < kMinTextRun)
        return false;
    if (run >= size - 1)
        return true;
    const std::size_t end = std::min((run + kTextBlock - 1) / kTextBlock * kTextBlock, size);
    for (std::size_t i = run; i < end; ++i) {
        if (window[i] != 0)
            return false;
    }
    return true;
}

} // namespace vantrel
