#include "platform/WindowsCodePage.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <map>
#include <memory>
#include <string>

namespace vantrel {

namespace {

std::string IconvName(int codePage) {
    switch (codePage) {
    case 65001:
        return "UTF-8";
    case 10000:
        return "MACINTOSH";
    case 20932:
        return "EUC-JP";
    default:
        return "CP" + std::to_string(codePage);
    }
}

class Decoder {
public:
    explicit Decoder(int codePage) : cd_(::iconv_open("UTF-16LE", IconvName(codePage).c_str())) {}
    ~Decoder() {
        if (Ok())
            ::iconv_close(cd_);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;
    bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return cd_; }

private:
    iconv_t cd_;
};

// Descriptors are opened once per code page and thread: documents switch fonts often.
Decoder& DecoderFor(int codePage) {
    thread_local std::map<int, std::unique_ptr<Decoder>> decoders;
    auto& decoder = decoders[codePage];
    if (!decoder)
        decoder = std::make_unique<Decoder>(codePage);
    return *decoder;
}

void AppendUnits(std::u16string& out, const char* begin, const char* end) {
    for (const char* p = begin; p + 1 < end; p += 2)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(p[0]) |
                                            (static_cast<unsigned char>(p[1]) << 8)));
}

} // namespace

bool IsLeadByteOf(int codePage, std::uint8_t byte) {
    switch (codePage) {
    case 932:
        return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
        return byte >= 0x81 && byte <= 0xFE;
    default:
        return false;
    }
}

std::u16string DecodeWindowsCodePage(int codePage, std::span<const std::uint8_t> bytes) {
    std::u16string out;
    Decoder& decoder = DecoderFor(codePage);
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::uint8_t byte = bytes[pos];
        if (byte < 0x80 && codePage != 65001) {
            out.push_back(static_cast<char16_t>(byte));
            ++pos;
            continue;
        }
        if (!decoder.Ok()) {
            out.push_back(u'\uFFFD');
            ++pos;
            continue;
        }
        // One character at a time, so that a bad byte costs only itself.
        std::size_t width = IsLeadByteOf(codePage, byte) && pos + 1 < bytes.size() ? 2 : 1;
        if (codePage == 65001)
            width = byte < 0x80 ? 1 : byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        width = std::min(width, bytes.size() - pos);
        char in[4] = {};
        for (std::size_t i = 0; i < width; ++i)
            in[i] = static_cast<char>(bytes[pos + i]);
        char* inPtr = in;
        std::size_t inLeft = width;
        char buffer[8];
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        ::iconv(decoder.Get(), nullptr, nullptr, nullptr, nullptr);
        if (::iconv(decoder.Get(), &inPtr, &inLeft, &outPtr, &outLeft) ==
                static_cast<std::size_t>(-1) ||
            inLeft != 0 || outPtr == buffer) {
            out.push_back(u'\uFFFD');
            ++pos;
            continue;
        }
        AppendUnits(out, buffer, outPtr);
        pos += width;
    }
    return out;
}

} // namespace vantrel
