#include "platform/Utf.h"

#include <cstdint>
#include <cstring>

namespace vantrel {

namespace {

void AppendCodePoint(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

} // namespace

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    AppendUtf8(out, text);
    return out;
}

void AppendUtf8(std::string& out, std::u16string_view text) {
    // The ASCII run at the start, all of most names, goes over a unit to a byte.
    const std::size_t start = out.size();
    out.resize(start + text.size());
    char* const ascii = out.data() + start;
    std::size_t i = 0;
    // Four units at a time while none has a bit above 0x7F (the check holds in either
    // byte order: each unit keeps its own 16 bits).
    for (; text.size() - i >= 4; i += 4) {
        std::uint64_t units = 0;
        std::memcpy(&units, text.data() + i, sizeof units);
        if ((units & 0xFF80FF80FF80FF80) != 0)
            break;
        ascii[i] = static_cast<char>(text[i]);
        ascii[i + 1] = static_cast<char>(text[i + 1]);
        ascii[i + 2] = static_cast<char>(text[i + 2]);
        ascii[i + 3] = static_cast<char>(text[i + 3]);
    }
    for (; i < text.size() && text[i] < 0x80; ++i)
        ascii[i] = static_cast<char>(text[i]);
    out.resize(start + i);
    for (; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
        }
        AppendCodePoint(out, cp);
    }
}

std::u16string FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        std::size_t extra = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            extra = 1;
            cp = lead & 0x1Fu;
        } else if ((lead & 0xF0) == 0xE0) {
            extra = 2;
            cp = lead & 0x0Fu;
        } else if ((lead & 0xF8) == 0xF0) {
            extra = 3;
            cp = lead & 0x07u;
        } else {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        bool ok = i + extra < text.size();
        for (std::size_t k = 1; ok && k <= extra; ++k) {
            const auto next = static_cast<std::uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                ok = false;
            else
                cp = (cp << 6) | (next & 0x3Fu);
        }
        const bool overlong =
            (extra == 1 && cp < 0x80) || (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
        if (!ok || overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000)) {
            out.push_back(u'\uFFFD');
            ++i;
            continue;
        }
        AppendUtf16(out, cp);
        i += extra + 1;
    }
    return out;
}

std::u16string AsciiToU16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char c : text)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    return out;
}

} // namespace vantrel
