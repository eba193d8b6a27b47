#include "platform/Sysfs.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace vantrel;
namespace fs = std::filesystem;

TEST(Sysfs, MountInfoLinesAreSplitAndUnescaped) {
    MountEntry entry;
    ASSERT_TRUE(ParseMountInfoLine(
        "36 35 98:0 /mnt1 /mnt/a\\040b\\134c rw,noatime master:1 shared:2 - ext3 /dev/x\\040y rw",
        entry));
    EXPECT_EQ(entry.dev, "98:0");
    EXPECT_EQ(entry.mountPoint, "/mnt/a b\\c");
    EXPECT_EQ(entry.source, "/dev/x y");
    ASSERT_TRUE(ParseMountInfoLine("1 2 8:1 / /end\\04 rw - ext4 /dev/sda1 rw", entry));
    EXPECT_EQ(entry.mountPoint, "/end\\04"); // a cut escape stays as written
    EXPECT_FALSE(ParseMountInfoLine("1 2 8:1 / / rw ext4 /dev/sda1 rw", entry)); // no "-"
    EXPECT_FALSE(ParseMountInfoLine("1 2 8:1 / - ext4 /dev/sda1", entry));
    EXPECT_FALSE(ParseMountInfoLine("", entry));
    EXPECT_TRUE(ReadMountInfo("/nonexistent/mountinfo").empty());
}

TEST(Sysfs, NamesSortInNaturalOrder) {
    std::vector<std::string> names = {"sdaa",    "sdb",      "nvme0n10", "sda",
                                      "nvme0n2", "nvme10n1", "nvme1n1",  "fd0"};
    std::sort(names.begin(), names.end(), NaturalLess);
    EXPECT_EQ(names, (std::vector<std::string>{"fd0", "nvme0n2", "nvme0n10", "nvme1n1", "nvme10n1",
                                               "sda", "sdaa", "sdb"}));
    EXPECT_FALSE(NaturalLess("sda", "sda"));
    EXPECT_TRUE(NaturalLess("sd01", "sd2"));
}

TEST(Sysfs, ScsiGenericNodesAreAddressedByTheirLinks) {
    const fs::path root = fs::path(::testing::TempDir()) / "vantrel-sysfs-scsi";
    fs::remove_all(root);
    const fs::path generic = root / "class" / "scsi_generic";
    for (const auto& [name, address] : {std::pair{"sg0", "2:0:1:0"}, std::pair{"sg1", "0:0:7:3"},
                                        std::pair{"sg2", "not:an:address"}}) {
        fs::create_directories(generic / name);
        fs::create_directory_symlink(std::string("../../../devices/x/") + address,
                                     generic / name / "device");
    }
    fs::create_directories(root / "devices" / "x" / "2:0:1:0" / "block" / "sdc");
    for (const char* host : {"host0", "host3", "hostile"})
        fs::create_directories(root / "class" / "scsi_host" / host);

    const auto list = ListScsiGeneric(root.string());
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].name, "sg0");
    EXPECT_EQ(list[0].host, 2);
    EXPECT_EQ(list[0].target, 1);
    EXPECT_EQ(list[0].blockName, "sdc");
    EXPECT_EQ(list[1].target, 7);
    EXPECT_EQ(list[1].lun, 3);
    EXPECT_TRUE(list[1].blockName.empty());
    // Host numbers may have gaps; every host must be reachable by index.
    EXPECT_EQ(ScsiHostCount(root.string()), 4);
    EXPECT_EQ(ScsiHostCount((root / "none").string()), 0);
}
