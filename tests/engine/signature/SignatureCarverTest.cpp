#include "engine/signature/SignatureCarver.h"

#include "SampleFiles.h"
#include "engine/signature/CarvedName.h"
#include "engine/signature/FileSignature.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

std::string Ascii(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

struct Expected {
    std::uint64_t startLba;
    std::uint64_t size;
    FileKind kind;
};

void ExpectFiles(const std::vector<FoundCarvedFile>& files, const std::vector<Expected>& expected) {
    ASSERT_EQ(files.size(), expected.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(files[i].startLba, expected[i].startLba);
        EXPECT_EQ(files[i].size, expected[i].size);
        EXPECT_EQ(files[i].kind, expected[i].kind);
    }
}

ByteVector Head(std::string_view text) {
    return ByteVector(text.begin(), text.end());
}

ByteVector JpegHead() {
    ByteVector jpeg = Sample(FileKind::Jpg).bytes;
    jpeg.resize(jpeg.size() - 2); // without its end marker
    return jpeg;
}

ByteVector Wav(std::uint32_t riffSize) {
    ByteVector wav = Sample(FileKind::Wav).bytes;
    PutLe(wav, 4, riffSize, 4);
    return wav;
}

ByteVector TextSector(std::size_t size = 512) {
    ByteVector text(size);
    for (std::size_t i = 0; i < size; ++i)
        text[i] = i % 50 == 49 ? '\n' : static_cast<std::uint8_t>('a' + i % 26);
    return text;
}

} // namespace

// The end marker FF D9 00 00 at byte 300 of the file's 12th sector; the file starts
// near the end of the first chunk, so it spans the chunk overlap, and runs through
// zeroed (unreadable) sectors.
TEST(SignatureCarver, JpegEndsAtItsEndMarker) {
    SectorImage image(200);
    image.Place(50, JpegHead());
    image.Fill(55, 3, 0);
    const std::uint8_t eoi[] = {0xFF, 0xD9, 0x00, 0x00};
    std::memcpy(image.Bytes().data() + 61 * 512 + 300, eoi, 4);
    image.Place(100, Sample(FileKind::Gif).bytes);
    const CarveRun run = CarveImage(image.Bytes(), 512);
    ExpectFiles(run.files, {{50, 11 * 512 + 302, FileKind::Jpg},
                            {100, Sample(FileKind::Gif).carvedSize, FileKind::Gif}});
    EXPECT_EQ(Ascii(run.files[0].name), "0000000000000032.JPG");
}

TEST(SignatureCarver, HeaderLengthClosesAtOnceAndInnerSectorsAreStillTested) {
    SectorImage image(100);
    ByteVector bmp = Sample(FileKind::Bmp).bytes;
    PutLe(bmp, 2, 1000000, 4); // far beyond the 100-sector range: still created
    image.Place(3, bmp);
    image.Place(10, Sample(FileKind::Png).bytes);
    const CarveRun run = CarveImage(image.Bytes(), 512);
    ExpectFiles(run.files, {{3, 1000000, FileKind::Bmp},
                            {10, Sample(FileKind::Png).carvedSize, FileKind::Png}});
}

TEST(SignatureCarver, TwoWavsTakeTheirRiffSizesWhateverTheirDistance) {
    SectorImage image(200);
    image.Place(2, Wav(200000));
    image.Place(102, Wav(1000));
    const CarveRun run = CarveImage(image.Bytes(), 512);
    ExpectFiles(run.files, {{2, 200008, FileKind::Wav}, {102, 1008, FileKind::Wav}});
}

TEST(SignatureCarver, TextInsidePdfDoesNotEndItButAnotherPdfDoes) {
    SectorImage image(60);
    image.Place(0, Head("%PDF-1.4\n%binary follows\n"));
    for (std::uint64_t lba = 1; lba < 20; ++lba)
        image.Place(lba, TextSector());
    image.Place(20, Sample(FileKind::Pdf).bytes);
    const CarveRun run = CarveImage(image.Bytes(), 512);
    ExpectFiles(run.files, {{0, 20 * 512, FileKind::Pdf},
                            {20, Sample(FileKind::Pdf).carvedSize, FileKind::Pdf}});
}

TEST(SignatureCarver, MpegFramesStayOneFileUntilAnId3Tag) {
    SectorImage image(60);
    const ByteVector frame = {0xFF, 0xFB, 0x90, 0x64};
    for (std::uint64_t lba = 0; lba < 10; ++lba)
        image.Place(lba, frame);
    const ByteVector id3 = {'I', 'D', '3', 3, 0, 0, 0, 0, 0x02, 0x00};
    image.Place(10, id3);
    for (std::uint64_t lba = 11; lba < 15; ++lba)
        image.Place(lba, frame);
    ByteVector tag(128, 0);
    std::memcpy(tag.data(), "TAG", 3);
    image.Place(15, tag);
    const CarveRun run = CarveImage(image.Bytes(), 512);
    ExpectFiles(run.files, {{0, 10 * 512, FileKind::Mp3}, {10, 5 * 512 + 128, FileKind::Mp3}});
}

