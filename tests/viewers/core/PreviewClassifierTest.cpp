// The preview's probes in their order, on files built here, and the fitting rule.

#include "viewers/core/PreviewClassifier.h"

#include "engine/request/ScanLock.h"
#include "viewers/core/TextStream.h"

#include <cstring>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

using ByteVector = std::vector<std::uint8_t>;

ByteVector FromText(std::string_view text) {
    return ByteVector(text.begin(), text.end());
}

// Takes files that start with "PIC" for pictures, as a decoder would take its formats.
bool FakeDecoder(Bytes data) {
    return data.size() >= 3 && std::memcmp(data.data(), "PIC", 3) == 0;
}

Preview Classify(ByteVector bytes) {
    MemoryEntryReader reader(std::move(bytes));
    return ClassifyPreview(reader, FakeDecoder);
}

ByteVector CompoundDocument(std::uint8_t byte514) {
    ByteVector data(1024, 0);
    const std::uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(data.data(), signature, sizeof signature);
    data[514] = byte514;
    data[518] = 0xE7; // 999
    data[519] = 0x03;
    // "。" is not among the kept characters.
    const char16_t text[] = u"本文です。\rNext  line\x0001\x0002!";
    std::memcpy(data.data() + 600, text, sizeof text - 2);
    return data;
}

// A huge file that is never read whole.
class HugeReader : public EntryReader {
public:
    std::uint64_t Size() const override { return 0x100000000ull; }
    std::u16string Name() const override { return u"huge.bin"; }
    bool ReadAt(std::uint64_t, void* buffer, std::size_t count) override {
        if (count > 4096)
            return false; // loading the whole file is a fault
        std::memset(buffer, 'x', count);
        return true;
    }
};

// Bytes in memory that remembers how far into the file it was asked to read.
class CountingReader : public MemoryEntryReader {
public:
    using MemoryEntryReader::MemoryEntryReader;
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override {
        furthest = std::max(furthest, offset + count);
        return MemoryEntryReader::ReadAt(offset, buffer, count);
    }
    std::uint64_t furthest = 0;
};

constexpr PreviewLimits kSmallLimits{16, 64};

} // namespace

TEST(PreviewClassifier, ProbesRunInOrder) {
    EXPECT_EQ(Classify({}).kind, PreviewKind::none);

    // "ID3" needs 128 bytes; below that the file goes on to the other probes.
    ByteVector shortId3 = FromText("ID3");
    shortId3.resize(100, 'a');
    EXPECT_EQ(Classify(shortId3).kind, PreviewKind::text);
    ByteVector id3 = shortId3;
    id3.resize(128, 'a');
    EXPECT_EQ(Classify(id3).kind, PreviewKind::mp3Tags);

    ByteVector picture = FromText("PIC<html>");
    EXPECT_EQ(Classify(picture).kind, PreviewKind::image);
    EXPECT_EQ(Classify(picture).data, picture);

    const Preview document = Classify(CompoundDocument(105));
    EXPECT_EQ(document.kind, PreviewKind::documentText);
    EXPECT_NE(document.text.find(u" 本文です \r\nNext line !"), std::u16string::npos);
    // Failing the document test, it has zeros: no other probe takes it.
    EXPECT_EQ(Classify(CompoundDocument(104)).kind, PreviewKind::none);

    const Preview page = Classify(FromText("<html><script>x</script></html>"));
    EXPECT_EQ(page.kind, PreviewKind::html);
    EXPECT_EQ(page.text, u"\uFEFF<html>                  </html>");

    EXPECT_EQ(Classify(FromText("{\\rtf1 hello}")).kind, PreviewKind::richText);
    EXPECT_EQ(PreviewText(Classify(FromText("{\\rtf1 hello}"))), u"hello");
}

TEST(PreviewClassifier, TextStreamZeroRules) {
    const Preview terminated = Classify(FromText(std::string("plain\n\0", 7)));
    EXPECT_EQ(terminated.kind, PreviewKind::text);
    EXPECT_EQ(terminated.text, u"plain\n");
    EXPECT_EQ(Classify(FromText(std::string("pla\0in text", 11))).kind, PreviewKind::none);

    const ByteVector wide = {0xFF, 0xFE, 'h', 0, 0x2C, 0x67, '\n', 0};
    const Preview unicode = Classify(wide);
    EXPECT_EQ(unicode.kind, PreviewKind::text);
    EXPECT_EQ(unicode.text, u"h本\n");
    ByteVector wideZero = {0xFF, 0xFE, 'h', 0, 0, 0, 'i', 0, 'j', 0};
    EXPECT_EQ(Classify(wideZero).kind, PreviewKind::none);

    // A zero in the last two bytes is allowed only in the chunk that ends the data.
    ByteVector longText(4097, 'a');
    longText[4095] = 0;
    EXPECT_EQ(Classify(longText).kind, PreviewKind::none);
    longText[4095] = 'a';
    longText[4096] = 0;
    EXPECT_EQ(Classify(longText).kind, PreviewKind::text);
}

