#include "platform/CodePage.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <iconv.h>
#include <memory>
#include <mutex>

namespace vantrel {

namespace {

// iconv descriptors are cheap enough to open per call and are not thread-safe to share.
class Iconv {
public:
    Iconv(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    ~Iconv() {
        if (Ok())
            ::iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool Ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return cd_; }

private:
    iconv_t cd_;
};

// One flag per byte value.
using ByteTable = std::array<bool, 256>;

// One byte converted alone to UTF-16LE, the descriptor reset after it.
struct SingleByte {
    bool converted = false;  // iconv took the byte
    bool incomplete = false; // iconv wants more bytes after it (a lead byte)
    std::size_t units = 0;   // UTF-16 units produced
    std::uint16_t unit = 0;  // the first of them
};

SingleByte ConvertAlone(const Iconv& cd, char byte) {
    char in = byte;
    char* inPtr = &in;
    std::size_t inLeft = 1;
    char out[8] = {};
    char* outPtr = out;
    std::size_t outLeft = sizeof out;
    errno = 0;
    SingleByte result;
    const std::size_t rc = ::iconv(cd.Get(), &inPtr, &inLeft, &outPtr, &outLeft);
    if (rc == static_cast<std::size_t>(-1))
        result.incomplete = errno == EINVAL;
    else
        result.converted = rc == 0 && inLeft == 0;
    result.units = static_cast<std::size_t>(outPtr - out) / 2;
    result.unit = static_cast<std::uint16_t>(static_cast<std::uint8_t>(out[0]) |
                                             (static_cast<std::uint8_t>(out[1]) << 8));
    ::iconv(cd.Get(), nullptr, nullptr, nullptr, nullptr);
    return result;
}

// Lead bytes of a double-byte code page: bytes that iconv calls an incomplete sequence
// when they stand alone. Single-byte code pages have none.
ByteTable ProbeLeadBytes(const std::string& codePage) {
    ByteTable table{};
    if (codePage == "CP932" || codePage == "SHIFT_JIS" || codePage == "SJIS" ||
        codePage == "IBM943") {
        for (std::size_t b = 0; b < table.size(); ++b)
            table[b] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        return table;
    }
    Iconv cd("UTF-16LE", codePage.c_str());
    if (!cd.Ok())
        return table;
    for (std::size_t b = 0x80; b < table.size(); ++b)
        table[b] = ConvertAlone(cd, static_cast<char>(b)).incomplete;
    return table;
}

// Printable ASCII bytes that the code page turns into the same character, each alone:
// text made of those only needs no conversion. Stateful and multi-byte pages that use
// such a byte to begin a sequence report it as incomplete and are left out.
ByteTable ProbePlainBytes(const std::string& codePage) {
    ByteTable table{};
    Iconv cd("UTF-16LE", codePage.c_str());
    if (!cd.Ok())
        return table;
    for (std::size_t b = 0x20; b < 0x7F; ++b) {
        const SingleByte one = ConvertAlone(cd, static_cast<char>(b));
        table[b] = one.converted && one.units == 1 && one.unit == b;
    }
    return table;
}

// The lead bytes as 256 bits that readers load without a lock: raw-sector scans ask for
// them for every directory slot they test, on more than one thread.
class ByteBits {
public:
    void Store(const ByteTable& table) {
        for (std::size_t word = 0; word < bits_.size(); ++word) {
            std::uint64_t bits = 0;
            for (std::size_t b = 0; b < 64; ++b)
                bits |= std::uint64_t{table[word * 64 + b]} << b;
            bits_[word].store(bits, std::memory_order_relaxed);
        }
    }
    bool Test(std::uint8_t byte) const {
        return ((bits_[byte >> 6].load(std::memory_order_relaxed) >> (byte & 63)) & 1) != 0;
    }
    // True when every byte of bytes is in the set.
    bool TestAll(std::span<const std::uint8_t> bytes) const {
        std::array<std::uint64_t, 4> words{};
        for (std::size_t word = 0; word < words.size(); ++word)
            words[word] = bits_[word].load(std::memory_order_relaxed);
        std::uint64_t all = 1;
        for (const std::uint8_t byte : bytes)
            all &= words[byte >> 6] >> (byte & 63);
        return (all & 1) != 0;
    }

private:
    std::array<std::atomic<std::uint64_t>, 4> bits_{};
};

struct CodePageState {
    CodePageState() {
        leadBits.Store(ProbeLeadBytes(name));
        plainBits.Store(ProbePlainBytes(name));
    }
    std::string name = "CP932";
    ByteBits leadBits;
    ByteBits plainBits; // ProbePlainBytes
};

std::mutex g_mutex;

CodePageState& State() {
    static CodePageState state;
    return state;
}

} // namespace

void SetAnsiCodePage(const std::string& iconvName) {
    const ByteTable table = ProbeLeadBytes(iconvName);
    const ByteTable plain = ProbePlainBytes(iconvName);
    std::lock_guard lock(g_mutex);
    State().name = iconvName;
    State().leadBits.Store(table);
    State().plainBits.Store(plain);
}

std::string AnsiCodePage() {
    std::lock_guard lock(g_mutex);
    return State().name;
}

bool IsAnsiLeadByte(std::uint8_t byte) {
    return State().leadBits.Test(byte);
}

namespace {

void AppendUtf16Le(std::u16string& out, const char* begin, const char* end) {
    for (const char* p = begin; p + 1 < end; p += 2)
        out.push_back(static_cast<char16_t>(static_cast<unsigned char>(p[0]) |
                                            (static_cast<unsigned char>(p[1]) << 8)));
}

// A decoder per thread, reopened when the code page changes: opening an iconv descriptor
// costs more than converting a name, and scans decode millions of them.
Iconv& ThreadDecoder(const std::string& codePage) {
    thread_local std::string name;
    thread_local std::unique_ptr<Iconv> decoder;
    if (!decoder || name != codePage) {
        decoder = std::make_unique<Iconv>("UTF-16LE", codePage.c_str());
        name = codePage;
    }
    ::iconv(decoder->Get(), nullptr, nullptr, nullptr, nullptr); // initial state
    return *decoder;
}

} // namespace

std::u16string DecodeAnsi(std::span<const std::uint8_t> bytes) {
    std::u16string out;
    // Most short names and many texts are plain ASCII: no lock, no iconv.
    if (State().plainBits.TestAll(bytes)) {
        out.resize(bytes.size());
        for (std::size_t i = 0; i < bytes.size(); ++i)
            out[i] = static_cast<char16_t>(bytes[i]);
        return out;
    }
    Iconv& cd = ThreadDecoder(AnsiCodePage());
    if (!cd.Ok()) {
        for (auto b : bytes)
            out.push_back(b < 0x80 ? static_cast<char16_t>(b) : u'\uFFFD');
        return out;
    }
    // The whole text at once first: most names and texts are clean.
    {
        std::string buffer(bytes.size() * 4 + 8, '\0');
        char* inPtr = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
        std::size_t inLeft = bytes.size();
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        if (::iconv(cd.Get(), &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1) &&
            inLeft == 0) {
            AppendUtf16Le(out, buffer.data(), outPtr);
            return out;
        }
        ::iconv(cd.Get(), nullptr, nullptr, nullptr, nullptr);
    }
    std::size_t pos = 0;
    char buffer[4];
    while (pos < bytes.size()) {
        // Convert one character at a time so a bad byte costs only itself.
        const std::size_t width = (IsAnsiLeadByte(bytes[pos]) && pos + 1 < bytes.size()) ? 2 : 1;
        char in[2] = {static_cast<char>(bytes[pos]),
                      static_cast<char>(width == 2 ? bytes[pos + 1] : 0)};
        char* inPtr = in;
        std::size_t inLeft = width;
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t rc = ::iconv(cd.Get(), &inPtr, &inLeft, &outPtr, &outLeft);
        if (rc == static_cast<std::size_t>(-1) || inLeft != 0) {
            ::iconv(cd.Get(), nullptr, nullptr, nullptr, nullptr);
            out.push_back(u'\uFFFD');
            pos += 1;
            continue;
        }
        AppendUtf16Le(out, buffer, outPtr);
        pos += width;
    }
    return out;
}

std::string EncodeAnsi(std::u16string_view text) {
    std::string out;
    Iconv cd(AnsiCodePage().c_str(), "UTF-16LE");
    for (std::size_t i = 0; i < text.size(); ++i) {
        char in[4];
        std::size_t inLeft = 2;
        in[0] = static_cast<char>(text[i] & 0xFF);
        in[1] = static_cast<char>(text[i] >> 8);
        if (text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size()) {
            in[2] = static_cast<char>(text[i + 1] & 0xFF);
            in[3] = static_cast<char>(text[i + 1] >> 8);
            inLeft = 4;
        }
        const std::size_t consumed = inLeft / 2;
        char buffer[8];
        char* inPtr = in;
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        if (!cd.Ok() ||
            ::iconv(cd.Get(), &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
            if (cd.Ok())
                ::iconv(cd.Get(), nullptr, nullptr, nullptr, nullptr);
            out.push_back(text[i] < 0x80 ? static_cast<char>(text[i]) : '?');
        } else {
            out.append(buffer, outPtr);
        }
        i += consumed - 1;
    }
    return out;
}

} // namespace vantrel
