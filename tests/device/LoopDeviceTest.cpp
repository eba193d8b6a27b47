#include "LoopDevice.h"

#include "Fixtures.h"
#include "device/DriveList.h"
#include "device/HandleDisk.h"
#include "device/PassThroughProbe.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

std::string Capture(const std::string& command) {
    std::string out;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char chunk[256];
        while (std::fgets(chunk, sizeof chunk, pipe))
            out += chunk;
        ::pclose(pipe);
    }
    return out;
}

using vantrel::testing::LoopDevice;

} // namespace

TEST(LoopDevice, AttachedImageIsListedAsRemovableDiskNamedAfterTheFile) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "attaching a loop device needs root";
    const fs::path dir = vantrel::testing::ScratchDir("loop-device");
    const fs::path image = fs::canonical(dir) / "usb stick.img";
    {
        std::ofstream out(image, std::ios::binary);
        for (std::uint32_t sector = 0; sector < 8192; ++sector) {
            std::string bytes(512, static_cast<char>(sector));
            bytes.replace(0, 4, reinterpret_cast<const char*>(&sector), 4);
            out << bytes;
        }
    }
    LoopDevice loop(image);
    if (loop.Node().empty())
        GTEST_SKIP() << "losetup could not attach the image";

    DriveList list;
    ASSERT_TRUE(EnumerateDrives(list, true, true));
    CDiskDevice* found = nullptr;
    for (auto& device : list)
        if (device->DeviceNode() == loop.Node())
            found = device.get();
    ASSERT_NE(found, nullptr) << loop.Node() << " is not in the drive list";
    EXPECT_EQ(found->GetDriveKind(), kDriveRemovable);
    DeviceIdentity id;
    ASSERT_TRUE(found->GetIdentity(&id));
    EXPECT_STREQ(id.product.data(), "usb stick.img   ");
    EXPECT_EQ(DeviceDescription(*found),
              "リムーバブルディスク(" + loop.Node() + " [" + image.string() + "])");
    EXPECT_EQ(DeviceDetail(*found), "4.0 MB");
    std::vector<std::uint8_t> sector(512);
    ASSERT_TRUE(found->ReadSectors(8191, 1, sector.data(), 512));
    EXPECT_EQ(sector[0] | (sector[1] << 8), 8191);
    EXPECT_FALSE(found->ReadSectors(8192, 1, sector.data(), 512));

    // A loop device answers no pass-through command; the handle device sizes it from
    // the kernel as before.
    EXPECT_FALSE(ProbePassThroughIdentity(loop.Node(), nullptr));
    CHandleDisk handle;
    ASSERT_TRUE(handle.Open(loop.Node()));
    std::uint64_t last = 0;
    ASSERT_TRUE(handle.GetCapacity(&last, nullptr));
    EXPECT_EQ(last, 8191u);
    // Opened by its path, the device gets the kind the list gives it.
    EXPECT_EQ(handle.GetDriveKind(), kDriveRemovable);

    const fs::path cli = fs::path(VANTREL_BINARY_DIR) / "src" / "cli" / "vantrel-cli";
    if (fs::exists(cli)) {
        const std::string table = Capture(cli.string() + " drives 2>/dev/null");
        EXPECT_NE(table.find(loop.Node() + " [" + image.string() + "]"), std::string::npos)
            << table;
        EXPECT_NE(table.find("usb stick.img"), std::string::npos);
        const std::string json = Capture(cli.string() + " drives --json 2>/dev/null");
        EXPECT_NE(json.find("\"node\":\"" + loop.Node() + "\""), std::string::npos) << json;
    }
}
