// Real volumes made by mkntfs, ntfscp and the libntfs-3g fixture tool
// (tests/fixtures/ntfs_volume.sh): every file read through the reader must equal what
// the script put in.

#include "Fixtures.h"
#include "MemoryDisk.h"
#include "fs/ntfs/MftRecord.h"
#include "fs/ntfs/NtfsDirectory.h"
#include "fs/ntfs/NtfsFile.h"
#include "fs/ntfs/NtfsMftSelfRecord.h"
#include "fs/ntfs/NtfsVolume.h"
#include "platform/Utf.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>

using namespace vantrel;
using namespace vantrel::testing;

namespace {

using ByteVector = std::vector<std::uint8_t>;

// The formulas of the fixture script.
ByteVector Pattern(unsigned seed, std::size_t size) {
    ByteVector v(size);
    for (std::size_t i = 0; i < size; ++i)
        v[i] = static_cast<std::uint8_t>(i * 31 + seed + (i >> 8));
    return v;
}

ByteVector Noise(std::size_t size) {
    ByteVector v(size);
    std::uint64_t x = 5;
    for (auto& b : v) {
        x = (x * 1103515245 + 12345) % 2147483648u;
        b = static_cast<std::uint8_t>(x >> 16);
    }
    return v;
}

ByteVector Text(const std::string& s) {
    return ByteVector(s.begin(), s.end());
}

ByteVector CompressibleText() {
    std::string s;
    for (int i = 1; i <= 8000; ++i)
        s += "line " + std::to_string(i) + " of compressible text\n";
    return Text(s);
}

struct Image {
    std::unique_ptr<MemoryDisk> disk;
    CDiskWindow window;
    NtfsVolume volume;
};

std::filesystem::path VolumeFixture(const std::string& script, const std::string& name) {
#ifdef VANTREL_NTFS_TOOL
    if (!HaveTool("mkntfs") || !HaveTool("ntfscp") || !HaveTool("perl"))
        return {};
    ::setenv("VANTREL_NTFS_TOOL", VANTREL_NTFS_TOOL, 1);
    return BuildFixture(script, name);
#else
    (void)script;
    (void)name;
    return {};
#endif
}

ByteVector ReadImage(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    ByteVector bytes(static_cast<std::size_t>(std::filesystem::file_size(path)));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

std::unique_ptr<Image> OpenImage(ByteVector bytes, std::uint32_t sectorSize) {
    auto image = std::make_unique<Image>();
    image->disk = std::make_unique<MemoryDisk>(std::move(bytes), sectorSize);
    if (!image->window.Open(image->disk.get(), 0, 0) || !image->volume.Open(image->window, 0))
        return nullptr;
    return image;
}

class NtfsImage : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = VolumeFixture("ntfs_volume.sh", "ntfs-volume-v1.img");
        if (path_.empty())
            GTEST_SKIP() << "mkntfs, ntfscp, perl or the libntfs-3g fixture tool is missing";
        bytes_ = ReadImage(path_);
        image_ = OpenImage(bytes_, 512);
        ASSERT_NE(image_, nullptr);
    }

    NtfsVolume& Volume() { return image_->volume; }

    std::vector<NtfsDirectoryEntry> List(std::uint64_t folder) {
        std::vector<NtfsDirectoryEntry> entries;
        EXPECT_TRUE(ListNtfsDirectory(Volume(), folder, &entries));
        return entries;
    }

    static const NtfsDirectoryEntry* Find(const std::vector<NtfsDirectoryEntry>& entries,
                                          const std::u16string& name) {
        for (const auto& e : entries)
            if (e.name == name)
                return &e;
        return nullptr;
    }

    ByteVector ReadFile(NtfsVolume& volume, std::uint64_t recordNumber) {
        MftRecord record;
        EXPECT_TRUE(record.Load(volume, recordNumber));
        const NtfsAttribute* data = record.DataAttribute();
        if (data == nullptr)
            return {};
        ByteVector out(static_cast<std::size_t>(data->size));
        EXPECT_TRUE(record.ReadAttributeData(*data, 0, out.size(), out.data()));
        return out;
    }
    ByteVector ReadFile(std::uint64_t recordNumber) { return ReadFile(Volume(), recordNumber); }

    std::filesystem::path path_;
    ByteVector bytes_;
    std::unique_ptr<Image> image_;
};

} // namespace

