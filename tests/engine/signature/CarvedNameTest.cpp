#include "engine/signature/CarvedName.h"

#include "SampleFiles.h"
#include "engine/signature/CompoundDocument.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

std::string Ascii(std::u16string_view text) {
    return std::string(text.begin(), text.end());
}

// Renames `content` as a carved file of `size` bytes (default: all of it), checking that
// every read stays inside the file and inside the head limit.
std::string Rename(const ByteVector& content, std::string_view oldName = "00000000000000A0.AAF",
                   std::uint64_t size = 0) {
    if (size == 0)
        size = content.size();
    const CarvedContentReader read = [&](std::uint64_t position, std::span<std::uint8_t> out) {
        EXPECT_LE(position + out.size(), size);
        EXPECT_LE(out.size(), kRenameHeadBytes);
        if (position + out.size() > content.size())
            return false;
        std::memcpy(out.data(), content.data() + position, out.size());
        return true;
    };
    const std::u16string old(oldName.begin(), oldName.end());
    return Ascii(RenameByContent(old, size, read));
}

ByteVector TextFile(std::string_view head, std::size_t size = 600) {
    ByteVector bytes(size, 'x');
    std::memcpy(bytes.data(), head.data(), head.size());
    return bytes;
}

} // namespace

TEST(CarvedName, NamedByStartSectorInSixteenHexDigits) {
    EXPECT_EQ(Ascii(CarvedFileName(0xA0, FileKind::Jpg)), "00000000000000A0.JPG");
    EXPECT_EQ(Ascii(CarvedFileName(0x123456789ABCDEF0ull, FileKind::Ai)), "123456789ABCDEF0.AI");
}

TEST(CarvedName, CompoundDocumentsTakeTheirDocumentKind) {
    EXPECT_EQ(Rename(CompoundDocument({u"WordDocument"})), "00000000000000A0.DOC");
    EXPECT_EQ(Rename(CompoundDocument({u"Workbook"})), "00000000000000A0.XLS");
    EXPECT_EQ(Rename(CompoundDocument({u"Book"})), "00000000000000A0.XLS");
    EXPECT_EQ(Rename(CompoundDocument({u"PowerPoint Document"})), "00000000000000A0.PPT");
    // Other streams are passed over; the first document stream decides.
    EXPECT_EQ(Rename(CompoundDocument(
                  {u"\x05SummaryInformation", u"Data", u"1Table", u"Book", u"WordDocument"})),
              "00000000000000A0.XLS");
    // Nothing known, an empty name before the stream, or no room for the entry: AAF stays.
    EXPECT_EQ(Rename(CompoundDocument({u"Contents"})), "00000000000000A0.AAF");
    EXPECT_EQ(Rename(CompoundDocument({u"", u"WordDocument"})), "00000000000000A0.AAF");
    const ByteVector doc = CompoundDocument({u"WordDocument"});
    EXPECT_EQ(Rename(doc, "00000000000000A0.AAF", 1024 + 200), "00000000000000A0.AAF");
}

TEST(CarvedName, BrokenCompoundDirectoriesKeepTheName) {
    ByteVector doc = CompoundDocument({u"WordDocument"});
    // First entry not "Root Entry".
    ByteVector noRoot = doc;
    noRoot[1024] = 'X';
    EXPECT_EQ(Rename(noRoot), "00000000000000A0.AAF");
    // Directory beyond the file (and a shift that would overflow 32 bits).
    ByteVector far = doc;
    PutLe(far, 48, 0xFFFFFFF0u, 4);
    PutLe(far, 30, 31, 2);
    EXPECT_EQ(Rename(far), "00000000000000A0.AAF");
    // A name length that runs past the bytes read.
    ByteVector longName = CompoundDocument({u"Data", u"WordDocument"});
    EXPECT_EQ(Rename(longName), "00000000000000A0.DOC");
    PutLe(longName, 1024 + 128 + 64, 0xFFFF, 2); // "Data" claims 65 535 bytes of name
    EXPECT_EQ(Rename(longName), "00000000000000A0.AAF");
    // Read failures keep the name.
    const CarvedContentReader failing = [](std::uint64_t, std::span<std::uint8_t>) {
        return false;
    };
    EXPECT_EQ(Ascii(RenameByContent(u"00000000000000A0.AAF", doc.size(), failing)),
              "00000000000000A0.AAF");
}

TEST(CarvedName, TextIsRefinedByItsFirstBytes) {
    EXPECT_EQ(Rename(TextFile("{\\rtf1\\ansi\\deff0 hello}"), "0000000000000001.TXT"),
              "0000000000000001.RTF");
    EXPECT_EQ(Rename(TextFile("<?xml version=\"1.0\"?><a/>"), "0000000000000001.TXT"),
              "0000000000000001.XML");
    EXPECT_EQ(Rename(TextFile("\r\n  <!DOCTYPE html>\n<html><body>"), "0000000000000001.TXT"),
              "0000000000000001.HTM");
    EXPECT_EQ(Rename(TextFile("Dear reader, <html> is a tag."), "0000000000000001.TXT"),
              "0000000000000001.TXT");
    EXPECT_EQ(Rename(TextFile("{\\rtf1\\ansi"), "0000000000000001.TXT"), "0000000000000001.RTF");
    // Under 512 bytes a file is not taken for text and keeps its name.
    EXPECT_EQ(Rename(TextFile("{\\rtf1\\ansi hi}", 300), "0000000000000001.TXT"),
              "0000000000000001.TXT");
    // Other kinds keep theirs.
    EXPECT_EQ(Rename(Sample(FileKind::Jpg).bytes, "0000000000000001.JPG"), "0000000000000001.JPG");
}

TEST(CarvedName, HtmlDocumentTest) {
    const auto html = [](std::string_view text) {
        return IsHtmlDocument(
            Bytes(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    };
    EXPECT_TRUE(html("<HTML>"));
    EXPECT_TRUE(html("\t\r\n <!-- made by hand -->\n<!DOCTYPE x>\n<hTmL lang=ja>"));
    EXPECT_FALSE(html("<p>text<html>"));
    EXPECT_FALSE(html("<!-- never closed <html>"));
    EXPECT_FALSE(html("<HTM"));
    EXPECT_FALSE(html(""));
}

TEST(CarvedName, NewNamesAreMadeSafe) {
    EXPECT_EQ(Ascii(ReplaceExtension(u"a\"b*c/d:e<f>g?h\\i|j.TXT", u"RTF")),
              "a_b_c_d_e_f_g_h_i_j.RTF");
    EXPECT_EQ(Ascii(ReplaceExtension(u"name.with.dots", u"XLS")), "name.XLS");
    EXPECT_EQ(Ascii(ReplaceExtension(u"nodot", u"DOC")), "nodot.DOC");
}

TEST(CompoundDocument, DirectoryOffsetFromHeader) {
    ByteVector header(512, 0);
    PutLe(header, 30, 12, 2); // 4 096-byte sectors
    PutLe(header, 48, 3, 4);
    EXPECT_EQ(CompoundDirectoryOffset(header), 3u * 4096 + 512);
    PutLe(header, 30, 0x29, 2); // only the low five bits count
    EXPECT_EQ(CompoundDirectoryOffset(header), 3u * 512 + 512);
    EXPECT_EQ(CompoundDirectoryOffset(Bytes(header.data(), 51)), 0u);
}