TEST(SignatureCarver, ShortTextEndsWhereItsTextEnds) {
    SectorImage image(40);
    ByteVector text = TextSector(700);
    text.resize(1024, 0);
    image.Place(4, text);
    ExpectFiles(CarveImage(image.Bytes(), 512).files, {{4, 700, FileKind::Txt}});
    image.Bytes()[4 * 512 + 900] = 0x01;
    ExpectFiles(CarveImage(image.Bytes(), 512).files, {});
}

// Text running on over many sectors, with a Shift-JIS character split across a sector
// boundary, is one file ending at its last text byte.
TEST(SignatureCarver, LongTextAcrossSectors) {
    SectorImage image(80);
    ByteVector text;
    for (int i = 0; i < 30; ++i) {
        const ByteVector sector = TextSector();
        text.insert(text.end(), sector.begin(), sector.end());
    }
    text[511] = 0x93; // lead byte at the end of the first sector ...
    text[512] = 0xFA; // ... its trail byte starts the second
    text.resize(text.size() - 40);
    image.Place(7, text);
    ExpectFiles(CarveImage(image.Bytes(), 512).files, {{7, 30 * 512 - 40, FileKind::Txt}});
    // Ending in a sector that starts with the trail byte 0x80: that byte and the text
    // after it belong to the file.
    text.resize(3 * 512 + 100);
    text[3 * 512 - 1] = 0x82;
    text[3 * 512] = 0x80;
    SectorImage second(80);
    second.Place(7, text);
    ExpectFiles(CarveImage(second.Bytes(), 512).files, {{7, 3 * 512 + 100, FileKind::Txt}});
}

// What a found file hands over of its first bytes: all a renaming by content reads for
// text (across a chunk edge, or capped for long text), the first sector for a picture.
TEST(SignatureCarver, HeadsHoldWhatTheRenamingLooksAt) {
    SectorImage image(300);
    ByteVector shortText = TextSector(3000);
    shortText.resize(3072, 0);
    image.Place(52, shortText); // the first chunk's last tested sector is 55
    ByteVector longText = TextSector(80 * 512 - 10);
    longText.resize(80 * 512, 0);
    image.Place(100, longText);
    image.Place(200, Sample(FileKind::Jpg).bytes);
    const CarveRun run = CarveImage(image.Bytes(), 512);
    ASSERT_EQ(run.files.size(), 3u);
    EXPECT_GE(run.headSizes[0], 3000u);
    EXPECT_EQ(run.headSizes[1], kRenameHeadBytes);
    EXPECT_EQ(run.headSizes[2], 512u);
}

TEST(SignatureCarver, ShortRangesAndOpenFilesAtTheEnd) {
    SectorImage image(40);
    image.Place(0, Sample(FileKind::Wav).bytes);
    // Fewer than 9 sectors: complete at once, nothing read, nothing found.
    CarveRun run = CarveImage(image.Bytes(), 512, 0, 8);
    EXPECT_TRUE(run.files.empty());
    EXPECT_TRUE(run.readLbas.empty());
    EXPECT_EQ(run.stepResults, std::vector<std::uint64_t>{kCarveComplete});
    // Nine sectors: sector 0 is tested.
    run = CarveImage(image.Bytes(), 512, 0, 9);
    ExpectFiles(run.files, {{0, Sample(FileKind::Wav).carvedSize, FileKind::Wav}});
    // A file whose end never comes is not created.
    image.Place(20, JpegHead());
    run = CarveImage(image.Bytes(), 512, 10, 30);
    ExpectFiles(run.files, {});
}

// The last 8 sectors of a range are never tested as starts, but a file still open there
// ends at its end marker or text end instead of being lost.
TEST(SignatureCarver, OpenFilesEndInTheLastEightSectors) {
    SectorImage image(64);
    image.Place(10, JpegHead());
    const std::uint8_t eoi[] = {0xFF, 0xD9, 0x00, 0x00};
    std::memcpy(image.Bytes().data() + 26 * 512 + 7, eoi, 4);
    image.Place(29, Sample(FileKind::Wav).bytes); // in the tail: not a start
    CarveRun run = CarveImage(image.Bytes(), 512, 0, 30);
    ExpectFiles(run.files, {{10, 16 * 512 + 9, FileKind::Jpg}});

    ByteVector text;
    for (int i = 0; i < 12; ++i) {
        const ByteVector sector = TextSector();
        text.insert(text.end(), sector.begin(), sector.end());
    }
    text.resize(text.size() - 12);
    SectorImage second(64);
    second.Place(20, text);
    // Text from sector 20 (the last start tested in 30 sectors) to sector 31: its end lies
    // past the range and is not followed there.
    run = CarveImage(second.Bytes(), 512, 0, 30);
    ExpectFiles(run.files, {});
    text.resize(6 * 512 - 12);
    SectorImage third(64);
    third.Place(20, text);
    run = CarveImage(third.Bytes(), 512, 0, 30);
    ExpectFiles(run.files, {{20, 6 * 512 - 12, FileKind::Txt}});
}

