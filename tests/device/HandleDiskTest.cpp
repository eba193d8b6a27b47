#include "device/HandleDisk.h"

#include "Fixtures.h"
#include "LoopDevice.h"
#include "device/DiskWindow.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

std::vector<std::uint8_t> Numbered(std::uint32_t sectors, std::uint32_t sectorSize,
                                   std::uint32_t tail = 0) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(sectors) * sectorSize + tail);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i / sectorSize * 7 + i % 251);
    return bytes;
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The open flags of a descriptor as the kernel reports them.
long DescriptorFlags(int fd) {
    std::ifstream info("/proc/self/fdinfo/" + std::to_string(fd));
    std::string key;
    while (info >> key) {
        if (key == "flags:") {
            std::string octal;
            info >> octal;
            return std::stol(octal, nullptr, 8);
        }
    }
    return -1;
}

void ExpectReadOnly(const CHandleDisk& disk) {
    ASSERT_GE(disk.Descriptor(), 0);
    const long flags = DescriptorFlags(disk.Descriptor());
    ASSERT_GE(flags, 0);
    EXPECT_EQ(flags & O_ACCMODE, O_RDONLY);
    EXPECT_NE(flags & O_CLOEXEC, 0);
}

} // namespace

TEST(HandleDisk, ImageFileReadsBackExactlyAndNothingPastItsLastWholeSector) {
    const fs::path dir = vantrel::testing::ScratchDir("handle-disk");
    const fs::path image = dir / "disk.img";
    const auto bytes = Numbered(40, 512, 300); // a partial sector at the end
    WriteFile(image, bytes);

    CHandleDisk disk;
    ASSERT_TRUE(disk.Open(image.string()));
    EXPECT_EQ(disk.GetAccessMethod(), 3);
    EXPECT_EQ(disk.GetDriveKind(), kDriveHardDisk);
    EXPECT_TRUE(disk.IsImageFile());
    DeviceIdentity id;
    ASSERT_TRUE(disk.GetIdentity(&id));
    EXPECT_STREQ(id.vendor.data(), "GENERIC ");
    EXPECT_STREQ(id.product.data(), "DRIVE           ");
    EXPECT_STREQ(id.revision.data(), "1.00");
    EXPECT_EQ(id.removable, 0);

    std::uint64_t last = 0;
    std::uint32_t sectorSize = 0;
    ASSERT_TRUE(disk.GetCapacity(&last, &sectorSize));
    EXPECT_EQ(last, 39u);
    EXPECT_EQ(sectorSize, 512u);

    std::vector<std::uint8_t> buffer(40 * 512);
    ASSERT_TRUE(disk.ReadSectors(0, 40, buffer.data(), static_cast<std::uint32_t>(buffer.size())));
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), bytes.begin()));
    ASSERT_TRUE(disk.ReadSectors(39, 1, buffer.data(), 512));
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 512, bytes.begin() + 39 * 512));

    EXPECT_FALSE(disk.ReadSectors(40, 1, buffer.data(), 512)); // the partial sector
    EXPECT_FALSE(disk.ReadSectors(39, 2, buffer.data(), 1024));
    EXPECT_FALSE(disk.ReadSectors(~0ull, 2, buffer.data(), 1024)); // lba + count wraps
    EXPECT_FALSE(disk.ReadSectors(0, 2, buffer.data(), 1023));     // buffer too small

    // Through a window, as everything above the device layer reads.
    CDiskWindow window;
    ASSERT_TRUE(window.Open(&disk, 8, 4));
    ASSERT_TRUE(window.GetCapacity(&last, nullptr));
    EXPECT_EQ(last, 3u);
    ASSERT_TRUE(window.ReadSectors(3, 1, buffer.data(), 512));
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + 512, bytes.begin() + 11 * 512));

    // Closing restores the defaults; a closed device has no capacity.
    disk.Close();
    EXPECT_EQ(disk.LastLba(), 0u);
    EXPECT_EQ(disk.SectorSize(), 512u);
    EXPECT_TRUE(disk.Path().empty());
    EXPECT_FALSE(disk.GetCapacity(nullptr, nullptr));
}

TEST(HandleDisk, SourcesThatAreNoDiskFailCleanly) {
    const fs::path dir = vantrel::testing::ScratchDir("handle-disk-bad");
    CHandleDisk disk;
    EXPECT_FALSE(disk.Open((dir / "missing.img").string()));
    EXPECT_FALSE(disk.IsOpen());

    // A folder opens read-only but has no capacity, so nothing can be read from it.
    ASSERT_TRUE(disk.Open(dir.string()));
    EXPECT_FALSE(disk.GetCapacity(nullptr, nullptr));
    std::uint8_t sector[512];
    EXPECT_FALSE(disk.ReadSectors(0, 1, sector, 512));

    const fs::path empty = dir / "empty.img";
    WriteFile(empty, {});
    ASSERT_TRUE(disk.Open(empty.string()));
    std::uint64_t last = 77;
    EXPECT_FALSE(disk.GetCapacity(&last, nullptr));
    EXPECT_EQ(disk.LastLba(), 0u);

    // A FIFO named by mistake must not hang the open waiting for a writer.
    const fs::path fifo = dir / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_TRUE(disk.Open(fifo.string()));
    EXPECT_FALSE(disk.GetCapacity(nullptr, nullptr));
}

