#include "device/AspiDisk.h"

#include "Fixtures.h"
#include "device/DriveList.h"
#include "platform/ByteReader.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

// SCSI generic nodes as the kernel lists them, with image files for the nodes.
SystemPaths FakeScsiSystem() {
    const fs::path root = vantrel::testing::ScratchDir("fake-scsi");
    const fs::path generic = root / "sys" / "class" / "scsi_generic";
    for (const auto& [name, address] :
         {std::pair{"sg0", "1:0:2:0"}, std::pair{"sg1", "1:0:7:0"}, std::pair{"sg2", "1:1:2:0"},
          std::pair{"sg3", "1:0:2:3"}, std::pair{"sg4", "1:0:0:7"}}) {
        fs::create_directories(generic / name);
        fs::create_directory_symlink(std::string("../../../devices/") + address,
                                     generic / name / "device");
        fs::create_directories(root / "dev");
        std::ofstream(root / "dev" / name) << "x";
    }
    fs::create_directories(root / "sys" / "class" / "scsi_host" / "host1");
    std::ofstream(root / "dev" / "fd0").put('\0');
    fs::resize_file(root / "dev" / "fd0", 2880 * 512);
    SystemPaths paths;
    paths.sysfsRoot = (root / "sys").string();
    paths.devRoot = (root / "dev").string();
    paths.mountInfo = (root / "none").string();
    return paths;
}

// The target behind the node, answering at the SCSI level.
class EmulatedAspi : public CAspiDisk {
public:
    using CAspiDisk::CAspiDisk;
    std::uint8_t readStatus = 0; // status of READ commands
    std::vector<ScsiRequest> log;

protected:
    bool Deliver(ScsiRequest& r, std::uint8_t& status) override {
        log.push_back(r);
        status = 0;
        if (r.cdb[0] == 0x12) {
            std::fill_n(r.data, r.dataLength, std::uint8_t{' '});
            r.data[0] = 0;
            r.data[1] = 0;
            return true;
        }
        if (r.cdb[0] == 0x25) {
            std::fill_n(r.data, 8, std::uint8_t{0});
            PutBe({r.data, 8}, 0, 99, 4);
            PutBe({r.data, 8}, 4, 512, 4);
            return true;
        }
        if (r.cdb[0] == 0x28) {
            status = readStatus;
            std::fill_n(r.data, r.dataLength, std::uint8_t{0xAB});
            return true;
        }
        return false;
    }
};

} // namespace

TEST(AspiDisk, AddressesMapToTheKernelsScsiGenericNodes) {
    const SystemPaths paths = FakeScsiSystem();
    EmulatedAspi disk(paths);
    EXPECT_EQ(disk.HostAdapterCount(), 2); // host1 is the highest: adapters 0 and 1
    ASSERT_TRUE(disk.Select(1, 2, 0));
    EXPECT_EQ(disk.DeviceNode(), paths.devRoot + "/sg0"); // channel 0 before channel 1
    ASSERT_FALSE(disk.log.empty());
    EXPECT_EQ(disk.log.back().hostAdapter, 1);
    EXPECT_EQ(disk.log.back().target, 2);
    EXPECT_EQ(disk.log.back().lun, 0);

    ASSERT_TRUE(disk.Select(1, 2, 3));
    EXPECT_EQ(disk.DeviceNode(), paths.devRoot + "/sg3");
    EXPECT_EQ(disk.log.back().cdb[1], 0); // the kernel places the LUN, not the command

    EXPECT_FALSE(disk.Select(1, 7, 0)); // target 7 and LUN 7 are never probed
    EXPECT_FALSE(disk.Select(1, 0, 7));
    EXPECT_FALSE(disk.Select(0, 2, 0)); // nothing at that address
    EXPECT_EQ(disk.DeviceNode(), "");
    EXPECT_EQ(disk.HostAdapter(), kScsiAddressUnset);
}

TEST(AspiDisk, ReadWithCheckConditionFailsInsteadOfReturningTheBuffer) {
    const SystemPaths paths = FakeScsiSystem();
    EmulatedAspi disk(paths);
    ASSERT_TRUE(disk.Select(1, 2, 0));
    ASSERT_TRUE(disk.GetCapacity(nullptr, nullptr));
    std::vector<std::uint8_t> buffer(512);
    EXPECT_TRUE(disk.ReadSectors(0, 1, buffer.data(), 512));
    disk.readStatus = kScsiStatusCheckCondition; // completed, but a medium error
    EXPECT_FALSE(disk.ReadSectors(0, 1, buffer.data(), 512));
}

TEST(AspiDisk, LegacyOrderListsFloppiesAndSkipsNodesThatAnswerNoCommand) {
    const SystemPaths paths = FakeScsiSystem();
    DriveList list;
    ASSERT_TRUE(EnumerateLegacyDrives(list, true, true, paths));
    ASSERT_EQ(list.size(), 1u); // the image files behind sgN answer no SCSI command
    EXPECT_EQ(list[0]->GetAccessMethod(), kAccessBios);
    EXPECT_EQ(list[0]->DeviceNode(), paths.devRoot + "/fd0");
}