TEST(PreviewClassifier, LargeTextIsConvertedInPiecesWithoutSplittingCharacters) {
    // 日 (0x93 0xFA) straddles every piece boundary when the text is shifted by one byte.
    std::string text = "a";
    while (text.size() < 3 * 1024 * 1024)
        text += "\x93\xfa";
    const std::u16string decoded = DecodeAnsiInPieces(FromText(text));
    ASSERT_EQ(decoded.size(), 1 + (text.size() - 1) / 2);
    EXPECT_EQ(decoded.find_first_not_of(u"a日"), std::u16string::npos);
}

TEST(PreviewClassifier, HugeFilesAreNeverLoaded) {
    HugeReader reader;
    const Preview preview = ClassifyPreview(reader, FakeDecoder);
    EXPECT_EQ(preview.kind, PreviewKind::none);
    EXPECT_TRUE(preview.tooLarge);
    EXPECT_EQ(CannotPreviewMessage(true),
              u"このファイルはサイズが大きいためプレビューすることが出来ません。");
}

TEST(PreviewClassifier, LargeFilesShowTheirBeginningAndOnlyPicturesAreReadWhole) {
    // Text past the prefix: its first whole lines, the rest never read.
    CountingReader text(FromText("line one\nline two\nline three\n"));
    Preview preview = ClassifyPreview(text, FakeDecoder, kSmallLimits);
    EXPECT_EQ(preview.kind, PreviewKind::text);
    EXPECT_EQ(preview.text, u"line one\n");
    EXPECT_EQ(preview.shownBytes, 9u);
    EXPECT_EQ(text.furthest, 16u);
    // UTF-16 is cut after a whole line-feed unit; one line longer than the prefix whole.
    const ByteVector wide = {0xFF, 0xFE, 'a', 0, '\n', 0, 0x0A, 0x4E, 'b', 0,
                             'c',  0,    'd', 0, 'e',  0, 'f',  0,    'g', 0};
    MemoryEntryReader wideReader(wide);
    EXPECT_EQ(ClassifyPreview(wideReader, FakeDecoder, kSmallLimits).text, u"a\n");
    EXPECT_EQ(Classify(FromText("short text")).shownBytes, 0u);
    MemoryEntryReader oneLine(FromText(std::string(40, 'x')));
    EXPECT_EQ(ClassifyPreview(oneLine, FakeDecoder, kSmallLimits).text, std::u16string(16, u'x'));

    // A picture within its limit is read whole and decoded; past it, it is too large.
    ByteVector picture = FromText("PIC");
    picture.resize(64, 'p');
    CountingReader fits(picture);
    preview = ClassifyPreview(fits, FakeDecoder, kSmallLimits, FakeDecoder);
    EXPECT_EQ(preview.kind, PreviewKind::image);
    EXPECT_EQ(preview.data, picture);
    picture.push_back('p');
    CountingReader tooLarge(picture);
    preview = ClassifyPreview(tooLarge, FakeDecoder, kSmallLimits, FakeDecoder);
    EXPECT_TRUE(preview.tooLarge);
    EXPECT_EQ(tooLarge.furthest, 16u);
}

TEST(PreviewClassifier, StoppedReaderReadsInPiecesAndStops) {
    ByteVector bytes(StoppableReader::kPiece * 2 + 5, 7);
    CountingReader inner(bytes);
    std::atomic<bool> stop{false};
    StoppableReader reader(inner, stop);
    ByteVector out(bytes.size());
    EXPECT_TRUE(reader.ReadAt(0, out.data(), out.size()));
    EXPECT_EQ(out, bytes);
    // Stopped: fails at once, even while a worker's step holds the scan lock.
    const std::lock_guard held(ScanLock());
    stop = true;
    inner.furthest = 0;
    EXPECT_FALSE(reader.ReadAt(0, out.data(), out.size()));
    EXPECT_EQ(inner.furthest, 0u);
}

TEST(PreviewClassifier, FittingKeepsOrScalesInFivePercentSteps) {
    const FittedRect kept = FitIntoClient(100, 50, 500, 300);
    EXPECT_EQ((std::array{kept.left, kept.top, kept.width, kept.height}),
              (std::array{200, 125, 100, 50}));
    // 1000 x 500 into 500 x 300: 45 % gives 450 x 225, the first that fits 470 x 270.
    const FittedRect scaled = FitIntoClient(1000, 500, 500, 300);
    EXPECT_EQ((std::array{scaled.left, scaled.top, scaled.width, scaled.height}),
              (std::array{25, 38, 450, 225}));
    const FittedRect none = FitIntoClient(10, 10, 20, 20);
    EXPECT_EQ((std::array{none.width, none.height, none.left}), (std::array{0, 0, 10}));
}
