#include "engine/signature/FileSignature.h"

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

using KindMask = std::uint32_t;

constexpr KindMask Bit(FileKind kind) {
    return KindMask{1} << static_cast<unsigned>(kind);
}

// Candidate kinds by the window's first byte; the kinds tested at later offsets only
// (LZH, MOV, QT) are added by cheap probes in CandidateKinds().
constexpr std::array<KindMask, 256> BuildDispatch() {
    std::array<KindMask, 256> table{};
    table[0xD0] |= Bit(FileKind::Aaf);
    table['F'] |= Bit(FileKind::Aif);
    table['.'] |= Bit(FileKind::Au) | Bit(FileKind::Rm);
    table['R'] |= Bit(FileKind::Avi) | Bit(FileKind::Rmi) | Bit(FileKind::Wav);
    table['B'] |= Bit(FileKind::Bmp);
    table['M'] |= Bit(FileKind::Cab) | Bit(FileKind::Mid) | Bit(FileKind::Tif);
    table['G'] |= Bit(FileKind::Gif);
    table[0xFF] |= Bit(FileKind::Jpg) | Bit(FileKind::Mp3);
    table['I'] |= Bit(FileKind::Mp3) | Bit(FileKind::Tif);
    table[0x00] |= Bit(FileKind::Mpg);
    table['%'] |= Bit(FileKind::Ai) | Bit(FileKind::Pdf);
    table[0xC5] |= Bit(FileKind::Eps);
    table[0x89] |= Bit(FileKind::Png);
    table[0x30] |= Bit(FileKind::Wmv);
    table['P'] |= Bit(FileKind::Zip);
    for (unsigned b = 0; b < 256; ++b) {
        // Single text bytes and Shift-JIS lead bytes (see TextRules).
        const bool single = (b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF) || b == 0x09 ||
                            b == 0x0A || b == 0x0D;
        const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        if (single || lead)
            table[b] |= Bit(FileKind::Txt);
    }
    return table;
}

constexpr std::array<KindMask, 256> kDispatch = BuildDispatch();

bool At(const std::uint8_t* data, std::size_t size, std::size_t offset, const char* text,
        std::size_t count) {
    return offset <= size && count <= size - offset && std::memcmp(data + offset, text, count) == 0;
}

bool AtBytes(const std::uint8_t* data, std::size_t size, std::size_t offset,
             const std::uint8_t* pattern, std::size_t count) {
    return offset <= size && count <= size - offset &&
           std::memcmp(data + offset, pattern, count) == 0;
}

bool AllZero(const std::uint8_t* data, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        if (data[i] != 0)
            return false;
    }
    return true;
}

KindMask CandidateKinds(const std::uint8_t* data, std::size_t size) {
    KindMask mask = kDispatch[data[0]];
    if (size > 2 && data[2] == '-')
        mask |= Bit(FileKind::Lzh);
    if (size > 7) {
        if (std::memcmp(data + 4, "moov", 4) == 0)
            mask |= Bit(FileKind::Mov);
        else if (std::memcmp(data + 4, "wide", 4) == 0)
            mask |= Bit(FileKind::Qt);
    }
    return mask;
}

// Zeroed, unreadable or pattern-filled space: every 32-bit word equals the first.
bool IsUniformWindow(const std::uint8_t* data, std::size_t size) {
    if (size < 4)
        return false;
    const std::size_t words = size / 4;
    for (std::size_t i = 1; i < words; ++i) {
        if (std::memcmp(data + 4 * i, data, 4) != 0)
            return false;
    }
    return true;
}

