#include "device/ScsiDisk.h"

#include "device/ScsiInquiry.h"
#include "platform/ByteReader.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <vector>

using namespace vantrel;

namespace {

// A SCSI target emulated behind ExecuteRequest. It decodes every CDB itself, so a wrong
// byte in a command block shows up as a wrong answer, and it keeps each request for the
// byte-for-byte checks. Sector n reads as n (big-endian) in its first 8 bytes followed
// by n's low byte.
class EmulatedTarget : public CScsiDisk {
public:
    std::uint64_t lastLba = 999;
    std::uint32_t blockSize = 512;
    bool capacity10Overflow = false;      // READ CAPACITY(10) answers 0xFFFFFFFF
    bool capacityZero = false;            // READ CAPACITY(10) answers last LBA 0
    std::uint32_t trackLastLba = 0;       // READ TRACK INFORMATION bytes 12-15
    bool inquiryZeros = false;            // 36 zero bytes
    std::set<std::uint8_t> refused;       // opcodes the transport fails
    std::set<std::uint64_t> mediumErrors; // LBAs answered with CHECK CONDITION
    int unitAttentions = 0;               // commands answered with UNIT ATTENTION first
    std::uint32_t shortBy = 0;            // bytes a READ leaves untransferred
    std::vector<ScsiRequest> log;

    bool ExecuteRequest(ScsiRequest& r) override {
        log.push_back(r);
        const std::uint8_t opcode = r.cdb[0];
        if (refused.count(opcode))
            return false;
        if (unitAttentions > 0) {
            --unitAttentions;
            return CheckCondition(r, kSenseKeyUnitAttention);
        }
        const ByteReader cdb(r.cdb.data(), r.cdbLength);
        std::vector<std::uint8_t> answer;
        switch (opcode) {
        case 0x12: // INQUIRY
            answer.assign(cdb.U8(4), 0);
            if (!inquiryZeros && answer.size() >= 36) {
                answer[0] = 0x05;
                answer[1] = 0x80;
                PutText(answer, 8, "VNDR    ");
                PutText(answer, 16, "OPTICAL DRIVE   ");
                PutText(answer, 32, "1.0a");
            }
            break;
        case 0x00: // TEST UNIT READY
            break;
        case 0x25: // READ CAPACITY(10)
            answer.assign(8, 0);
            PutBe(answer, 0, capacityZero ? 0 : capacity10Overflow ? 0xFFFFFFFFu : lastLba, 4);
            PutBe(answer, 4, blockSize, 4);
            break;
        case 0x9E: // SERVICE ACTION IN(16)
            if ((cdb.U8(1) & 0x1F) != 0x10)
                return CheckCondition(r, 0x05);
            answer.assign(cdb.Be32(10), 0);
            PutBe(answer, 0, lastLba, 8);
            PutBe(answer, 8, blockSize, 4);
            break;
        case 0x51: // READ DISC INFORMATION
            answer.assign(cdb.Be16(7), 0);
            break;
        case 0x52: // READ TRACK INFORMATION
            answer.assign(cdb.Be16(7), 0);
            PutBe(answer, 12, trackLastLba, 4);
            break;
        case 0x28:
            return Read(r, cdb.Be32(2), cdb.Be16(7));
        case 0x88:
            return Read(r, cdb.Be64(2), cdb.Be32(10));
        default:
            return CheckCondition(r, 0x05);
        }
        std::copy_n(answer.begin(), std::min<std::size_t>(answer.size(), r.dataLength), r.data);
        return true;
    }

    std::vector<std::uint8_t> Cdb(std::size_t index) const {
        const ScsiRequest& r = log.at(index);
        return {r.cdb.begin(), r.cdb.begin() + r.cdbLength};
    }
    std::uint8_t Opcode(std::size_t index) const { return log.at(index).cdb[0]; }

private:
    static void PutText(std::vector<std::uint8_t>& out, std::size_t offset, const char* text) {
        for (std::size_t i = 0; text[i]; ++i)
            out[offset + i] = static_cast<std::uint8_t>(text[i]);
    }