TEST(HandleDisk, OpensReadOnlyAndLeavesTheImageUntouched) {
    const fs::path dir = vantrel::testing::ScratchDir("handle-disk-ro");
    const fs::path image = dir / "disk.img";
    const auto bytes = Numbered(64, 512);
    WriteFile(image, bytes);
    const auto mtimeBefore = fs::last_write_time(image);
    // Let the clock move on, so that any write would show in the time stamp.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));

    {
        CHandleDisk disk;
        ASSERT_TRUE(disk.Open(image.string()));
        ExpectReadOnly(disk);
        ASSERT_TRUE(disk.GetCapacity(nullptr, nullptr)); // reopens by path
        ExpectReadOnly(disk);
        std::vector<std::uint8_t> buffer(64 * 512);
        ASSERT_TRUE(
            disk.ReadSectors(0, 64, buffer.data(), static_cast<std::uint32_t>(buffer.size())));
        // The one write slot exists for floppies only and does nothing here.
        EXPECT_FALSE(disk.WriteSectors(0, 1, buffer.data(), 512));
    }

    EXPECT_EQ(ReadFile(image), bytes);
    EXPECT_EQ(fs::last_write_time(image), mtimeBefore);
}

using vantrel::testing::LoopDevice;

TEST(HandleDisk, LoopDeviceWith4096ByteSectorsReportsAndReadsThem) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "attaching a loop device needs root";
    if (!vantrel::testing::HaveTool("losetup"))
        GTEST_SKIP() << "losetup is not installed";
    const fs::path dir = vantrel::testing::ScratchDir("handle-disk-loop");
    const fs::path image = dir / "disk4k.img";
    const auto bytes = Numbered(256, 4096);
    WriteFile(image, bytes);
    LoopDevice loop(image, 4096);
    if (loop.Node().empty())
        GTEST_SKIP() << "losetup could not attach the image (no loop devices here?)";

    CHandleDisk disk;
    ASSERT_TRUE(disk.Open(loop.Node()));
    EXPECT_FALSE(disk.IsImageFile());
    ExpectReadOnly(disk);
    std::uint64_t last = 0;
    std::uint32_t sectorSize = 0;
    ASSERT_TRUE(disk.GetCapacity(&last, &sectorSize));
    EXPECT_EQ(sectorSize, 4096u);
    EXPECT_EQ(last, 255u);

    std::vector<std::uint8_t> buffer(3 * 4096);
    ASSERT_TRUE(disk.ReadSectors(253, 3, buffer.data(), static_cast<std::uint32_t>(buffer.size())));
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), bytes.begin() + 253 * 4096));
    EXPECT_FALSE(
        disk.ReadSectors(254, 3, buffer.data(), static_cast<std::uint32_t>(buffer.size())));

    // A window on it counts in the device's sectors.
    CDiskWindow window;
    ASSERT_TRUE(window.Open(&disk, 0, 0));
    ASSERT_TRUE(window.GetCapacity(&last, &sectorSize));
    EXPECT_EQ(sectorSize, 4096u);
    EXPECT_EQ(window.Length(), 256u);
    disk.Close();
    EXPECT_EQ(ReadFile(image), bytes);
}

// A descriptor handed over by a disk service is kept only when it was opened read-only;
// the disk then reads through it (the path is never reopened) and the caller's own
// descriptor stays its own.
TEST(HandleDisk, HandedOverDescriptorMustBeReadOnly) {
    const fs::path dir = vantrel::testing::ScratchDir("handle-disk-fd");
    const fs::path image = dir / "disk.img";
    const auto bytes = Numbered(8, 512);
    WriteFile(image, bytes);

    const int writable = ::open(image.c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writable, 0);
    CHandleDisk refused;
    EXPECT_FALSE(refused.OpenDescriptor(writable, "/dev/handed-over", {}));
    ::close(writable);

    const int readOnly = ::open(image.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(readOnly, 0);
    CHandleDisk disk;
    ASSERT_TRUE(disk.OpenDescriptor(readOnly, "/dev/handed-over", {}));
    ::close(readOnly);
    std::uint64_t last = 0;
    ASSERT_TRUE(disk.GetCapacity(&last, nullptr));
    EXPECT_EQ(last, 7u);
    std::vector<std::uint8_t> buffer(512);
    ASSERT_TRUE(disk.ReadSectors(7, 1, buffer.data(), 512));
    EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), bytes.begin() + 7 * 512));
    EXPECT_EQ(disk.GetDriveKind(), kDriveHardDisk);
}
