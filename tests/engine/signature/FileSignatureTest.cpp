#include "engine/signature/FileSignature.h"

#include "SampleFiles.h"
#include "engine/signature/CarvedName.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

ByteVector Prefix(const ByteVector& bytes, std::size_t count) {
    return ByteVector(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(count));
}

ByteVector TextWindow(std::string_view head, std::size_t size = 4096) {
    ByteVector window(size, 'a');
    std::memcpy(window.data(), head.data(), head.size());
    for (std::size_t i = 64; i < size; i += 64)
        window[i] = '\n';
    return window;
}

std::string Ascii(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

} // namespace

// Each kind placed at a sector start with noise before and after it is carved with its
// kind, its start sector, and its length from the header, the end marker or the text end;
// kinds that record no length run to the next file start (a bitmap at sector 20).
TEST(SignatureDatabase, EveryKindIsCarvedFromNoiseWithItsLength) {
    const std::vector<SampleFile> samples = AllSamples();
    ASSERT_EQ(samples.size(), static_cast<std::size_t>(kFileKindCount));
    const SampleFile terminator = Sample(FileKind::Bmp);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const SampleFile& sample = samples[i];
        SCOPED_TRACE(std::string(KindExtensionAscii(sample.kind)));
        ASSERT_EQ(sample.kind, static_cast<FileKind>(i + 1)); // samples follow kind order
        SectorImage image(40, 512, static_cast<std::uint32_t>(i + 7));
        image.Place(5, sample.bytes);
        image.Place(20, terminator.bytes);
        const CarveRun run = CarveImage(image.Bytes(), 512);
        ASSERT_EQ(run.files.size(), 2u);
        const FoundCarvedFile& file = run.files[0];
        EXPECT_EQ(file.kind, sample.kind);
        EXPECT_EQ(file.startLba, 5u);
        EXPECT_EQ(file.size, sample.carvedSize != 0 ? sample.carvedSize : 15u * 512);
        EXPECT_EQ(Ascii(file.name),
                  "0000000000000005." + std::string(KindExtensionAscii(sample.kind)));
        EXPECT_EQ(run.files[1].startLba, 20u);
        EXPECT_EQ(run.files[1].size, terminator.carvedSize);
    }
}

// Every prefix of every sample, in a buffer of exactly that size, is tested without
// reading past it (the sanitizer checks), and each kind needs exactly the length its test
// names.
TEST(SignatureDatabase, TestsStayInsideShortWindows) {
    struct Minimum {
        FileKind kind;
        std::size_t length;
    };
    const Minimum minimums[] = {
        {FileKind::Aaf, 512}, {FileKind::Aif, 46}, {FileKind::Au, 12},  {FileKind::Avi, 12},
        {FileKind::Bmp, 8},   {FileKind::Cab, 12}, {FileKind::Gif, 13}, {FileKind::Jpg, 10},
        {FileKind::Lzh, 17},  {FileKind::Mid, 22}, {FileKind::Mov, 16}, {FileKind::Mp3, 4},
        {FileKind::Mpg, 4},   {FileKind::Ai, 11},  {FileKind::Eps, 30}, {FileKind::Pdf, 8},
        {FileKind::Png, 8},   {FileKind::Tif, 4},  {FileKind::Qt, 16},  {FileKind::Rm, 4},
        {FileKind::Rmi, 12},  {FileKind::Wav, 12}, {FileKind::Wmv, 16}, {FileKind::Zip, 4},
    };
    for (const Minimum& minimum : minimums) {
        if (minimum.length <= 4)
            continue; // a 4-byte window is one repeated word: never a start (below)
        const SampleFile sample = Sample(minimum.kind);
        SCOPED_TRACE(std::string(KindExtensionAscii(minimum.kind)));
        ASSERT_GE(sample.bytes.size(), minimum.length);
        EXPECT_EQ(DetectFileType(Prefix(sample.bytes, minimum.length)).kind, minimum.kind);
        EXPECT_NE(DetectFileType(Prefix(sample.bytes, minimum.length - 1)).kind, minimum.kind);
    }
    for (const SampleFile& sample : AllSamples()) {
        for (std::size_t n = 0; n <= sample.bytes.size(); ++n) {
            const ByteVector head = Prefix(sample.bytes, n);
            (void)DetectFileType(head);
            const ByteVector tail(sample.bytes.end() - static_cast<std::ptrdiff_t>(n),
                                  sample.bytes.end());
            for (int k = 1; k <= kFileKindCount; ++k) {
                (void)FindEndMarker(tail, static_cast<FileKind>(k));
                (void)IsNewFileStart(head, static_cast<FileKind>(k));
            }
        }
    }
}