TEST_F(NtfsImage, RootListsResidentAndNonResidentFilesWithTheirBytes) {
    const auto root = List(5);
    for (const char16_t* name : {u"$MFT", u"small.txt", u"binary.bin", u"docs", u"packed",
                                 u"holey.bin", u"日本語フォルダ"})
        EXPECT_NE(Find(root, name), nullptr) << ToUtf8(name);
    EXPECT_EQ(Find(root, u"."), nullptr);
    const NtfsDirectoryEntry* docs = Find(root, u"docs");
    ASSERT_NE(docs, nullptr);
    EXPECT_TRUE(docs->isFolder);
    // $Secure holds indexes of security descriptors, not of names: a file, nothing to list.
    const NtfsDirectoryEntry* secure = Find(root, u"$Secure");
    ASSERT_NE(secure, nullptr);
    EXPECT_FALSE(secure->isFolder);
    std::vector<NtfsDirectoryEntry> none;
    EXPECT_FALSE(ListNtfsDirectory(Volume(), secure->recordNumber, &none));
    EXPECT_TRUE(none.empty());

    const NtfsDirectoryEntry* small = Find(root, u"small.txt");
    ASSERT_NE(small, nullptr);
    MftRecord record;
    ASSERT_TRUE(record.Load(Volume(), small->recordNumber));
    EXPECT_TRUE(record.DataAttribute()->IsResident());
    EXPECT_EQ(ReadFile(small->recordNumber), Text("hello, resident world\n"));
    EXPECT_TRUE(small->times.modification.has_value());

    const NtfsDirectoryEntry* binary = Find(root, u"binary.bin");
    ASSERT_NE(binary, nullptr);
    EXPECT_EQ(binary->size, 150000u);
    EXPECT_EQ(ReadFile(binary->recordNumber), Pattern(7, 150000));
}

TEST_F(NtfsImage, LargeFoldersNestedFoldersAndJapaneseNames) {
    const auto root = List(5);
    const NtfsDirectoryEntry* docs = Find(root, u"docs");
    ASSERT_NE(docs, nullptr);
    MftRecord folder;
    ASSERT_TRUE(folder.Load(Volume(), docs->recordNumber));
    ASSERT_NE(folder.FindAttribute(kAttrIndexAllocation, kLowestAttributeId), nullptr);

    const auto entries = List(docs->recordNumber);
    EXPECT_EQ(entries.size(), 151u);
    for (int i = 1; i <= 150; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%03d", i);
        const auto* file = Find(entries, u"file-" + FromUtf8(name) + u".txt");
        ASSERT_NE(file, nullptr) << name;
        EXPECT_EQ(ReadFile(file->recordNumber),
                  Text(std::string("contents of file ") + name + "\n"));
    }
    const NtfsDirectoryEntry* sub = Find(entries, u"sub");
    ASSERT_NE(sub, nullptr);
    const auto deep = List(sub->recordNumber);
    ASSERT_EQ(deep.size(), 1u);
    EXPECT_EQ(ReadFile(deep[0].recordNumber), Pattern(3, 9000));

    const NtfsDirectoryEntry* japanese = Find(root, u"日本語フォルダ");
    ASSERT_NE(japanese, nullptr);
    const auto jp = List(japanese->recordNumber);
    ASSERT_EQ(jp.size(), 1u);
    EXPECT_EQ(jp[0].name, u"ファイル.txt");
    EXPECT_EQ(ReadFile(jp[0].recordNumber), Text("japanese\n"));
}

TEST_F(NtfsImage, CompressedAndSparseFilesReadAsWritten) {
    const auto root = List(5);
    const auto packed = List(Find(root, u"packed")->recordNumber);
    const NtfsDirectoryEntry* text = Find(packed, u"text.txt");
    const NtfsDirectoryEntry* noise = Find(packed, u"noise.bin");
    ASSERT_NE(text, nullptr);
    ASSERT_NE(noise, nullptr);
    MftRecord record;
    ASSERT_TRUE(record.Load(Volume(), text->recordNumber));
    ASSERT_TRUE(record.DataAttribute()->IsCompressed());
    EXPECT_EQ(ReadFile(text->recordNumber), CompressibleText());
    EXPECT_EQ(ReadFile(noise->recordNumber), Noise(70000));

    const NtfsDirectoryEntry* holey = Find(root, u"holey.bin");
    ASSERT_NE(holey, nullptr);
    ASSERT_TRUE(record.Load(Volume(), holey->recordNumber));
    const auto& runs = record.DataAttribute()->runs;
    EXPECT_TRUE(std::any_of(runs.begin(), runs.end(), [](const NtfsRun& r) { return r.sparse; }));
    ByteVector expected(300000, 0);
    const ByteVector tail = Text("after the hole\n");
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(ReadFile(holey->recordNumber), expected);
}