    static bool CheckCondition(ScsiRequest& r, std::uint8_t senseKey) {
        r.targetStatus = kScsiStatusCheckCondition;
        r.sense.fill(0);
        r.sense[0] = 0x70;
        r.sense[2] = senseKey;
        return true;
    }

    bool Read(ScsiRequest& r, std::uint64_t lba, std::uint32_t blocks) {
        if (static_cast<std::uint64_t>(blocks) * blockSize != r.dataLength)
            return CheckCondition(r, 0x05);
        for (std::uint32_t i = 0; i < blocks; ++i) {
            const std::uint64_t at = lba + i;
            if (mediumErrors.count(at))
                return CheckCondition(r, 0x03);
            std::uint8_t* sector = r.data + static_cast<std::size_t>(i) * blockSize;
            std::fill_n(sector, blockSize, static_cast<std::uint8_t>(at));
            PutBe({sector, blockSize}, 0, at, 8);
        }
        r.residual = shortBy;
        return true;
    }
};

std::uint64_t StampOf(const std::vector<std::uint8_t>& buffer, std::size_t sector,
                      std::uint32_t blockSize = 512) {
    return ByteReader(buffer.data() + sector * blockSize, 8).Be64(0);
}

using Cdb = std::vector<std::uint8_t>;

} // namespace