constexpr std::uint8_t kCompoundMagic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint8_t kAsfHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                             0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr std::uint8_t kPngMagic[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// Runs the start test of one kind; on success sets the header length (0 when none).
bool TestKind(FileKind kind, Bytes window, std::uint64_t& headerLength) {
    const std::uint8_t* d = window.data();
    const std::size_t len = window.size();
    const ByteReader r(window);
    headerLength = 0;
    switch (kind) {
    case FileKind::Aaf:
        // Compound document header: magic at 0, class id 8-23 zero, reserved u16 at 34 and
        // u32s at 36 and 52 zero.
        return len >= 512 && AtBytes(d, len, 0, kCompoundMagic, 8) && AllZero(d + 8, 16) &&
               r.U16(34) == 0 && r.U32(36) == 0 && r.U32(52) == 0;
    case FileKind::Aif:
        if (len > 45 && At(d, len, 0, "FORM", 4) && At(d, len, 8, "AIFFCOMM", 8)) {
            headerLength = std::uint64_t{r.Be32(42)} + 46; // big-endian u32 at 42
            return true;
        }
        return false;
    case FileKind::Au:
        if (len >= 12 && At(d, len, 0, ".snd", 4)) {
            headerLength = std::uint64_t{r.Be32(8)} + 28; // big-endian data size at 8
            return true;
        }
        return false;
    case FileKind::Avi:
        if (len > 11 && At(d, len, 0, "RIFF", 4) && At(d, len, 8, "AVI ", 4)) {
            headerLength = std::uint64_t{r.U32(4)} + 16; // RIFF size at 4
            return true;
        }
        return false;
    case FileKind::Bmp:
        if (len > 7 && At(d, len, 0, "BM", 2) && r.U16(6) == 0) {
            headerLength = r.U32(2); // file size at 2
            return true;
        }
        return false;
    case FileKind::Cab:
        if (len >= 12 && At(d, len, 0, "MSCF", 4) && r.U32(4) == 0) {
            headerLength = r.U32(8); // cabinet size at 8
            return true;
        }
        return false;
    case FileKind::Gif:
        return len > 12 && At(d, len, 0, "GIF", 3) &&
               (At(d, len, 3, "87a", 3) || At(d, len, 3, "89a", 3));
    case FileKind::Jpg:
        return len > 9 && d[0] == 0xFF && d[1] == 0xD8 &&
               (At(d, len, 6, "JFIF", 4) || At(d, len, 6, "Exif", 4));
    case FileKind::Lzh:
        return len >= 17 && At(d, len, 2, "-lh5-", 5);
    case FileKind::Mid:
        if (len >= 22 && At(d, len, 0, "MThd", 4)) {
            headerLength = std::uint64_t{r.Be32(18)} + 22; // first track's length at 18
            return true;
        }
        return false;
    case FileKind::Mov:
        return len > 15 && At(d, len, 4, "moov", 4) && At(d, len, 12, "mvhd", 4);
    case FileKind::Mp3:
        if (IsMpegAudioFrameHeader(window))
            return true;
        // ID3 version 2 tag: "ID3" and major version 2 or 3.
        return len > 9 && At(d, len, 0, "ID3", 3) && (d[3] == 2 || d[3] == 3);
    case FileKind::Mpg:
        return len > 3 && r.Be32(0) == 0x000001BA; // MPEG pack header
    case FileKind::Ai:
        return len >= 11 && At(d, len, 0, "%!PS-Adobe-", 11);
    case FileKind::Eps:
        // Binary EPS header: magic, then u16 at 28 (checksum placeholder) = 0xFFFF.
        return len >= 30 && d[0] == 0xC5 && d[1] == 0xD0 && d[2] == 0xD3 && d[3] == 0xC6 &&
               r.U16(28) == 0xFFFF;
    case FileKind::Pdf:
        return len >= 8 && At(d, len, 0, "%PDF-", 5);
    case FileKind::Png:
        return len > 7 && AtBytes(d, len, 0, kPngMagic, 8);
    case FileKind::Tif:
        return len > 3 && ((d[0] == 'I' && d[1] == 'I' && r.U16(2) == 42) ||
                           (d[0] == 'M' && d[1] == 'M' && d[2] == 0x00 && d[3] == 0x2A));
    case FileKind::Qt:
        return len > 15 && At(d, len, 4, "wide", 4) && At(d, len, 12, "mdat", 4);
    case FileKind::Rm:
        return len >= 4 && At(d, len, 0, ".RMF", 4);
    case FileKind::Rmi:
        if (len > 11 && At(d, len, 0, "RIFF", 4) && At(d, len, 8, "RMID", 4)) {
            headerLength = std::uint64_t{r.U32(4)} + 8; // RIFF size at 4
            return true;
        }
        return false;
    case FileKind::Txt:
        return IsTextRun(window);
    case FileKind::Wav:
        if (len > 11 && At(d, len, 0, "RIFF", 4) && At(d, len, 8, "WAVE", 4)) {
            headerLength = std::uint64_t{r.U32(4)} + 8; // RIFF size at 4
            return true;
        }
        return false;
    case FileKind::Wmv:
        return len > 15 && AtBytes(d, len, 0, kAsfHeaderGuid, 16);
    case FileKind::Zip:
        return len > 3 && d[0] == 'P' && d[1] == 'K' && d[2] == 0x03 && d[3] == 0x04;
    case FileKind::None:
        return false;
    }
    return false;
}

// First kind among `mask` (in FileKind order) whose test holds.
FileStart FirstMatch(Bytes window, KindMask mask, const TextRunQuery& isTextRun) {
    while (mask != 0) {
        const auto index = static_cast<unsigned>(std::countr_zero(mask));
        mask &= mask - 1;
        const auto kind = static_cast<FileKind>(index);
        std::uint64_t headerLength = 0;
        const bool holds =
            kind == FileKind::Txt ? isTextRun() : TestKind(kind, window, headerLength);
        if (holds) {
            // Checked only after a test holds: it is cheap to fail and seldom needed.
            if (IsUniformWindow(window.data(), window.size()))
                return {};
            return {kind, headerLength};
        }
    }
    return {};
}

// The two bytes every end marker of a kind begins with (FindEndMarker): a pair is far
// rarer than its first byte alone (0xFF or 0x00 in compressed data), so candidates are
// looked for by pairs.
struct MarkerLead {
    bool any = false;
    std::uint8_t first = 0;
    std::uint8_t second = 0;
};

MarkerLead EndMarkerLead(FileKind kind) {
    switch (kind) {
    case FileKind::Gif:
        return {true, 0x00, 0x3B};
    case FileKind::Mpg:
    case FileKind::Png:
        return {true, 0x00, 0x00};
    case FileKind::Jpg:
        return {true, 0xFF, 0xD9};
    case FileKind::Mid:
        return {true, 0xFF, 0x2F};
    case FileKind::Mp3:
        return {true, 'T', 'A'};
    case FileKind::Ai:
    case FileKind::Pdf:
        return {true, '%', '%'};
    case FileKind::Zip:
        return {true, 'P', 'K'};
    default:
        return {};
    }
}

// First offset in [from, limit) where `first` is followed by `second`, or limit; needs
// limit < bytes.size() so that the byte after each offset is there.
std::size_t FindBytePair(Bytes bytes, std::size_t from, std::size_t limit, std::uint8_t first,
                         std::uint8_t second) {
    const std::uint8_t* data = bytes.data();
    std::size_t offset = from;
#if defined(__SSE2__)
    const __m128i firsts = _mm_set1_epi8(static_cast<char>(first));
    const __m128i seconds = _mm_set1_epi8(static_cast<char>(second));
    const auto pairs = [&](std::size_t at) {
        const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
        const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at + 1));
        return _mm_and_si128(_mm_cmpeq_epi8(here, firsts), _mm_cmpeq_epi8(next, seconds));
    };
    // 64 offsets at a time, one test for all: a pair is rare, so the loop seldom stops
    // (the byte after the last offset must be there).
    while (limit - offset >= 64 && bytes.size() - offset >= 65) {
        const __m128i any = _mm_or_si128(_mm_or_si128(pairs(offset), pairs(offset + 16)),
                                         _mm_or_si128(pairs(offset + 32), pairs(offset + 48)));
        if (_mm_movemask_epi8(any) != 0)
            break;
        offset += 64;
    }
    // Then 16 at a time, to the pair that stopped the loop above or to the end.
    while (offset < limit && bytes.size() - offset >= 17) {
        const auto mask = static_cast<unsigned>(_mm_movemask_epi8(pairs(offset)));
        if (mask != 0)
            return std::min(limit, offset + static_cast<std::size_t>(std::countr_zero(mask)));
        offset += 16;
    }
