#include "device/BiosDisk.h"

#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

using namespace vantrel;

namespace {

struct Call {
    std::uint8_t ah, al, ch, cl, dh, dl;
};

// A floppy drive emulated at the register level. The medium has a real geometry
// (mediumSpt sectors per track, two heads); a read addressed past it fails as a drive
// would, so the media probes must find the geometry by themselves.
class EmulatedFloppy : public FloppyBios {
public:
    std::uint8_t deviceType = 7;
    std::uint32_t mediumSpt = 18;
    std::uint32_t mediumTracks = 80;
    int failReads = 0; // the next reads that fail
    bool failResets = false;
    std::vector<Call>* calls;

    explicit EmulatedFloppy(std::vector<Call>* log) : calls(log) {}

    bool GetDeviceParameters(int,
                             std::array<std::uint8_t, kDeviceParameterBlockSize>& block) override {
        block[1] = deviceType;
        return true;
    }

    void Int13(BiosRegisters& r, std::span<std::uint8_t> buffer) override {
        calls->push_back({r.Ah(), r.Al(), r.Ch(), r.Cl(), r.Dh(), r.Dl()});
        r.flags |= kBiosCarry;
        switch (r.Ah()) {
        case kInt13Reset:
            if (!failResets)
                r.flags &= ~kBiosCarry;
            return;
        case kInt13SetMediaType:
            spt_ = r.Cl() & 0x3Fu;
            r.flags &= ~kBiosCarry;
            return;
        case kInt13Read: {
            const std::uint32_t cylinder = r.Ch() | ((r.Cl() & 0xC0u) << 2);
            const std::uint32_t sector = r.Cl() & 0x3Fu;
            if (failReads > 0) {
                --failReads;
                return;
            }
            // The drive reads with the medium's own geometry; a request beyond it fails.
            if (sector == 0 || sector + r.Al() - 1 > mediumSpt || cylinder >= mediumTracks ||
                r.Dh() > 1 || r.Al() * 512u > buffer.size())
                return;
            for (std::uint32_t i = 0; i < r.Al(); ++i) {
                const std::uint32_t lba = (cylinder * 2 + r.Dh()) * mediumSpt + sector - 1 + i;
                std::fill_n(buffer.data() + i * 512, 512, static_cast<std::uint8_t>(lba));
                buffer[i * 512] = static_cast<std::uint8_t>(lba >> 8);
            }
            r.flags &= ~kBiosCarry;
            return;
        }
        default:
            return;
        }
    }

    std::string DriveNode(int drive) const override { return "/dev/fd" + std::to_string(drive); }

private:
    std::uint32_t spt_ = 0;
};

std::vector<Call> ReadsOf(const std::vector<Call>& calls) {
    std::vector<Call> reads;
    for (const Call& c : calls)
        if (c.ah == kInt13Read)
            reads.push_back(c);
    return reads;
}

} // namespace

TEST(BiosDisk, OpenTakesKindFromTheDeviceType) {
    std::vector<Call> calls;
    for (const auto& [type, kind] :
         {std::pair{2, kDriveFloppy}, std::pair{7, kDriveFloppy}, std::pair{5, kDriveHardDisk}}) {
        auto bios = std::make_unique<EmulatedFloppy>(&calls);
        bios->deviceType = static_cast<std::uint8_t>(type);
        CBiosDisk disk(std::move(bios));
        ASSERT_TRUE(disk.Open(1));
        EXPECT_EQ(disk.GetDriveKind(), kind);
        EXPECT_EQ(disk.GetAccessMethod(), kAccessBios);
        EXPECT_EQ(disk.GetDriveLetters(), 2u);
        DeviceIdentity id;
        ASSERT_TRUE(disk.GetIdentity(&id));
        EXPECT_STREQ(id.product.data(),
                     kind == kDriveFloppy ? "FLOPPY DISK     " : "HARD DISK       ");
        EXPECT_EQ(id.removable, kind == kDriveFloppy ? 1 : 0);
        EXPECT_EQ(disk.DeviceNode(), "/dev/fd1");
    }
    auto bios = std::make_unique<EmulatedFloppy>(&calls);
    bios->deviceType = 3;
    CBiosDisk unknown(std::move(bios));
    EXPECT_FALSE(unknown.Open(0));
    CBiosDisk noThird(std::make_unique<EmulatedFloppy>(&calls));
    EXPECT_FALSE(noThird.Open(2));
}

TEST(BiosDisk, MediaProbesFind144And720KbDisks) {
    std::vector<Call> calls;
    auto bios = std::make_unique<EmulatedFloppy>(&calls);
    CBiosDisk hd(std::move(bios));
    ASSERT_TRUE(hd.Open(0));
    std::uint64_t last = 0;
    std::uint32_t size = 0;
    ASSERT_TRUE(hd.GetCapacity(&last, &size));
    EXPECT_EQ(last, 2879u);
    EXPECT_EQ(size, 512u);
    EXPECT_EQ(hd.SectorsPerTrack(), 18);
    // Set media type: CH = 79, CL = 18; then LBA 2879 = cylinder 79, head 1, sector 18.
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0].ah, kInt13SetMediaType);
    EXPECT_EQ(calls[0].ch, 79);
    EXPECT_EQ(calls[0].cl, 18);
    EXPECT_EQ(calls[1].ah, kInt13Read);
    EXPECT_EQ(calls[1].ch, 79);
    EXPECT_EQ(calls[1].cl, 18);
    EXPECT_EQ(calls[1].dh, 1);
    EXPECT_EQ(calls[1].al, 1);

    calls.clear();
    auto dd = std::make_unique<EmulatedFloppy>(&calls);
    dd->mediumSpt = 9;
    CBiosDisk low(std::move(dd));
    ASSERT_TRUE(low.Open(0));
    ASSERT_TRUE(low.GetCapacity(&last, &size));
    EXPECT_EQ(last, 1439u);
    EXPECT_EQ(low.SectorsPerTrack(), 9);
    std::vector<std::uint8_t> sector(512);
    ASSERT_TRUE(low.ReadSectors(1439, 1, sector.data(), 512));
    EXPECT_EQ(sector[1], static_cast<std::uint8_t>(1439));
    EXPECT_FALSE(low.ReadSectors(1440, 1, sector.data(), 512));

    calls.clear();
    auto none = std::make_unique<EmulatedFloppy>(&calls);
    none->mediumTracks = 0; // no readable medium
    CBiosDisk empty(std::move(none));
    ASSERT_TRUE(empty.Open(0));
    EXPECT_FALSE(empty.GetCapacity(&last, &size));
    EXPECT_EQ(empty.LastLba(), 0u);
}