TEST(ScsiDisk, EveryCommandBlockIsBuiltByteForByte) {
    EmulatedTarget disk;
    disk.capacity10Overflow = true;
    disk.lastLba = 0x123456789ull;
    ASSERT_TRUE(disk.GetIdentity(nullptr));
    ASSERT_TRUE(disk.CheckReady());
    ASSERT_TRUE(disk.GetCapacity(nullptr, nullptr));
    std::vector<std::uint8_t> buffer(3 * 512);
    ASSERT_TRUE(disk.ReadSectors(0x01020304, 3, buffer.data(), 3 * 512));
    ASSERT_TRUE(disk.ReadSectors(0x102030405ull, 2, buffer.data(), 2 * 512));
    disk.capacity10Overflow = false;
    disk.capacityZero = true;
    disk.trackLastLba = 5000;
    ASSERT_TRUE(disk.GetCapacity(nullptr, nullptr));

    ASSERT_EQ(disk.log.size(), 9u);
    EXPECT_EQ(disk.Cdb(0), (Cdb{0x12, 0, 0, 0, 36, 0}));
    EXPECT_EQ(disk.Cdb(1), (Cdb{0x00, 0, 0, 0, 0, 0}));
    EXPECT_EQ(disk.Cdb(2), (Cdb{0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(disk.Cdb(3), (Cdb{0x9E, 0x10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 32, 0, 0}));
    EXPECT_EQ(disk.Cdb(4), (Cdb{0x28, 0, 0x01, 0x02, 0x03, 0x04, 0, 0, 3, 0}));
    EXPECT_EQ(disk.Cdb(5), (Cdb{0x88, 0, 0, 0, 0, 0x01, 0x02, 0x03, 0x04, 0x05, 0, 0, 0, 2, 0, 0}));
    EXPECT_EQ(disk.Cdb(6), (Cdb{0x25, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(disk.Cdb(7), (Cdb{0x51, 0, 0, 0, 0, 0, 0, 0, 36, 0}));
    EXPECT_EQ(disk.Cdb(8), (Cdb{0x52, 0, 0, 0, 0, 0, 0, 0, 28, 0}));

    const std::uint32_t lengths[] = {36, 0, 8, 32, 3 * 512, 2 * 512, 8, 36, 28};
    for (std::size_t i = 0; i < disk.log.size(); ++i) {
        SCOPED_TRACE(i);
        const ScsiRequest& r = disk.log[i];
        EXPECT_EQ(r.flags, i == 1 ? 0x40 : 0x48);
        EXPECT_EQ(r.dataLength, lengths[i]);
        EXPECT_EQ(r.senseLength, 18);
        EXPECT_EQ(r.hostAdapter, 255); // no address selected
        EXPECT_EQ(r.target, 255);
        EXPECT_EQ(r.lun, 255);
    }
}

TEST(ScsiDisk, IdentityComesFromInquiryAndZeroAnswersCountAsNoDevice) {
    EmulatedTarget disk;
    DeviceIdentity id;
    ASSERT_TRUE(disk.GetIdentity(&id));
    EXPECT_STREQ(id.vendor.data(), "VNDR    ");
    EXPECT_STREQ(id.product.data(), "OPTICAL DRIVE   ");
    EXPECT_STREQ(id.revision.data(), "1.0a");
    EXPECT_EQ(id.peripheralType, 5);
    EXPECT_EQ(id.removable, 1);
    EXPECT_EQ(disk.GetDriveKind(), kDriveCdRom);

    EmulatedTarget empty;
    empty.inquiryZeros = true;
    EXPECT_FALSE(empty.GetIdentity(&id));
    EXPECT_EQ(empty.GetDriveKind(), kDriveUnknown);

    EmulatedTarget refusing;
    refusing.refused = {0x12};
    EXPECT_FALSE(refusing.GetIdentity(nullptr));
    EXPECT_FALSE(ParseInquiry(std::vector<std::uint8_t>(35, 0x41), id)); // too short
}

TEST(ScsiDisk, CapacityFollowsTheOverflowAndTrackInformationPaths) {
    std::uint64_t last = 1;
    std::uint32_t size = 1;
    {
        EmulatedTarget disk;
        disk.blockSize = 2048;
        ASSERT_TRUE(disk.GetCapacity(&last, &size));
        EXPECT_EQ(last, 999u);
        EXPECT_EQ(size, 2048u);
        EXPECT_EQ(disk.log.size(), 1u); // READ CAPACITY(16) only after an overflow
    }
    {
        EmulatedTarget disk;
        disk.capacity10Overflow = true;
        disk.lastLba = 0x1FFFFFFFFull;
        disk.blockSize = 4096;
        ASSERT_TRUE(disk.GetCapacity(&last, &size));
        EXPECT_EQ(last, 0x1FFFFFFFFull);
        EXPECT_EQ(size, 4096u);
    }
    {
        // Without READ CAPACITY(16) the 32-bit answer stands.
        EmulatedTarget disk;
        disk.capacity10Overflow = true;
        disk.refused = {0x9E};
        ASSERT_TRUE(disk.GetCapacity(&last, nullptr));
        EXPECT_EQ(last, 0xFFFFFFFFu);
    }
    {
        EmulatedTarget disk;
        disk.capacityZero = true;
        disk.trackLastLba = 359999;
        ASSERT_TRUE(disk.GetCapacity(&last, &size));
        EXPECT_EQ(last, 359999u);
        EXPECT_EQ(disk.LastLba(), 359999u);
    }
    {
        EmulatedTarget disk;
        disk.capacityZero = true;
        disk.trackLastLba = 0;
        EXPECT_FALSE(disk.GetCapacity(&last, &size));
        EXPECT_EQ(disk.LastLba(), 0u);
        EXPECT_EQ(disk.SectorSize(), 512u);
    }
    {
        EmulatedTarget disk;
        disk.capacityZero = true;
        disk.trackLastLba = 100;
        disk.refused = {0x51};
        EXPECT_FALSE(disk.GetCapacity(nullptr, nullptr));
        EXPECT_EQ(disk.log.size(), 2u); // track information is not asked after a failure
    }
    {
        EmulatedTarget disk;
        disk.blockSize = 0;
        EXPECT_FALSE(disk.GetCapacity(nullptr, nullptr));
        EXPECT_EQ(disk.LastLba(), 0u);
    }
    {
        EmulatedTarget disk;
        disk.refused = {0x25};
        EXPECT_FALSE(disk.GetCapacity(nullptr, nullptr));
    }
}

TEST(ScsiDisk, Read16IsUsedExactlyWhenTheLbaNeedsMoreThan32Bits) {
    EmulatedTarget disk;
    disk.capacity10Overflow = true;
    disk.lastLba = 0x200000000ull;
    ASSERT_TRUE(disk.GetCapacity(nullptr, nullptr));
    std::vector<std::uint8_t> buffer(2 * 512);
    const std::pair<std::uint64_t, std::uint8_t> cases[] = {{0, 0x28},
                                                            {0xFFFFFFFEull, 0x28},
                                                            {0xFFFFFFFFull, 0x28},
                                                            {0x100000000ull, 0x88},
                                                            {0x1FFFFFFFFull, 0x88}};
    for (const auto& [lba, opcode] : cases) {
        SCOPED_TRACE(lba);
        disk.log.clear();
        ASSERT_TRUE(disk.ReadSectors(lba, 2, buffer.data(), 2 * 512));
        ASSERT_EQ(disk.log.size(), 1u);
        EXPECT_EQ(disk.Opcode(0), opcode);
        EXPECT_EQ(StampOf(buffer, 0), lba);
        EXPECT_EQ(StampOf(buffer, 1), lba + 1);
    }
}

TEST(ScsiDisk, ReadsStayInsideTheMediumAndFailOnBadOrShortTransfers) {
    EmulatedTarget disk;
    disk.lastLba = 999;
    ASSERT_TRUE(disk.GetCapacity(nullptr, nullptr));
    std::vector<std::uint8_t> buffer(4 * 512);
    EXPECT_TRUE(disk.ReadSectors(996, 4, buffer.data(), 4 * 512)); // ends on the last LBA
    disk.log.clear();
    EXPECT_FALSE(disk.ReadSectors(997, 4, buffer.data(), 4 * 512));
    EXPECT_FALSE(disk.ReadSectors(~0ull, 2, buffer.data(), 2 * 512)); // lba + count wraps
    EXPECT_FALSE(disk.ReadSectors(0, 4, buffer.data(), 4 * 512 - 1)); // buffer too small
    EXPECT_TRUE(disk.log.empty());

    disk.mediumErrors = {500};
    EXPECT_FALSE(disk.ReadSectors(498, 4, buffer.data(), 4 * 512));
    EXPECT_TRUE(disk.ReadSectors(501, 1, buffer.data(), 512));

    disk.shortBy = 512; // GOOD status, but a sector never arrived
    EXPECT_FALSE(disk.ReadSectors(0, 2, buffer.data(), 2 * 512));
}

TEST(ScsiDisk, LongReadsAreSplitIntoTransfersTheKernelAccepts) {
    EmulatedTarget disk;
    disk.lastLba = 200000;
    ASSERT_TRUE(disk.GetCapacity(nullptr, nullptr));
    // 70 000 sectors do not fit READ(10)'s 16-bit block count in one command.
    const std::uint32_t count = 70000;
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(count) * 512);
    disk.log.clear();
    ASSERT_TRUE(
        disk.ReadSectors(100, count, buffer.data(), static_cast<std::uint32_t>(buffer.size())));
    std::uint64_t blocks = 0;
    for (const ScsiRequest& r : disk.log) {
        EXPECT_LE(r.dataLength, CScsiDisk::kMaxTransferBytes);
        blocks += ByteReader(r.cdb.data(), 10).Be16(7);
    }
    EXPECT_EQ(blocks, count);
    for (std::size_t i : {std::size_t{0}, std::size_t{127}, std::size_t{128}, std::size_t{69999}})
        EXPECT_EQ(StampOf(buffer, i), 100 + i);
}

TEST(ScsiDisk, PendingUnitAttentionIsRetriedOnceOnly) {
    EmulatedTarget disk;
    disk.unitAttentions = 1;
    EXPECT_TRUE(disk.GetCapacity(nullptr, nullptr));
    EXPECT_EQ(disk.log.size(), 2u);

    EmulatedTarget stubborn;
    stubborn.unitAttentions = 2;
    EXPECT_FALSE(stubborn.CheckReady());
    EXPECT_EQ(stubborn.log.size(), 2u);
}
