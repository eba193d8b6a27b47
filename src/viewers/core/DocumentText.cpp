#include "viewers/core/DocumentText.h"

#include <array>

namespace vantrel {

namespace {

constexpr std::array<std::uint8_t, 8> kCompoundSignature = {0xD0, 0xCF, 0x11, 0xE0,
                                                            0xA1, 0xB1, 0x1A, 0xE1};

bool IsKept(char16_t unit) {
    return (unit >= 0x0020 && unit <= 0x007F) || (unit >= 0x3040 && unit <= 0x30FF) ||
           (unit >= 0x31F0 && unit <= 0x31FF) || (unit >= 0xFF00 && unit <= 0xFFEF) ||
           (unit >= 0x4E00 && unit <= 0x9FBF) || unit == u'\r';
}

} // namespace

bool IsPreviewableDocument(Bytes data) {
    const ByteReader reader(data);
    if (!reader.Has(0, 520))
        return false;
    for (std::size_t i = 0; i < kCompoundSignature.size(); ++i)
        if (reader.U8(i) != kCompoundSignature[i])
            return false;
    return reader.U16(518) >= 999 && reader.U8(514) > 104;
}

std::u16string ExtractDocumentText(Bytes data) {
    std::u16string text;
    bool afterSpace = false;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (!IsKept(unit))
            unit = u' ';
        if (unit == u'\r') {
            text += u"\r\n";
        } else if (unit == u' ') {
            if (!afterSpace)
                text.push_back(u' ');
            afterSpace = true;
        } else {
            text.push_back(unit);
            afterSpace = false;
        }
    }
    return text;
}

} // namespace vantrel
