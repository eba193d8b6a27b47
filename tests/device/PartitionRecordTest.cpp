#include "device/PartitionRecord.h"

#include <gtest/gtest.h>
#include <vector>

using namespace vantrel;

TEST(PartitionRecord, ParsesSlotsWithChsBitsAndWritesThemBack) {
    std::vector<std::uint8_t> sector(512, 0);
    // Slot 1: active, CHS start head 254 / sector 63 / cylinder 1023, type 0x0C.
    const std::uint8_t slot[16] = {0x80, 0xFE, 0xFF, 0xFF, 0x0C, 0x01, 0xC1, 0x02,
                                   0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x01, 0x80};
    std::copy(std::begin(slot), std::end(slot), sector.begin() + 462);
    sector[510] = 0x55;
    sector[511] = 0xAA;
    sector[440] = 0x78; // disk signature lives in the boot code

    ASSERT_TRUE(IsPartitionTable(sector, 512));
    PartitionTable table;
    ASSERT_TRUE(ParsePartitionTable(sector, &table));
    EXPECT_EQ(table.signature, 0xAA55);
    EXPECT_EQ(table.bootCode[440], 0x78);
    const PartitionEntry& entry = table.entries[1];
    EXPECT_EQ(entry.bootIndicator, 0x80u);
    EXPECT_EQ(entry.type, 0x0Cu);
    EXPECT_EQ(entry.startChs.head, 254);
    EXPECT_EQ(entry.startChs.sector, 63);
    EXPECT_EQ(entry.startChs.cylinder, 1023u);
    EXPECT_EQ(entry.endChs.head, 1);
    EXPECT_EQ(entry.endChs.sector, 1);
    EXPECT_EQ(entry.endChs.cylinder, 0x302u);
    EXPECT_EQ(entry.startLba, 2048u);
    EXPECT_EQ(entry.sectorCount, 0x80010000u);
    EXPECT_EQ(table.entries[0].type, 0u);

    std::vector<std::uint8_t> rebuilt(512, 0);
    PutPartitionEntry(rebuilt, 1, entry);
    EXPECT_TRUE(std::equal(rebuilt.begin() + 462, rebuilt.begin() + 478, std::begin(slot)));
}

TEST(PartitionRecord, OnlyTheSignatureMakesATableAndShortSectorsAreRefused) {
    std::vector<std::uint8_t> sector(512, 0xFF);
    EXPECT_FALSE(IsPartitionTable(sector, 512));
    sector[510] = 0x55;
    sector[511] = 0xAA;
    EXPECT_TRUE(IsPartitionTable(sector, 512)) << "nothing but the marker is tested";
    EXPECT_FALSE(IsPartitionTable(sector, 256));
    EXPECT_FALSE(IsPartitionTable(Bytes(sector).first(511), 512));
    PartitionTable table;
    EXPECT_FALSE(ParsePartitionTable(Bytes(sector).first(511), &table));
    PartitionEntry entry;
    EXPECT_FALSE(ParsePartitionEntry(Bytes(sector).first(15), &entry));
}

TEST(PartitionRecord, KindTextsByType) {
    EXPECT_STREQ(PartitionKindText(0x00), "空のパーティション");
    EXPECT_STREQ(PartitionKindText(0x0E), "パーティション(FAT16)");
    EXPECT_STREQ(PartitionKindText(0x0F), "拡張パーティション");
    EXPECT_STREQ(PartitionKindText(0x0B), "パーティション(FAT32)");
    EXPECT_STREQ(PartitionKindText(0x1B), "隠しパーティション");
    EXPECT_STREQ(PartitionKindText(0x42), "ダイナミックディスク");
    EXPECT_STREQ(PartitionKindText(0xA0), "ハイバネーション領域");
    EXPECT_STREQ(PartitionKindText(0x83), "不明なパーティション");
    EXPECT_STREQ(PartitionKindText(0x107), "不明なパーティション");
}
