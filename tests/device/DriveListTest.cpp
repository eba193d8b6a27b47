#include "device/DriveList.h"

#include "Fixtures.h"
#include "device/CapacityText.h"
#include "device/SysfsDisk.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

void Write(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << text << "\n";
}

// A disk node: an image file of the given size standing in for /dev/<name>.
void Node(const fs::path& dev, const std::string& name, std::uintmax_t bytes) {
    fs::create_directories(dev);
    std::ofstream(dev / name).put('\0');
    fs::resize_file(dev / name, bytes);
}

// A kernel's view of a machine: three fixed disks (one SCSI with partitions and a
// device-mapper volume on one of them, one virtio), a USB stick, a CD-ROM drive, a loop
// device over an image and an unbound one, a floppy drive, and virtual devices that are
// no drives.
struct FakeSystem {
    fs::path root;
    SystemPaths paths;

    FakeSystem() {
        root = vantrel::testing::ScratchDir("fake-system");
        const fs::path block = root / "sys" / "block";
        const fs::path dev = root / "dev";
        paths.sysfsRoot = (root / "sys").string();
        paths.devRoot = dev.string();
        paths.mountInfo = (root / "mountinfo").string();

        Disk(block / "sda", "8:0", false, 4096);
        Write(block / "sda" / "device" / "vendor", "ATA     ");
        Write(block / "sda" / "device" / "model", "FIXED ONE");
        Write(block / "sda" / "device" / "rev", "2.1");
        Write(block / "sda" / "device" / "type", "0");
        Partition(block / "sda" / "sda1", "8:1");
        Partition(block / "sda" / "sda2", "8:2");
        fs::create_directories(block / "sda" / "sda2" / "holders" / "dm-0");
        Write(block / "dm-0" / "dev", "254:0"); // virtual: not listed itself
        Node(dev, "sda", 4096 * 512);

        Disk(block / "sdc", "8:32", false, 2048);
        Write(block / "sdc" / "device" / "model", "SECOND");
        Node(dev, "sdc", 2048 * 512);

        Disk(block / "vda", "254:16", false, 2048);
        Write(block / "vda" / "device" / "vendor", "0x1af4");
        Write(block / "vda" / "device" / "modalias", "virtio:d00000002v00001AF4");
        Node(dev, "vda", 2048 * 512);

        Disk(block / "sdb", "8:16", true, 1024);
        Write(block / "sdb" / "device" / "model", "STICK");
        Write(block / "sdb" / "device" / "type", "0");
        Partition(block / "sdb" / "sdb1", "8:17");
        Node(dev, "sdb", 1024 * 512);

        Disk(block / "sr0", "11:0", true, 0);
        Write(block / "sr0" / "device" / "type", "5");
        Node(dev, "sr0", 2048 * 4);

        Disk(block / "loop0", "7:0", false, 800);
        Write(block / "loop0" / "loop" / "backing_file", "/images/camera card.img");
        Node(dev, "loop0", 800 * 512);
        Disk(block / "loop1", "7:1", false, 0); // no backing file
        Node(dev, "loop1", 512);
        Disk(block / "zram0", "253:0", false, 2048);
        Node(dev, "zram0", 2048 * 512);

        Disk(block / "fd0", "2:0", true, 2880);
        fs::create_directories(root / "sys" / "devices" / "platform" / "floppy");
        fs::create_directories(block / "fd0" / "device");
        fs::create_directory_symlink("../../../devices/platform/floppy",
                                     block / "fd0" / "device" / "driver");
        Node(dev, "fd0", 2880 * 512);

        Disk(block / "sdd", "8:48", false, 2048); // listed, but its node is gone
        fs::create_directories(block / "sdd" / "device");

        const std::string d = paths.devRoot;
        Write(root / "mountinfo", "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
                                  "27 1 8:1 / / rw,relatime shared:1 - ext4 " +
                                      d +
                                      "/sda1 rw\n"
                                      "28 27 254:0 / /home rw - ext4 /dev/mapper/vg-home rw\n"
                                      "29 27 0:45 / /mnt/my\\040stick rw - btrfs " +
                                      d +
                                      "/sdb1 rw\n"
                                      "30 27 8:1 /srv /srv rw - ext4 " +
                                      d +
                                      "/sda1 rw\n"
                                      "garbage line\n");
    }

    static void Disk(const fs::path& folder, const std::string& dev, bool removable,
                     std::uint64_t sectors) {
        Write(folder / "dev", dev);
        Write(folder / "removable", removable ? "1" : "0");
        Write(folder / "size", std::to_string(sectors));
        if (folder.filename().string().rfind("loop", 0) != 0 &&
            folder.filename().string().rfind("zram", 0) != 0)
            fs::create_directories(folder / "device");
    }
    static void Partition(const fs::path& folder, const std::string& dev) {
        Write(folder / "partition", "1");
        Write(folder / "dev", dev);
    }
};

std::string Trimmed(const char* text) {
    std::string s = text;
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

} // namespace

