#include "viewers/core/TextStream.h"

#include "platform/CodePage.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vantrel {

namespace {

// Whether a zero at offset is the allowed terminating zero: in the last two bytes of
// the data and in the chunk that ends the data.
bool IsTerminatingZero(std::size_t offset, std::size_t length, std::size_t chunk) {
    return offset + 2 >= length && offset / chunk == (length - 1) / chunk;
}

} // namespace

TextStreamCheck CheckTextStream(Bytes data, std::size_t chunk) {
    TextStreamCheck check;
    chunk = std::max<std::size_t>(chunk & ~std::size_t{1}, 2);
    const bool rtf = data.size() > 5 && std::memcmp(data.data(), "{\\rtf1", 6) == 0;
    check.unicode = data.size() >= 2 && data[0] == 0xFF && data[1] == 0xFE;
    if (check.unicode) {
        for (std::size_t i = 0; i + 1 < data.size(); i += 2)
            if (data[i] == 0 && data[i + 1] == 0 && !IsTerminatingZero(i, data.size(), chunk))
                return check;
    } else {
        for (auto zero = std::find(data.begin(), data.end(), std::uint8_t{0}); zero != data.end();
             zero = std::find(zero + 1, data.end(), std::uint8_t{0}))
            if (!IsTerminatingZero(static_cast<std::size_t>(zero - data.begin()), data.size(),
                                   chunk))
                return check;
    }
    check.format = rtf ? TextFormat::rtf : TextFormat::plain;
    return check;
}

std::u16string DecodePlainText(Bytes data, bool unicode) {
    if (unicode) {
        std::u16string text;
        text.reserve(data.size() / 2);
        for (std::size_t i = 2; i + 1 < data.size(); i += 2) {
            const auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
            if (unit == 0)
                break;
            text.push_back(unit);
        }
        return text;
    }
    const auto zero = std::find(data.begin(), data.end(), std::uint8_t{0});
    return DecodeAnsiInPieces(data.first(static_cast<std::size_t>(zero - data.begin())));
}

std::u16string DecodeAnsiInPieces(Bytes data) {
    constexpr std::size_t kPiece = 1 << 20;
    if (data.size() <= kPiece)
        return DecodeAnsi(data);
    std::array<bool, 256> lead{};
    for (std::size_t b = 0; b < lead.size(); ++b)
        lead[b] = IsAnsiLeadByte(static_cast<std::uint8_t>(b));
    std::u16string text;
    text.reserve(data.size());
    std::size_t start = 0;
    std::size_t at = 0;
    while (at < data.size()) {
        // Walk characters as the converter does, so that a piece never splits one.
        at += lead[data[at]] && at + 1 < data.size() ? std::size_t{2} : std::size_t{1};
        if (at - start >= kPiece || at >= data.size()) {
            text += DecodeAnsi(data.subspan(start, at - start));
            start = at;
        }
    }
    return text;
}

} // namespace vantrel