#endif
    for (; offset < limit; ++offset) {
        if (data[offset] == first && data[offset + 1] == second)
            return offset;
    }
    return limit;
}

bool IgnoresTextInside(FileKind open) {
    return open == FileKind::Pdf || open == FileKind::Ai || open == FileKind::Eps ||
           open == FileKind::Mp3;
}

} // namespace

bool MayStartAs(std::uint8_t firstByte, FileKind kind) {
    // Probes that add kinds beyond the first byte's (LZH, MOV, QT) decide on later bytes.
    return (kDispatch[firstByte] & Bit(kind)) != 0 || kind == FileKind::Lzh ||
           kind == FileKind::Mov || kind == FileKind::Qt;
}

bool IsMpegAudioFrameHeader(Bytes bytes) {
    if (bytes.size() <= 3)
        return false;
    const std::uint8_t b2 = bytes[2];
    const std::uint8_t b3 = bytes[3];
    return bytes[0] == 0xFF && bytes[1] == 0xFB && (b2 & 0x0C) != 0x0C && (b2 & 0x01) == 0 &&
           b3 != 0xFF && (b3 & 0x03) != 0x02;
}

FileStart DetectFileType(Bytes window) {
    const auto isTextRun = [window] { return IsTextRun(window); };
    return DetectFileType(window, TextRunQuery(isTextRun));
}