TEST(SignatureDatabase, HeaderLengthsAreSixtyFourBit) {
    // A RIFF size near 4 GiB must not wrap to a small length when the header is added.
    ByteVector wav = Sample(FileKind::Wav).bytes;
    PutLe(wav, 4, 0xFFFFFFFC, 4);
    EXPECT_EQ(DetectFileType(wav).headerLength, 0xFFFFFFFCull + 8);
    ByteVector aif = Sample(FileKind::Aif).bytes;
    PutBe(aif, 42, 0xFFFFFFF0, 4);
    EXPECT_EQ(DetectFileType(aif).headerLength, 0xFFFFFFF0ull + 46);
}

TEST(SignatureDatabase, FirstKindInOrderDecides) {
    // Text whose first bytes also read as a WAV header is text: text is tested first.
    ByteVector riffText = TextWindow("RIFF    WAVEfmt ");
    EXPECT_EQ(DetectFileType(riffText).kind, FileKind::Txt);
    // A text window with "-lh5-" at byte 2 is an archive: LZH precedes text.
    EXPECT_EQ(DetectFileType(TextWindow("ab-lh5-xxxxxxxxxxxxxx")).kind, FileKind::Lzh);
    // A compound-document magic with a non-zero class id is not a compound document.
    ByteVector aaf = Sample(FileKind::Aaf).bytes;
    aaf[12] = 1;
    EXPECT_FALSE(DetectFileType(aaf));
    // An MPEG audio header whose bitrate byte is 0xFF is not a frame.
    const ByteVector badFrame = {0xFF, 0xFB, 0x90, 0xFF, 0x12, 0x34};
    EXPECT_FALSE(DetectFileType(badFrame));
    const ByteVector id3v4 = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, 0, 1, 2};
    EXPECT_FALSE(DetectFileType(id3v4));
}

TEST(SignatureDatabase, UniformWindowsStartNothing) {
    EXPECT_FALSE(DetectFileType(ByteVector(4096, 0)));
    EXPECT_FALSE(DetectFileType(ByteVector(4096, ' '))); // would otherwise be text
    ByteVector zipPattern(4096);
    for (std::size_t i = 0; i < zipPattern.size(); i += 4) {
        zipPattern[i] = 'P';
        zipPattern[i + 1] = 'K';
        zipPattern[i + 2] = 3;
        zipPattern[i + 3] = 4;
    }
    EXPECT_FALSE(DetectFileType(zipPattern));
    EXPECT_FALSE(DetectFileType(Bytes(zipPattern.data(), 4)));
    EXPECT_FALSE(DetectFileType(Bytes(zipPattern.data(), 7)));
    const ByteVector twoWords = {'P', 'K', 3, 4, 'P', 'K', 3, 5};
    EXPECT_EQ(DetectFileType(twoWords).kind, FileKind::Zip);
    zipPattern[4095] = 0; // the last full word differs: a start again
    EXPECT_EQ(DetectFileType(zipPattern).kind, FileKind::Zip);
}