TEST_F(NtfsImage, DeletedFilesKeepTheirNamesAndData) {
    // Deleted by the library: no longer in any index, found by walking the records.
    ASSERT_TRUE(Volume().IsMftMapped());
    bool found = false;
    for (std::uint64_t n = 0; n < Volume().MappedRecordCount() && !found; ++n) {
        MftRecord record;
        if (!record.Load(Volume(), n) || record.InUse() || record.FileName() != u"deleted.bin")
            continue;
        found = true;
        EXPECT_EQ(ReadFile(n), Pattern(9, 20000));
    }
    EXPECT_TRUE(found);
    EXPECT_EQ(Find(List(5), u"deleted.bin"), nullptr);

    // A record whose in-use flag is cleared in the image stays listed, marked deleted,
    // with its data.
    const auto root = List(5);
    const NtfsDirectoryEntry* binary = Find(root, u"binary.bin");
    ASSERT_NE(binary, nullptr);
    const std::uint64_t number = binary->recordNumber;
    ByteVector bytes = bytes_;
    const std::uint64_t at = Volume().RecordLba(number) * 512 + 22; // flags
    bytes[at] &= static_cast<std::uint8_t>(~1u);
    auto cleared = OpenImage(bytes, 512);
    ASSERT_NE(cleared, nullptr);
    std::vector<NtfsDirectoryEntry> entries;
    ASSERT_TRUE(ListNtfsDirectory(cleared->volume, 5, &entries));
    const NtfsDirectoryEntry* gone = Find(entries, u"binary.bin");
    ASSERT_NE(gone, nullptr);
    EXPECT_FALSE(gone->inUse);
    EXPECT_EQ(ReadFile(cleared->volume, number), Pattern(7, 150000));
}

TEST_F(NtfsImage, RawRecordScanHelpersAgreeWithTheMft) {
    // Each sector that starts a record in use in the MFT's first extent maps back to the record
    // number in its header; only record 0 is the MFT's own.
    const NtfsRun& first = Volume().MftRuns().front();
    const std::uint64_t records = first.clusters * Volume().BytesPerCluster() / 1024;
    int checked = 0;
    for (std::uint64_t n = 0; n < records; ++n) {
        const std::uint64_t lba = Volume().RecordLba(n);
        const Bytes sector(bytes_.data() + lba * 512, 512);
        if (!IsMftRecord(sector))
            continue;
        MftRecordHeader header;
        ASSERT_TRUE(ParseMftRecordHeader(sector, &header));
        if (!header.InUse())
            continue; // mkntfs leaves spare records without their numbers
        EXPECT_EQ(Volume().LbaToRecordNumber(lba), header.recordNumber);
        EXPECT_EQ(Volume().LbaToRecordNumber(lba + 1), header.recordNumber);
        EXPECT_EQ(IsMftSelfRecord(Bytes(bytes_.data() + lba * 512, 1024)), n == 0) << n;
        ++checked;
    }
    EXPECT_GT(checked, 16);
}

TEST_F(NtfsImage, TwoKilobyteSectorVolumeReadsOnEitherDeviceSectorSize) {
    const auto path = VolumeFixture("ntfs_volume_2048.sh", "ntfs-volume-2048-v1.img");
    ASSERT_FALSE(path.empty());
    const ByteVector bytes = ReadImage(path);
    for (std::uint32_t sectorSize : {2048u, 512u}) {
        SCOPED_TRACE(sectorSize);
        auto image = OpenImage(bytes, sectorSize);
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->volume.RecordSize(), 2048u);
        std::vector<NtfsDirectoryEntry> root;
        ASSERT_TRUE(ListNtfsDirectory(image->volume, 5, &root));
        const auto* binary = Find(root, u"binary.bin");
        const auto* docs = Find(root, u"docs");
        ASSERT_NE(binary, nullptr);
        ASSERT_NE(docs, nullptr);
        EXPECT_EQ(ReadFile(image->volume, binary->recordNumber), Pattern(7, 150000));
        std::vector<NtfsDirectoryEntry> entries;
        ASSERT_TRUE(ListNtfsDirectory(image->volume, docs->recordNumber, &entries));
        EXPECT_EQ(entries.size(), 151u);
    }
}

