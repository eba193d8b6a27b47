// The FAT method tests every sector of a scanned range with IsDirectoryCluster, so that
// test must keep up with sequential reads. Measured over 32 MiB of mixed sectors (noise,
// zeroed space, Shift-JIS text and directory sectors), plus the listing of a full
// 2 MiB directory with long names.

#include "fs/fat/FatDirectoryData.h"
#include "fs/fat/FatDirectoryListing.h"
#include "fs/fat/FatLongNameEntry.h"
#include "platform/ByteReader.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace vantrel;

namespace {

constexpr std::size_t kSector = 512;

void PutShort(std::uint8_t* slot, const char* name11, std::uint8_t attributes,
              std::uint32_t cluster) {
    std::memcpy(slot, name11, 11);
    slot[11] = attributes;
    std::span<std::uint8_t> out(slot, 32);
    PutLe(out, 22, 0x6000, 2);
    PutLe(out, 24, 0x5A21, 2);
    PutLe(out, 26, cluster, 2);
    PutLe(out, 28, 1234, 4);
}

void PutLong(std::uint8_t* slot, std::uint8_t order, const char* name11) {
    static constexpr std::size_t kOffsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
    std::memset(slot, 0, 32);
    slot[0] = order;
    slot[11] = 0x0F;
    slot[13] = ShortNameChecksum(Bytes(reinterpret_cast<const std::uint8_t*>(name11), 11));
    for (std::size_t i = 0; i < 13; ++i) {
        slot[kOffsets[i]] = static_cast<std::uint8_t>(u'あ' + i);
        slot[kOffsets[i] + 1] = static_cast<std::uint8_t>((u'あ' + i) >> 8);
    }
}

// Sectors of directory entries: ".", "..", then long-named files.
void FillDirectory(std::uint8_t* data, std::size_t bytes, std::uint32_t cluster) {
    std::memset(data, 0, bytes);
    PutShort(data, ".          ", 0x10, static_cast<std::uint16_t>(cluster));
    PutShort(data + 32, "..         ", 0x10, 0);
    for (std::size_t at = 64; at + 96 <= bytes; at += 96) {
        char name[16];
        std::snprintf(name, sizeof name, "F%05zu~1TXT", at / 96 % 100000);
        PutLong(data + at, 0x42, name);
        PutLong(data + at + 32, 0x01, name);
        PutShort(data + at + 64, name, 0x20, static_cast<std::uint32_t>(at));
    }
}

const std::vector<std::uint8_t>& MixedSectors() {
    static const std::vector<std::uint8_t> image = [] {
        std::vector<std::uint8_t> bytes(32u << 20);
        std::mt19937_64 random(20261207);
        const std::size_t sectors = bytes.size() / kSector;
        const std::string text = "Vantrel test text 日本語のテキスト行です。\r\n";
        for (std::size_t s = 0; s < sectors; ++s) {
            std::uint8_t* sector = bytes.data() + s * kSector;
            switch (random() % 4) {
            case 0:
                for (std::size_t i = 0; i < kSector; ++i)
                    sector[i] = static_cast<std::uint8_t>(random());
                break;
            case 1:
                std::memset(sector, 0, kSector);
                break;
            case 2:
                for (std::size_t i = 0; i < kSector; ++i)
                    sector[i] = static_cast<std::uint8_t>(text[i % text.size()]);
                break;
            default:
                FillDirectory(sector, kSector, static_cast<std::uint32_t>(s));
                break;
            }
        }
        return bytes;
    }();
    return image;
}

void BM_IsDirectoryClusterPerSector(benchmark::State& state) {
    const auto& image = MixedSectors();
    std::size_t found = 0;
    for (auto _ : state) {
        for (std::size_t at = 0; at < image.size(); at += kSector)
            found += IsDirectoryCluster(Bytes(image.data() + at, kSector)) ? 1u : 0u;
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(image.size()));
}
BENCHMARK(BM_IsDirectoryClusterPerSector)->Unit(benchmark::kMillisecond);

void BM_ListFullDirectory(benchmark::State& state) {
    std::vector<std::uint8_t> directory(65536 * 32);
    FillDirectory(directory.data(), directory.size(), 2);
    for (auto _ : state) {
        auto entries = ParseDirectoryEntries(directory);
        benchmark::DoNotOptimize(entries.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(directory.size()));
}
BENCHMARK(BM_ListFullDirectory)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