TEST(SignatureDatabase, WhatEndsAnOpenFile) {
    const ByteVector text = TextWindow("plain text");
    const ByteVector pdf = Sample(FileKind::Pdf).bytes;
    const ByteVector frame = {0xFF, 0xFB, 0x90, 0x64, 0, 0, 0, 0};
    const ByteVector id3 = {'I', 'D', '3', 3, 0, 0, 0, 0, 0x10, 0x00, 0, 0};
    const ByteVector mpg = Sample(FileKind::Mpg).bytes;
    const ByteVector jpg = Sample(FileKind::Jpg).bytes;
    const ByteVector textLookingWav = TextWindow("RIFF    WAVEfmt ");
    const ByteVector wav = Sample(FileKind::Wav).bytes;

    for (FileKind open : {FileKind::Pdf, FileKind::Ai, FileKind::Eps, FileKind::Mp3}) {
        EXPECT_FALSE(IsNewFileStart(text, open)) << KindExtensionAscii(open);
        EXPECT_FALSE(IsNewFileStart(textLookingWav, open)) << KindExtensionAscii(open);
        EXPECT_TRUE(IsNewFileStart(wav, open)) << KindExtensionAscii(open);
    }
    EXPECT_TRUE(IsNewFileStart(text, FileKind::Jpg));
    EXPECT_FALSE(IsNewFileStart(text, FileKind::Txt));
    EXPECT_FALSE(IsNewFileStart(textLookingWav, FileKind::Txt));
    EXPECT_TRUE(IsNewFileStart(jpg, FileKind::Txt));
    EXPECT_TRUE(IsNewFileStart(pdf, FileKind::Pdf));
    EXPECT_TRUE(IsNewFileStart(jpg, FileKind::Jpg));
    EXPECT_FALSE(IsNewFileStart(mpg, FileKind::Mpg));
    EXPECT_FALSE(IsNewFileStart(frame, FileKind::Mp3));
    EXPECT_TRUE(IsNewFileStart(id3, FileKind::Mp3));
    EXPECT_TRUE(IsNewFileStart(frame, FileKind::Jpg));
    EXPECT_FALSE(IsNewFileStart(ByteVector(4096, 0), FileKind::Jpg));
}

TEST(SignatureDatabase, EndMarkers) {
    const auto marker = [](std::initializer_list<int> bytes, FileKind kind) {
        ByteVector v;
        for (int b : bytes)
            v.push_back(static_cast<std::uint8_t>(b));
        return FindEndMarker(v, kind);
    };
    EXPECT_EQ(marker({0x00, 0x3B, 0x00, 0x00}, FileKind::Gif), 2u);
    EXPECT_EQ(marker({0x00, 0x3B, 0x00}, FileKind::Gif), 0u); // pattern cut short
    EXPECT_EQ(marker({0xFF, 0xD9, 0x00, 0x00}, FileKind::Jpg), 2u);
    EXPECT_EQ(marker({0xFF, 0xD9, 0x00, 0x01}, FileKind::Jpg), 0u);
    EXPECT_EQ(marker({0xFF, 0xD9, 0x00, 0x00}, FileKind::Png), 0u); // marker of another kind
    EXPECT_EQ(marker({0xFF, 0x2F, 0x00, 0x00, 0x00}, FileKind::Mid), 3u);
    EXPECT_EQ(marker({0x00, 0x00, 0x01, 0xB9, 0x00, 0x00}, FileKind::Mpg), 4u);
    EXPECT_EQ(marker({0x00, 0x00, 0x01, 0xB9, 0x00, 0x00}, FileKind::Bmp), 0u);

    ByteVector tag(128, 0);
    std::memcpy(tag.data(), "TAG", 3);
    EXPECT_EQ(FindEndMarker(tag, FileKind::Mp3), 128u);
    EXPECT_EQ(FindEndMarker(Prefix(tag, 127), FileKind::Mp3), 0u);

    ByteVector eof(16, 0);
    std::memcpy(eof.data(), "%%EOF\r\n", 7);
    EXPECT_EQ(FindEndMarker(eof, FileKind::Pdf), 7u);
    EXPECT_EQ(FindEndMarker(eof, FileKind::Ai), 7u);
    EXPECT_EQ(FindEndMarker(Prefix(eof, 9), FileKind::Pdf), 0u);
    eof[8] = 'x'; // more follows: an incremental update, not the end
    EXPECT_EQ(FindEndMarker(eof, FileKind::Pdf), 0u);

    ByteVector png(16, 0);
    std::memcpy(png.data() + 4, "IEND\xAE\x42\x60\x82", 8);
    EXPECT_EQ(FindEndMarker(png, FileKind::Png), 12u);
    png[13] = 1;
    EXPECT_EQ(FindEndMarker(png, FileKind::Png), 0u);

    ByteVector zip(24, 0);
    std::memcpy(zip.data(), "PK\x05\x06", 4);
    EXPECT_EQ(FindEndMarker(zip, FileKind::Zip), 22u);
    EXPECT_EQ(FindEndMarker(Prefix(zip, 23), FileKind::Zip), 0u);
}