TEST(BiosDisk, TrackWalkSplitsAtTrackEnds) {
    std::vector<Call> calls;
    CBiosDisk disk(std::make_unique<EmulatedFloppy>(&calls));
    ASSERT_TRUE(disk.Open(0));
    ASSERT_TRUE(disk.GetCapacity(nullptr, nullptr));
    calls.clear();
    // 20 sectors from sector 10 of an 18-sector track: 8 here, 12 on the next track.
    std::vector<std::uint8_t> buffer(20 * 512);
    ASSERT_TRUE(disk.ReadSectors(10, 20, buffer.data(), 20 * 512));
    const auto reads = ReadsOf(calls);
    ASSERT_EQ(reads.size(), 2u);
    EXPECT_EQ(reads[0].al, 8);
    EXPECT_EQ(reads[0].cl, 11); // sectors count from 1
    EXPECT_EQ(reads[0].dh, 0);
    EXPECT_EQ(reads[1].al, 12);
    EXPECT_EQ(reads[1].cl, 1);
    EXPECT_EQ(reads[1].dh, 1);
    EXPECT_EQ(reads[1].ch, 0);
    for (std::uint32_t i = 0; i < 20; ++i) {
        EXPECT_EQ(buffer[i * 512 + 1], static_cast<std::uint8_t>(10 + i));
    }
    // Head 1 of cylinder 1 starts at LBA 54.
    calls.clear();
    ASSERT_TRUE(disk.ReadSectors(54, 1, buffer.data(), 512));
    EXPECT_EQ(ReadsOf(calls)[0].ch, 1);
    EXPECT_EQ(ReadsOf(calls)[0].dh, 1);
    EXPECT_FALSE(disk.ReadSectors(2870, 11, buffer.data(), 20 * 512)); // past the end
    EXPECT_FALSE(disk.ReadSectors(0, 2, buffer.data(), 512));          // buffer too small
}

TEST(BiosDisk, FailedTrackIsRetriedOnceAfterAReset) {
    std::vector<Call> calls;
    auto bios = std::make_unique<EmulatedFloppy>(&calls);
    EmulatedFloppy* drive = bios.get();
    CBiosDisk disk(std::move(bios));
    ASSERT_TRUE(disk.Open(0));
    ASSERT_TRUE(disk.GetCapacity(nullptr, nullptr));
    std::vector<std::uint8_t> buffer(512);

    calls.clear();
    drive->failReads = 1;
    ASSERT_TRUE(disk.ReadSectors(0, 1, buffer.data(), 512));
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].ah, kInt13Read);
    EXPECT_EQ(calls[1].ah, kInt13Reset);
    EXPECT_EQ(calls[1].dl, 0);
    EXPECT_EQ(calls[2].ah, kInt13Read);

    calls.clear();
    drive->failReads = 2;
    EXPECT_FALSE(disk.ReadSectors(0, 1, buffer.data(), 512));
    EXPECT_EQ(calls.size(), 3u); // no second retry

    calls.clear();
    drive->failReads = 1;
    drive->failResets = true;
    EXPECT_FALSE(disk.ReadSectors(0, 1, buffer.data(), 512));
    EXPECT_EQ(calls.size(), 2u);
}

TEST(BiosDisk, LinuxDriveIsReadOnlyAndReadsAnImage) {
    // A 720 KB image stands in for /dev/fd0.
    const std::string root = ::testing::TempDir() + "/vantrel-floppy";
    std::filesystem::create_directories(root);
    {
        std::vector<char> image(1440 * 512);
        for (std::size_t i = 0; i < 1440; ++i)
            image[i * 512] = static_cast<char>(i);
        std::FILE* out = std::fopen((root + "/fd0").c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fwrite(image.data(), 1, image.size(), out);
        std::fclose(out);
    }
    CBiosDisk disk(MakeLinuxFloppyBios(root));
    ASSERT_TRUE(disk.Open(0));
    EXPECT_FALSE(disk.Open(1)); // no fd1 in this tree
    ASSERT_TRUE(disk.Open(0));
    std::uint64_t last = 0;
    ASSERT_TRUE(disk.GetCapacity(&last, nullptr));
    EXPECT_EQ(last, 1439u);
    std::vector<std::uint8_t> buffer(12 * 512);
    ASSERT_TRUE(disk.ReadSectors(5, 12, buffer.data(), 12 * 512));
    EXPECT_EQ(buffer[0], 5);
    EXPECT_EQ(buffer[11 * 512], 16);
    const std::vector<std::uint8_t> before = buffer;
    EXPECT_FALSE(disk.WriteSectors(5, 1, buffer.data(), 512));
    ASSERT_TRUE(disk.ReadSectors(5, 12, buffer.data(), 12 * 512));
    EXPECT_EQ(buffer, before);
}
