#include "SampleFiles.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <stdexcept>

namespace vantrel::testing {

namespace {

class Builder {
public:
    Builder& Raw(std::initializer_list<int> values) {
        for (int v : values)
            bytes.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Builder& Text(std::string_view text) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        return *this;
    }
    Builder& Zeros(std::size_t count) {
        bytes.insert(bytes.end(), count, 0);
        return *this;
    }
    Builder& Le16(std::uint32_t v) { return Le(v, 2); }
    Builder& Le32(std::uint32_t v) { return Le(v, 4); }
    Builder& Be16(std::uint32_t v) { return Be(v, 2); }
    Builder& Be32(std::uint32_t v) { return Be(v, 4); }
    Builder& Le(std::uint64_t v, int width) {
        for (int i = 0; i < width; ++i)
            bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
    Builder& Be(std::uint64_t v, int width) {
        for (int i = width - 1; i >= 0; --i)
            bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        return *this;
    }
    void SetLe32(std::size_t offset, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
    void SetBe32(std::size_t offset, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[offset + static_cast<std::size_t>(i)] =
                static_cast<std::uint8_t>(v >> (8 * (3 - i)));
    }
    std::size_t Size() const { return bytes.size(); }

    ByteVector bytes;
};

void PngChunk(Builder& b, std::string_view type, const ByteVector& data) {
    b.Be32(static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = b.Size();
    b.Text(type);
    b.bytes.insert(b.bytes.end(), data.begin(), data.end());
    b.Be32(Crc32(b.bytes.data() + typeAt, b.Size() - typeAt));
}

SampleFile Aaf() {
    return {FileKind::Aaf, CompoundDocument({u"WordDocument"}), 0};
}

SampleFile Aif() {
    Builder b;
    b.Text("FORM").Be32(0).Text("AIFF").Text("COMM").Be32(18);
    b.Be16(1).Be32(4).Be16(8);                                           // channels, frames, bits
    b.Raw({0x40, 0x0B, 0xFA, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}); // 8000 Hz
    b.Text("SSND").Be32(12).Be32(0).Be32(0).Raw({0x80, 0x80, 0x80, 0x80});
    b.SetBe32(4, static_cast<std::uint32_t>(b.Size() - 8));
    return {FileKind::Aif, b.bytes, b.Size()};
}

SampleFile Au() {
    Builder b;
    b.Text(".snd").Be32(28).Be32(4).Be32(2).Be32(8000).Be32(1).Zeros(4);
    b.Raw({0x10, 0x20, 0x30, 0x40});
    return {FileKind::Au, b.bytes, b.Size()};
}

SampleFile Avi() {
    Builder b;
    b.Text("RIFF").Le32(0).Text("AVI ");
    b.Text("LIST").Le32(4 + 8 + 56).Text("hdrl").Text("avih").Le32(56);
    b.Le32(40000).Le32(0).Le32(0).Le32(0x10).Le32(1).Le32(0).Le32(1).Le32(0);
    b.Le32(1).Le32(1).Zeros(16);
    b.Text("LIST").Le32(4).Text("movi");
    b.SetLe32(4, static_cast<std::uint32_t>(b.Size() - 8));
    // The carved length is the RIFF size + 16, eight bytes past the file.
    return {FileKind::Avi, b.bytes, b.Size() + 8};
}

SampleFile Bmp() {
    Builder b;
    b.Text("BM").Le32(58).Le16(0).Le16(0).Le32(54);
    b.Le32(40).Le32(1).Le32(1).Le16(1).Le16(24).Le32(0).Le32(4).Le32(2835).Le32(2835);
    b.Le32(0).Le32(0).Raw({0xFF, 0x00, 0x00, 0x00});
    return {FileKind::Bmp, b.bytes, 58};
}

SampleFile Cab() {
    Builder b;
    b.Text("MSCF").Le32(0).Le32(0).Le32(0).Le32(44).Le32(0);
    b.Raw({3, 1}).Le16(1).Le16(1).Le16(0).Le16(0x1234).Le16(0);
    b.Le32(66).Le16(1).Le16(0); // folder: data at 66
    b.Le32(2).Le32(0).Le16(0).Le16(0x21).Le16(0).Le16(0x20).Text("a.txt").Zeros(1);
    b.Le32(0).Le16(2).Le16(2).Text("hi"); // one data block
    b.SetLe32(8, static_cast<std::uint32_t>(b.Size()));
    return {FileKind::Cab, b.bytes, b.Size()};
}

SampleFile Gif() {
    Builder b;
    b.Text("GIF89a").Raw({0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00});
    b.Raw({0x00, 0x00, 0x00, 0xFF, 0xFF, 0xFF});
    b.Raw({0x2C, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00});
    b.Raw({0x02, 0x02, 0x44, 0x01, 0x00, 0x3B});
    return {FileKind::Gif, b.bytes, b.Size()};
}

SampleFile Jpg() {
    Builder b;
    b.Raw({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10}).Text("JFIF").Raw({0, 1, 1, 0, 0, 1, 0, 1, 0, 0});
    b.Raw({0xFF, 0xDB, 0x00, 0x43, 0x00});
    b.bytes.insert(b.bytes.end(), 64, 1);
    b.Raw({0xFF, 0xC0, 0x00, 0x0B, 0x08, 0x00, 0x01, 0x00, 0x01, 0x01, 0x01, 0x11, 0x00});
    for (int table : {0x00, 0x10}) {
        b.Raw({0xFF, 0xC4, 0x00, 0x14, table, 0x01}).Zeros(15).Raw({0x00});
    }
    b.Raw({0xFF, 0xDA, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3F, 0x00});
    b.Raw({0x3F, 0xFF, 0xD9}); // one block: DC 0, end of block
    return {FileKind::Jpg, b.bytes, b.Size()};
}

SampleFile Lzh() {
    Builder b;
    b.Raw({0, 0}).Text("-lh5-").Le32(0).Le32(0).Le32(0x21000000).Raw({0x20, 0x00, 5});
    b.Text("a.txt").Le16(0);
    b.bytes[0] = static_cast<std::uint8_t>(b.Size() - 2);
    unsigned sum = 0;
    for (std::size_t i = 2; i < b.Size(); ++i)
        sum += b.bytes[i];
    b.bytes[1] = static_cast<std::uint8_t>(sum);
    b.Raw({0x00}); // end of archive
    return {FileKind::Lzh, b.bytes, 0};
}

ByteVector MidiBytes() {
    Builder b;
    b.Text("MThd").Be32(6).Be16(0).Be16(1).Be16(0x60);
    b.Text("MTrk").Be32(4).Raw({0x00, 0xFF, 0x2F, 0x00});
    return b.bytes;
}

SampleFile Mid() {
    ByteVector bytes = MidiBytes();
    const std::uint64_t size = bytes.size();
    return {FileKind::Mid, std::move(bytes), size};
}

SampleFile Mov() {
    Builder b;
    b.Be32(8 + 108).Text("moov").Be32(108).Text("mvhd");
    b.Le32(0).Be32(0).Be32(0).Be32(600).Be32(0).Be32(0x00010000).Be16(0x0100).Zeros(10);
    for (std::uint32_t m : {0x00010000u, 0u, 0u, 0u, 0x00010000u, 0u, 0u, 0u, 0x40000000u})
        b.Be32(m);
    b.Zeros(24).Be32(1);
    return {FileKind::Mov, b.bytes, 0};
}

SampleFile Mp3() {
    Builder b;
    for (int frame = 0; frame < 2; ++frame)
        b.Raw({0xFF, 0xFB, 0x90, 0x64}).Zeros(413); // MPEG-1 layer III, 128 kbit/s
    b.Text("TAG").Text("Title").Zeros(25).Text("Artist").Zeros(24).Zeros(30 + 4 + 30);
    b.Raw({0xFF});
    return {FileKind::Mp3, b.bytes, b.Size()};
}

SampleFile Mpg() {
    Builder b;
    b.Raw({0x00, 0x00, 0x01, 0xBA, 0x21, 0x00, 0x01, 0x00, 0x01, 0x80, 0x1B, 0x91});
    b.Raw({0x00, 0x00, 0x01, 0xBB, 0x00, 0x09, 0x80, 0x1B, 0x91, 0x04, 0xE1, 0xFF});
    b.Raw({0xE0, 0xE0, 0xE8});
    b.Raw({0x00, 0x00, 0x01, 0xB9});
    return {FileKind::Mpg, b.bytes, b.Size()};
}

SampleFile Ai() {
    Builder b;
    b.Text("%!PS-Adobe-3.0\n%%Creator: Vantrel test\n%%BoundingBox: 0 0 10 10\n");
    b.Text("%%EndComments\n0 0 moveto 10 10 lineto stroke\nshowpage\n%%EOF\n");
    return {FileKind::Ai, b.bytes, b.Size()};
}

SampleFile Eps() {
    const std::string_view postscript =
        "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\nshowpage\n%%EOF\n";
    Builder b;
    b.Raw({0xC5, 0xD0, 0xD3, 0xC6}).Le32(30).Le32(static_cast<std::uint32_t>(postscript.size()));
    b.Le32(0).Le32(0).Le32(0).Le32(0).Le16(0xFFFF).Text(postscript);
    return {FileKind::Eps, b.bytes, 0};
}

SampleFile Pdf() {
    Builder b;
    b.Text("%PDF-1.1\n1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n");
    b.Text("2 0 obj<</Type/Pages/Kids[]/Count 0>>endobj\ntrailer<</Root 1 0 R>>\n%%EOF\n");
    return {FileKind::Pdf, b.bytes, b.Size()};
}

SampleFile Png() {
    Builder b;
    b.Raw({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A});
    PngChunk(b, "IHDR", {0, 0, 0, 1, 0, 0, 0, 1, 8, 0, 0, 0, 0});
    PngChunk(b, "IDAT",
             {0x78, 0x01, 0x01, 0x02, 0x00, 0xFD, 0xFF, 0x00, 0x00, 0x00, 0x02, 0x00, 0x01});
    PngChunk(b, "IEND", {});
    return {FileKind::Png, b.bytes, b.Size()};
}

SampleFile Tif() {
    Builder b;
    b.Text("II").Le16(42).Le32(8).Le16(8);
    const auto entry = [&b](std::uint16_t tag, std::uint16_t type, std::uint32_t value) {
        b.Le16(tag).Le16(type).Le32(1);
        if (type == 3)
            b.Le16(value).Le16(0);
        else
            b.Le32(value);
    };
    entry(256, 3, 1);
    entry(257, 3, 1);
    entry(258, 3, 8);
    entry(259, 3, 1);
    entry(262, 3, 1);
    entry(273, 4, 8 + 2 + 8 * 12 + 4);
    entry(278, 3, 1);
    entry(279, 4, 1);
    b.Le32(0).Raw({0x7F});
    return {FileKind::Tif, b.bytes, 0};
}

SampleFile Qt() {
    Builder b;
    b.Be32(8).Text("wide").Be32(12).Text("mdat").Raw({1, 2, 3, 4});
    return {FileKind::Qt, b.bytes, 0};
}

SampleFile Rm() {
    Builder b;
    b.Text(".RMF").Be32(18).Be16(0).Be32(0).Be32(0);
    return {FileKind::Rm, b.bytes, 0};
}

SampleFile Rmi() {
    const ByteVector midi = MidiBytes();
    Builder b;
    b.Text("RIFF").Le32(0).Text("RMID").Text("data").Le32(static_cast<std::uint32_t>(midi.size()));
    b.bytes.insert(b.bytes.end(), midi.begin(), midi.end());
    b.SetLe32(4, static_cast<std::uint32_t>(b.Size() - 8));
    return {FileKind::Rmi, b.bytes, b.Size()};
}

SampleFile Txt() {
    Builder b;
    b.Text("Shopping list\r\n\tmilk\r\n\tbread\r\n");
    b.Raw({0x93, 0xFA, 0x96, 0x7B, 0x8C, 0xEA, 0x0D, 0x0A}); // Shift-JIS words
    b.Raw({0xB1, 0xB2, 0xB3, 0x0D, 0x0A});                   // half-width kana
    for (int i = 0; i < 8; ++i)
        b.Text("The quick brown fox jumps over the lazy dog.\r\n");
    return {FileKind::Txt, b.bytes, b.Size()};
}

SampleFile Wav() {
    Builder b;
    b.Text("RIFF").Le32(0).Text("WAVE").Text("fmt ").Le32(16);
    b.Le16(1).Le16(1).Le32(8000).Le32(8000).Le16(1).Le16(8);
    b.Text("data").Le32(4).Raw({0x80, 0x81, 0x82, 0x83});
    b.SetLe32(4, static_cast<std::uint32_t>(b.Size() - 8));
    return {FileKind::Wav, b.bytes, b.Size()};
}

SampleFile Wmv() {
    Builder b;
    b.Raw({0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE,
           0x6C});
    b.Le(30, 8).Le32(0).Raw({0x01, 0x02});
    return {FileKind::Wmv, b.bytes, 0};
}

SampleFile Zip() {
    const std::uint32_t crc = Crc32(reinterpret_cast<const std::uint8_t*>("hi"), 2);
    Builder b;
    b.Text("PK").Raw({3, 4}).Le16(10).Le16(0).Le16(0).Le16(0).Le16(0x21).Le32(crc);
    b.Le32(2).Le32(2).Le16(5).Le16(0).Text("a.txt").Text("hi");
    const std::size_t central = b.Size();
    b.Text("PK").Raw({1, 2}).Le16(20).Le16(10).Le16(0).Le16(0).Le16(0).Le16(0x21).Le32(crc);
    b.Le32(2).Le32(2).Le16(5).Le16(0).Le16(0).Le16(0).Le16(0).Le32(0).Le32(0).Text("a.txt");
    const std::size_t centralSize = b.Size() - central;
    b.Text("PK").Raw({5, 6}).Le16(0).Le16(0).Le16(1).Le16(1);
    b.Le32(static_cast<std::uint32_t>(centralSize)).Le32(static_cast<std::uint32_t>(central));
    b.Le16(0);
    return {FileKind::Zip, b.bytes, b.Size()};
}

} // namespace

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

ByteVector CompoundDocument(const std::vector<std::u16string>& streams) {
    constexpr std::size_t kSector = 512;
    const std::size_t entries = streams.size() + 1;
    const std::size_t dirSectors = (entries * 128 + kSector - 1) / kSector;
    ByteVector doc(kSector * (2 + dirSectors), 0);
    const auto put = [&doc](std::size_t offset, std::uint64_t value, int width) {
        for (int i = 0; i < width; ++i)
            doc[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    put(0, 0xE11AB1A1E011CFD0, 8); // the magic D0 CF 11 E0 A1 B1 1A E1

    put(24, 0x3E, 2);       // minor version
    put(26, 3, 2);          // major version
    put(28, 0xFFFE, 2);     // byte order
    put(30, 9, 2);          // sector shift: 512-byte sectors
    put(32, 6, 2);          // mini sector shift
    put(44, 1, 4);          // FAT sectors
    put(48, 1, 4);          // first directory sector
    put(56, 4096, 4);       // mini stream cutoff
    put(60, 0xFFFFFFFE, 4); // no mini FAT
    put(68, 0xFFFFFFFE, 4); // no DIFAT sectors
    put(76, 0, 4);          // the FAT is sector 0
    for (std::size_t i = 80; i < kSector; i += 4)
        put(i, 0xFFFFFFFF, 4);
    // FAT (sector 0): itself, then the directory chain.
    put(kSector, 0xFFFFFFFD, 4);
    for (std::size_t s = 0; s < dirSectors; ++s)
        put(kSector + 4 * (1 + s), s + 1 < dirSectors ? s + 2 : 0xFFFFFFFE, 4);
    for (std::size_t s = 1 + dirSectors; s < 128; ++s)
        put(kSector + 4 * s, 0xFFFFFFFF, 4);
    // Directory from sector 1.
    const std::size_t dir = 2 * kSector;
    for (std::size_t e = 0; e < dirSectors * kSector / 128; ++e) {
        const std::size_t at = dir + e * 128;
        put(at + 68, 0xFFFFFFFF, 4);
        put(at + 72, 0xFFFFFFFF, 4);
        put(at + 76, 0xFFFFFFFF, 4);
        if (e >= entries)
            continue;
        const std::u16string name = e == 0 ? u"Root Entry" : streams[e - 1];
        for (std::size_t c = 0; c < name.size() && c < 31; ++c)
            put(at + 2 * c, name[c], 2);
        put(at + 64, 2 * (std::min<std::size_t>(name.size(), 31) + 1), 2);
        doc[at + 66] = e == 0 ? 5 : 2; // root storage / stream
        if (e == 0 && entries > 1)
            put(at + 76, 1, 4); // child
        if (e > 0 && e + 1 < entries)
            put(at + 72, e + 1, 4); // right sibling
        put(at + 116, 0xFFFFFFFE, 4);
    }
    return doc;
}

std::vector<SampleFile> AllSamples() {
    return {Aaf(), Aif(), Au(),  Avi(), Bmp(), Cab(), Gif(), Jpg(), Lzh(),
            Mid(), Mov(), Mp3(), Mpg(), Ai(),  Eps(), Pdf(), Png(), Tif(),
            Qt(),  Rm(),  Rmi(), Txt(), Wav(), Wmv(), Zip()};
}

SampleFile Sample(FileKind kind) {
    for (SampleFile& sample : AllSamples()) {
        if (sample.kind == kind)
            return sample;
    }
    throw std::invalid_argument("no sample of that kind");
}

ByteVector Noise(std::size_t sectors, std::uint32_t seed, std::size_t sectorSize) {
    std::mt19937 random(seed);
    ByteVector bytes(sectors * sectorSize);
    for (auto& byte : bytes)
        byte = static_cast<std::uint8_t>(random() & 0xFF);
    for (std::size_t s = 0; s < sectors; ++s)
        bytes[s * sectorSize] = 0x01;
    return bytes;
}

SectorImage::SectorImage(std::size_t sectors, std::size_t sectorSize, std::uint32_t seed)
    : sectorSize_(sectorSize), bytes_(Noise(sectors, seed, sectorSize)) {}

void SectorImage::Place(std::uint64_t lba, const ByteVector& bytes) {
    const std::size_t at = static_cast<std::size_t>(lba) * sectorSize_;
    if (at + bytes.size() > bytes_.size())
        throw std::out_of_range("file does not fit the image");
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(at));
    const std::size_t end = at + bytes.size();
    const std::size_t sectorEnd = (end + sectorSize_ - 1) / sectorSize_ * sectorSize_;
    std::fill(bytes_.begin() + static_cast<std::ptrdiff_t>(end),
              bytes_.begin() + static_cast<std::ptrdiff_t>(std::min(sectorEnd, bytes_.size())),
              std::uint8_t{0});
}

void SectorImage::Fill(std::uint64_t lba, std::size_t sectors, std::uint8_t value) {
    const std::size_t at = static_cast<std::size_t>(lba) * sectorSize_;
    std::fill_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at), sectors * sectorSize_, value);
}

CarveRun CarveImage(const ByteVector& image, std::uint32_t sectorSize, std::uint64_t rangeStart,
                    std::uint64_t rangeLength) {
    const std::uint64_t sectors = image.size() / sectorSize;
    if (rangeLength == ~std::uint64_t{0})
        rangeLength = sectors - rangeStart;
    CarveRun run;
    SignatureCarver carver;
    EXPECT_TRUE(carver.Reset(sectorSize));
    const CarveChunkReader read = [&](std::uint64_t lba, std::uint32_t count,
                                      std::span<std::uint8_t> out) {
        run.readLbas.push_back(lba);
        EXPECT_EQ(out.size(), std::size_t{count} * sectorSize);
        EXPECT_LE(lba + count, rangeStart + rangeLength);
        if (lba + count > sectors || out.size() != std::size_t{count} * sectorSize)
            return;
        std::memcpy(out.data(), image.data() + lba * sectorSize, out.size());
    };
    const FoundFileSink found = [&](const FoundCarvedFile& file) {
        const std::size_t at = static_cast<std::size_t>(file.startLba) * sectorSize;
        EXPECT_FALSE(file.head.empty());
        EXPECT_TRUE(file.head.size() <= image.size() - at &&
                    std::equal(file.head.begin(), file.head.end(),
                               image.begin() + static_cast<std::ptrdiff_t>(at)));
        run.headSizes.push_back(file.head.size());
        run.files.push_back(file);
        run.files.back().head = {};
    };
    std::uint64_t position = 0;
    for (int step = 0; step < 1000000; ++step) {
        const std::uint64_t result = carver.Step(rangeStart, rangeLength, position, read, found);
        run.stepResults.push_back(result);
        if (result == kCarveComplete || result == 0)
            break;
        EXPECT_GT(result, position);
        position = result;
    }
    EXPECT_FALSE(carver.Current().open);
    return run;
}

} // namespace vantrel::testing