TEST(DriveList, FixedThenRemovableThenFloppiesWholeDisksOnly) {
    FakeSystem sys;
    DriveList list;
    std::vector<UnopenedDrive> unopened;
    ASSERT_TRUE(EnumerateDrives(list, true, true, sys.paths, &unopened));
    std::vector<std::string> nodes;
    std::vector<std::int32_t> kinds;
    for (auto& device : list) {
        nodes.push_back(device->DeviceNode().substr(sys.paths.devRoot.size() + 1));
        kinds.push_back(device->GetDriveKind());
    }
    EXPECT_EQ(nodes, (std::vector<std::string>{"sda", "sdc", "vda", "loop0", "sdb", "sr0", "fd0"}));
    EXPECT_EQ(kinds, (std::vector<std::int32_t>{kDriveHardDisk, kDriveHardDisk, kDriveHardDisk,
                                                kDriveRemovable, kDriveRemovable, kDriveCdRom,
                                                kDriveFloppy}));
    EXPECT_EQ(list[6]->GetAccessMethod(), kAccessBios);
    EXPECT_EQ(list[0]->GetAccessMethod(), kAccessHandle); // image files answer no SG_IO
    EXPECT_TRUE(unopened.empty()); // a node that does not exist is no drive to report

    ASSERT_TRUE(EnumerateDrives(list, true, false, sys.paths));
    EXPECT_EQ(list.size(), 3u);
    ASSERT_TRUE(EnumerateDrives(list, false, true, sys.paths));
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0]->GetDriveKind(), kDriveRemovable);
}

TEST(DriveList, DescriptionsShowNodeImageFileAndMounts) {
    FakeSystem sys;
    DriveList list;
    ASSERT_TRUE(EnumerateDrives(list, true, true, sys.paths));
    ASSERT_EQ(list.size(), 7u);
    const std::string d = sys.paths.devRoot;
    // Mounts of partitions and of a volume stacked on one count; each mount point once.
    EXPECT_EQ(DeviceDescription(*list[0], sys.paths),
              "ハードディスク(" + d + "/sda: /, /home, /srv)");
    EXPECT_EQ(DeviceDescription(*list[1], sys.paths), "ハードディスク(" + d + "/sdc)");
    EXPECT_EQ(DeviceDescription(*list[3], sys.paths),
              "リムーバブルディスク(" + d + "/loop0 [/images/camera card.img])");
    EXPECT_EQ(DeviceDescription(*list[4], sys.paths),
              "リムーバブルディスク(" + d + "/sdb: /mnt/my stick)");
    EXPECT_EQ(DeviceDescription(*list[5], sys.paths), "CD-ROM ドライブ(" + d + "/sr0)");
    EXPECT_EQ(DeviceDescription(*list[6], sys.paths), "フロッピーディスク(" + d + "/fd0)");

    EXPECT_EQ(DeviceDetail(*list[0]), "2.0 MB");
    EXPECT_EQ(DeviceDetail(*list[6]), "1.4 MB");

    DeviceIdentity id;
    ASSERT_TRUE(list[0]->GetIdentity(&id));
    EXPECT_EQ(Trimmed(id.vendor.data()), "ATA");
    EXPECT_EQ(Trimmed(id.product.data()), "FIXED ONE");
    EXPECT_EQ(Trimmed(id.revision.data()), "2.1");
    ASSERT_TRUE(list[2]->GetIdentity(&id));
    EXPECT_EQ(Trimmed(id.vendor.data()), "VIRTIO"); // not the numeric vendor id
    EXPECT_EQ(Trimmed(id.product.data()), "BLOCK DEVICE");
    ASSERT_TRUE(list[3]->GetIdentity(&id));
    EXPECT_EQ(Trimmed(id.vendor.data()), "LOOP");
    EXPECT_EQ(Trimmed(id.product.data()), "camera card.img");
    EXPECT_EQ(id.removable, 1);
}

TEST(DriveList, KindsAndFloppyTestFollowTheKernel) {
    FakeSystem sys;
    const std::string d = sys.paths.devRoot;
    EXPECT_TRUE(IsFloppyLetter("fd0", sys.paths));
    EXPECT_FALSE(IsFloppyLetter("sdb", sys.paths));
    EXPECT_FALSE(IsFloppyLetter("sda1", sys.paths)); // partitions are no drives
    // An identity that says removable MO keeps MO on a removable node; the kernel's
    // fixed flag wins over a removable identity; a node the kernel does not list keeps
    // what the identity said; no identity means no kind.
    EXPECT_EQ(RefineDriveKind(kDriveMagnetoOptical, 7, d + "/sdb", sys.paths),
              kDriveMagnetoOptical);
    EXPECT_EQ(RefineDriveKind(kDriveRemovable, 0, d + "/sda", sys.paths), kDriveHardDisk);
    EXPECT_EQ(RefineDriveKind(kDriveRemovable, 0, "/tmp/image.img", sys.paths), kDriveRemovable);
    EXPECT_EQ(RefineDriveKind(kDriveUnknown, 0, d + "/sda", sys.paths), kDriveUnknown);

    // Long UTF-8 image names are cut at a character boundary to fit the product field.
    BlockDeviceEntry loop;
    loop.name = "loop3";
    loop.backingFile = "/x/写真のバックアップ.img";
    const DeviceIdentity id = IdentityFromSysfs(loop);
    EXPECT_STREQ(id.product.data(), "写真のバッ "); // 15 bytes and one blank
}

// Pass-through reaches the whole disk whatever node it is sent on: only a whole SCSI disk
// may use it. A partition still finds the disk it lies on, for its kind.
TEST(DriveList, PassThroughOnlyForWholeScsiDisks) {
    FakeSystem sys;
    EXPECT_TRUE(IsWholeScsiDisk("8:0", sys.paths));
    EXPECT_TRUE(IsWholeScsiDisk("8:16", sys.paths)); // the USB stick
    for (const char* number : {"8:1", "8:17", "254:16", "7:0", "254:0", "9:9", ""})
        EXPECT_FALSE(IsWholeScsiDisk(number, sys.paths)) << number;
    const auto disk = DiskOfDeviceNumber("8:17", sys.paths);
    ASSERT_TRUE(disk);
    EXPECT_EQ(disk->entry.name, "sdb");
    EXPECT_FALSE(disk->whole);
}