FileStart DetectFileType(Bytes window, const TextRunQuery& isTextRun) {
    if (window.empty())
        return {};
    return FirstMatch(window, CandidateKinds(window.data(), window.size()), isTextRun);
}

bool IsNewFileStart(Bytes window, FileKind open) {
    const auto isTextRun = [window] { return IsTextRun(window); };
    return IsNewFileStart(window, open, TextRunQuery(isTextRun));
}

bool IsNewFileStart(Bytes window, FileKind open, const TextRunQuery& isTextRun) {
    if (window.empty())
        return false;
    const KindMask candidates = CandidateKinds(window.data(), window.size());
    FileStart found;
    if (IgnoresTextInside(open) || open == FileKind::Txt) {
        // Text found here would not end the open file, so the (costly) text test only
        // matters when a later kind holds and text would take precedence over it.
        found = FirstMatch(window, candidates & ~Bit(FileKind::Txt), isTextRun);
        if (!found)
            return false;
        if (found.kind > FileKind::Txt && (candidates & Bit(FileKind::Txt)) && isTextRun())
            return false;
    } else {
        found = FirstMatch(window, candidates, isTextRun);
        if (!found)
            return false;
    }
    const FileKind kind = found.kind;
    if (kind == FileKind::Txt && IgnoresTextInside(open))
        return false;
    if (kind != open)
        return true;
    if (open == FileKind::Txt || open == FileKind::Mpg)
        return false;
    if (open == FileKind::Mp3 && IsMpegAudioFrameHeader(window))
        return false;
    return true;
}

std::size_t FindEndMarker(Bytes bytes, FileKind kind) {
    const std::uint8_t* d = bytes.data();
    const std::size_t len = bytes.size();
    switch (kind) {
    case FileKind::Gif: {
        static constexpr std::uint8_t kTrailer[] = {0x00, 0x3B, 0x00, 0x00};
        return AtBytes(d, len, 0, kTrailer, 4) ? 2 : 0;
    }
    case FileKind::Jpg: {
        static constexpr std::uint8_t kEoi[] = {0xFF, 0xD9, 0x00, 0x00};
        return AtBytes(d, len, 0, kEoi, 4) ? 2 : 0;
    }
    case FileKind::Mid: {
        static constexpr std::uint8_t kEndOfTrack[] = {0xFF, 0x2F, 0x00, 0x00, 0x00};
        return AtBytes(d, len, 0, kEndOfTrack, 5) ? 3 : 0;
    }
    case FileKind::Mp3:
        // An ID3 version 1 tag closes the file: 128 bytes beginning "TAG".
        return len >= 128 && At(d, len, 0, "TAG", 3) ? 128 : 0;
    case FileKind::Mpg: {
        static constexpr std::uint8_t kProgramEnd[] = {0x00, 0x00, 0x01, 0xB9, 0x00, 0x00};
        return AtBytes(d, len, 0, kProgramEnd, 6) ? 4 : 0;
    }
    case FileKind::Ai:
    case FileKind::Pdf:
        // "%%EOF" with its line end; zeros at 8-9 show the file ends there.
        if (len >= 10 && At(d, len, 0, "%%EOF", 5) && d[8] == 0 && d[9] == 0)
            return TextRunLength(bytes);
        return 0;
    case FileKind::Png: {
        // Empty IEND chunk (length 0, type, CRC) followed by zeros.
        if (len >= 16 && AllZero(d, 4) && At(d, len, 4, "IEND", 4) && AllZero(d + 12, 4))
            return 12;
        return 0;
    }
    case FileKind::Zip:
        // End of central directory record followed by zeros.
        if (len >= 24 && d[0] == 'P' && d[1] == 'K' && d[2] == 0x05 && d[3] == 0x06 && d[22] == 0 &&
            d[23] == 0)
            return 22;
        return 0;
    default:
        return 0;
    }
}

EndMarkerHit SearchEndMarker(Bytes bytes, std::size_t offsetCount, FileKind kind) {
    const MarkerLead lead = EndMarkerLead(kind);
    // No marker is shorter than four bytes, so none starts at the last byte.
    if (!lead.any || bytes.size() < 2)
        return {};
    const std::size_t limit = std::min(offsetCount, bytes.size() - 1);
    for (std::size_t offset = FindBytePair(bytes, 0, limit, lead.first, lead.second);
         offset < limit; offset = FindBytePair(bytes, offset + 1, limit, lead.first, lead.second)) {
        const std::size_t length = FindEndMarker(bytes.subspan(offset), kind);
        if (length != 0)
            return {true, offset, length};
    }
    return {};
}

} // namespace vantrel
