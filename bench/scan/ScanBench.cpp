// Per-chunk costs of the FAT and NTFS scan methods, to set against the time the disk
// takes to deliver the same 32 KiB: the directory-cluster test with the run walk of the
// FAT method, and the "FILE" magic test of the NTFS method, on chunks that hold nothing
// (the common case) and on chunks full of what they look for.

#include "engine/scan/FatDirectoryRun.h"
#include "fs/fat/FatDirectoryData.h"
#include "fs/ntfs/NtfsRecordHeader.h"
#include "platform/ByteReader.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

using namespace vantrel;

constexpr std::size_t kChunk = 32768;
constexpr std::size_t kSector = 512;

std::vector<std::uint8_t> RandomChunk() {
    std::vector<std::uint8_t> chunk(kChunk);
    std::mt19937 random(42);
    for (auto& byte : chunk)
        byte = static_cast<std::uint8_t>(random());
    return chunk;
}

// Sectors of 16 plausible short entries each ("FILE0001TXT" ...).
std::vector<std::uint8_t> DirectoryChunk() {
    std::vector<std::uint8_t> chunk(kChunk, 0);
    for (std::size_t slot = 0; slot < kChunk / 32; ++slot) {
        std::uint8_t* entry = chunk.data() + slot * 32;
        char name[12];
        std::snprintf(name, sizeof name, "F%07zuTXT", slot);
        std::memcpy(entry, name, 11);
        entry[11] = 0x20;
        PutLe(std::span(entry, 32), 26, 2 + slot, 2);
        PutLe(std::span(entry, 32), 28, 1000, 4);
    }
    return chunk;
}

// Two 1 KiB "FILE" records per 1 KiB.
std::vector<std::uint8_t> MftChunk() {
    std::vector<std::uint8_t> chunk(kChunk, 0);
    for (std::size_t record = 0; record < kChunk / 1024; ++record) {
        std::uint8_t* at = chunk.data() + record * 1024;
        std::memcpy(at, "FILE", 4);
        PutLe(std::span(at, 48), 4, 48, 2);
        PutLe(std::span(at, 48), 6, 3, 2);
    }
    return chunk;
}

// What the FAT method's detection does with a chunk: the directory test per sector and,
// at a directory sector, the walk of its run.
void FatDetectChunk(benchmark::State& state, const std::vector<std::uint8_t>& chunk) {
    for (auto _ : state) {
        std::size_t entries = 0;
        for (std::size_t sector = 0; sector < kChunk / kSector;) {
            const Bytes rest(chunk.data() + sector * kSector, kChunk - sector * kSector);
            if (!IsDirectoryCluster(rest.first(kSector))) {
                ++sector;
                continue;
            }
            const FatDirectoryRun run = WalkDirectoryRun(rest, nullptr);
            entries += run.entries.size();
            sector += std::max<std::size_t>(1, (run.bytesWalked + kSector - 1) / kSector);
        }
        benchmark::DoNotOptimize(entries);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kChunk));
}

void BM_FatDetectRandomChunk(benchmark::State& state) {
    FatDetectChunk(state, RandomChunk());
}
void BM_FatDetectZeroChunk(benchmark::State& state) {
    FatDetectChunk(state, std::vector<std::uint8_t>(kChunk, 0));
}
void BM_FatDetectDirectoryChunk(benchmark::State& state) {
    FatDetectChunk(state, DirectoryChunk());
}

void NtfsMagicScan(benchmark::State& state, const std::vector<std::uint8_t>& chunk) {
    for (auto _ : state) {
        std::size_t records = 0;
        for (std::size_t sector = 0; sector < kChunk / kSector; ++sector)
            records += IsMftRecord(Bytes(chunk.data() + sector * kSector, kSector)) ? 1u : 0u;
        benchmark::DoNotOptimize(records);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kChunk));
}

void BM_NtfsMagicRandomChunk(benchmark::State& state) {
    NtfsMagicScan(state, RandomChunk());
}
void BM_NtfsMagicMftChunk(benchmark::State& state) {
    NtfsMagicScan(state, MftChunk());
}

BENCHMARK(BM_FatDetectRandomChunk);
BENCHMARK(BM_FatDetectZeroChunk);
BENCHMARK(BM_FatDetectDirectoryChunk);
BENCHMARK(BM_NtfsMagicRandomChunk);
BENCHMARK(BM_NtfsMagicMftChunk);

} // namespace

BENCHMARK_MAIN();