// The record size comes from the boot sector, not from the sector size.
TEST_F(NtfsImage, FourKilobyteRecordsOnFiveHundredTwelveByteSectors) {
    const auto path = VolumeFixture("ntfs_volume_4k_records.sh", "ntfs-volume-4k-records-v1.img");
    ASSERT_FALSE(path.empty());
    auto image = OpenImage(ReadImage(path), 512);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->volume.RecordSize(), 4096u);
    std::vector<NtfsDirectoryEntry> root;
    ASSERT_TRUE(ListNtfsDirectory(image->volume, 5, &root));
    const auto* binary = Find(root, u"binary.bin");
    const auto* docs = Find(root, u"docs");
    ASSERT_NE(binary, nullptr);
    ASSERT_NE(docs, nullptr);
    EXPECT_EQ(ReadFile(image->volume, binary->recordNumber), Pattern(7, 150000));
    std::vector<NtfsDirectoryEntry> entries;
    ASSERT_TRUE(ListNtfsDirectory(image->volume, docs->recordNumber, &entries));
    EXPECT_EQ(entries.size(), 151u);
}

TEST_F(NtfsImage, VolumeLabelAndFilesAsTheResultTreeReadsThem) {
    std::u16string label;
    ASSERT_TRUE(Volume().ReadVolumeLabel(&label));
    EXPECT_EQ(label, u"vantrel");

    const auto root = List(5);
    const auto packed = List(Find(root, u"packed")->recordNumber);
    NtfsFile text;
    ASSERT_TRUE(text.Open(Volume(), Find(packed, u"text.txt")->recordNumber));
    EXPECT_TRUE(text.IsCompressed());
    EXPECT_EQ(text.Name(), u"text.txt");
    // Read in the 32 KiB pieces a viewer or salvage uses.
    const ByteVector expected = CompressibleText();
    ASSERT_EQ(text.Size(), expected.size());
    ByteVector got(expected.size());
    for (std::size_t at = 0; at < got.size(); at += 32768) {
        const std::size_t n = std::min<std::size_t>(32768, got.size() - at);
        ASSERT_TRUE(text.Read(at, n, got.data() + at));
    }
    EXPECT_EQ(got, expected);

    NtfsFile small;
    ASSERT_TRUE(small.Open(Volume(), Find(root, u"small.txt")->recordNumber));
    EXPECT_TRUE(small.IsResident());
    EXPECT_EQ(small.ResidentData(), Text("hello, resident world\n"));
    EXPECT_FALSE(small.Open(Volume(), Find(root, u"docs")->recordNumber)); // a folder has no $DATA
}

TEST_F(NtfsImage, VolumeWithoutBootSectorOpensFromItsMftRecord) {
    ByteVector bytes = bytes_;
    std::fill_n(bytes.begin(), 512, std::uint8_t{0});
    const std::uint64_t totalSectors = bytes.size() / 512;
    // What the scan does: find the MFT's own record, derive the MFT cluster for a guessed
    // cluster size and open a described volume.
    std::uint64_t mftLba = 0;
    for (std::uint64_t lba = 1; lba < totalSectors; ++lba) {
        if (IsMftSelfRecord(Bytes(bytes.data() + lba * 512, 512))) {
            mftLba = lba;
            break;
        }
    }
    ASSERT_NE(mftLba, 0u);
    MemoryDisk disk(std::move(bytes), 512);
    CDiskWindow window;
    ASSERT_TRUE(window.Open(&disk, 0, 0));
    NtfsVolume volume;
    EXPECT_FALSE(volume.Open(window, 0));
    ASSERT_TRUE(
        volume.OpenWithBootRecord(window, 0, MakeNtfsBootRecord(512, 8, mftLba / 8, totalSectors)));
    EXPECT_TRUE(volume.IsMftMapped());
    std::vector<NtfsDirectoryEntry> entries;
    ASSERT_TRUE(ListNtfsDirectory(volume, 5, &entries));
    const NtfsDirectoryEntry* binary = Find(entries, u"binary.bin");
    ASSERT_NE(binary, nullptr);
    EXPECT_EQ(ReadFile(volume, binary->recordNumber), Pattern(7, 150000));
}