TEST(SignatureDatabase, SearchFindsTheFirstMarkerStartingInRange) {
    ByteVector bytes(64, 0x11);
    const std::uint8_t eoi[] = {0xFF, 0xD9, 0x00, 0x00};
    std::memcpy(bytes.data() + 30, eoi, 4);
    std::memcpy(bytes.data() + 50, eoi, 4);
    EndMarkerHit hit = SearchEndMarker(bytes, 64, FileKind::Jpg);
    EXPECT_TRUE(hit.found);
    EXPECT_EQ(hit.offset, 30u);
    EXPECT_EQ(hit.End(), 32u);
    // A marker may run past the searched offsets but must start within them.
    EXPECT_EQ(SearchEndMarker(bytes, 31, FileKind::Jpg).offset, 30u);
    EXPECT_FALSE(SearchEndMarker(bytes, 30, FileKind::Jpg).found);
    EXPECT_FALSE(SearchEndMarker(bytes, 64, FileKind::Bmp).found);
    EXPECT_FALSE(SearchEndMarker(Prefix(bytes, 33), 1000, FileKind::Jpg).found);
}

// The search skips 16 offsets at a time; it must still find what trying every offset
// finds, for every kind, with markers and near misses at every alignment and range end.
TEST(SignatureDatabase, SearchAgreesWithTryingEveryOffset) {
    const std::string markers[] = {std::string("\xFF\xD9\0\0", 4),
                                   std::string("\0\x3B\0\0", 4),
                                   std::string("\xFF\x2F\0\0\0", 5),
                                   std::string("\0\0\x01\xB9\0\0", 6),
                                   std::string("\0\0\0\0IEND\xAE\x42\x60\x82\0\0\0\0", 16),
                                   std::string("%%EOF\r\n\0\0\0", 10),
                                   std::string("PK\x05\x06", 4) + std::string(20, '\0'),
                                   "TAG"};
    std::uint32_t seed = 2026;
    const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) >> 8; };
    for (int round = 0; round < 400; ++round) {
        ByteVector bytes(next() % 300);
        for (auto& byte : bytes)
            byte = next() % 2 ? static_cast<std::uint8_t>(next()) : (next() % 2 ? 0xFF : 0x00);
        for (unsigned planted = next() % 4; planted > 0 && bytes.size() > 24; --planted) {
            const std::string& marker = markers[next() % std::size(markers)];
            const std::size_t at = next() % (bytes.size() - marker.size() + 1);
            // Sometimes cut short by one byte: a near miss.
            std::memcpy(bytes.data() + at, marker.data(), marker.size() - next() % 2);
        }
        const std::size_t offsets = next() % (bytes.size() + 20);
        for (int k = 1; k <= kFileKindCount; ++k) {
            const auto kind = static_cast<FileKind>(k);
            EndMarkerHit expected;
            for (std::size_t o = 0; o < std::min(offsets, bytes.size()) && !expected.found; ++o)
                if (const std::size_t length = FindEndMarker(Bytes(bytes).subspan(o), kind))
                    expected = {true, o, length};
            const EndMarkerHit hit = SearchEndMarker(bytes, offsets, kind);
            ASSERT_EQ(hit.found, expected.found) << round << " " << k;
            ASSERT_EQ(hit.offset, expected.offset) << round << " " << k;
            ASSERT_EQ(hit.length, expected.length) << round << " " << k;
        }
    }
}