// Chunks overlap by 8 sectors: carving step by step finds exactly what one pass over
// the whole image finds, including files starting or ending around chunk edges, and the
// steps advance 56 sectors at a time inside a range that begins at sector 100.
TEST(SignatureCarver, StepsMatchOnePassOverTheWholeRange) {
    SectorImage image(900, 512, 99);
    std::uint64_t lba = 100;
    const std::vector<SampleFile> samples = AllSamples();
    for (std::uint64_t gap : {52u, 1u, 3u, 2u, 7u, 1u, 40u, 5u, 1u, 9u, 1u, 1u, 30u}) {
        for (const SampleFile& sample : samples) {
            image.Place(lba, sample.bytes);
            lba += (sample.bytes.size() + 511) / 512 + gap % 5;
            if (lba > 850)
                break;
        }
        lba += gap;
        if (lba > 850)
            break;
    }
    const ByteVector& bytes = image.Bytes();
    const CarveRun run = CarveImage(bytes, 512, 100, 780);
    for (std::size_t i = 0; i < run.readLbas.size(); ++i)
        EXPECT_EQ(run.readLbas[i], 100 + 56 * i);
    EXPECT_EQ(run.stepResults.front(), 56u);
    EXPECT_EQ(run.stepResults.back(), kCarveComplete);

    SignatureCarver whole;
    std::vector<FoundCarvedFile> reference;
    const Bytes range(bytes.data() + 100 * 512, 780 * 512);
    EXPECT_EQ(
        whole.ExamineChunk(range, 100, [&](const FoundCarvedFile& f) { reference.push_back(f); }),
        772u);
    ASSERT_GT(reference.size(), 30u);
    ASSERT_EQ(run.files.size(), reference.size());
    for (std::size_t i = 0; i < reference.size(); ++i) {
        EXPECT_EQ(run.files[i].startLba, reference[i].startLba) << i;
        EXPECT_EQ(run.files[i].size, reference[i].size) << i;
        EXPECT_EQ(run.files[i].kind, reference[i].kind) << i;
        EXPECT_EQ(run.files[i].name, reference[i].name) << i;
        if (i > 0) {
            EXPECT_GT(run.files[i].startLba, run.files[i - 1].startLba);
        }
    }
}

// With 4 096-byte sectors a 32 KiB chunk holds only 8 sectors, no more than its overlap;
// the chunk is made larger so that such disks are searched at all.
TEST(SignatureCarver, FourKibSectorsAreSearched) {
    SignatureCarver carver;
    ASSERT_TRUE(carver.Reset(4096));
    EXPECT_EQ(carver.ChunkSectors(), 16u);
    SectorImage image(100, 4096);
    image.Place(3, JpegHead());
    const std::uint8_t eoi[] = {0xFF, 0xD9, 0x00, 0x00};
    std::memcpy(image.Bytes().data() + 5 * 4096 + 10, eoi, 4);
    image.Place(20, Sample(FileKind::Wav).bytes);
    const CarveRun run = CarveImage(image.Bytes(), 4096);
    ExpectFiles(run.files, {{3, 2 * 4096 + 12, FileKind::Jpg},
                            {20, Sample(FileKind::Wav).carvedSize, FileKind::Wav}});
    // Chunks of 16 advance 8 sectors each; a step ends once past 32 sectors.
    EXPECT_EQ(run.stepResults.front(), 40u);
}

TEST(SignatureCarver, UnusableSectorSizeFailsTheStep) {
    SignatureCarver carver;
    EXPECT_FALSE(carver.Reset(0));
    const CarveChunkReader read = [](std::uint64_t, std::uint32_t, std::span<std::uint8_t>) {
        ADD_FAILURE() << "nothing may be read";
    };
    EXPECT_EQ(carver.Step(0, 100, 0, read, {}), 0u);
    EXPECT_TRUE(carver.Reset(2048));
    EXPECT_EQ(carver.Step(0, 100, 100, read, {}), kCarveComplete);
}
