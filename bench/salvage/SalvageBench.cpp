// Salvage must keep up with the disk it reads: measured are SHA-256 over the written
// bytes and the whole copy of a 64 MiB file (four runs of sectors read from memory,
// written under a temporary name into a temporary folder, renamed, hashed or not).

#include "device/DiskDevice.h"
#include "device/DiskWindow.h"
#include "engine/salvage/FileCopier.h"
#include "engine/salvage/Sha256.h"
#include "engine/tree/FileEntry.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <filesystem>
#include <vector>

using namespace vantrel;

namespace {

constexpr std::uint64_t kFileBytes = 64ull << 20;

class RamDisk : public CDiskDevice {
public:
    explicit RamDisk(std::uint64_t sectors) : bytes_(sectors * 512) {
        for (std::size_t i = 0; i < bytes_.size(); ++i)
            bytes_[i] = static_cast<std::uint8_t>(i * 7 + (i >> 12));
    }
    bool GetCapacity(std::uint64_t* lastLba, std::uint32_t* sectorSize) override {
        lastLba_ = bytes_.size() / 512 - 1;
        sectorSize_ = 512;
        if (lastLba)
            *lastLba = lastLba_;
        if (sectorSize)
            *sectorSize = 512;
        return true;
    }
    bool ReadSectors(std::uint64_t lba, std::uint32_t count, void* buffer,
                     std::uint32_t bufferSize) override {
        const std::uint64_t bytes = static_cast<std::uint64_t>(count) * 512;
        if (bufferSize < bytes || (lba + count) * 512 > bytes_.size())
            return false;
        std::memcpy(buffer, bytes_.data() + lba * 512, bytes);
        return true;
    }

private:
    std::vector<std::uint8_t> bytes_;
};

void BM_Sha256(benchmark::State& state) {
    std::vector<std::uint8_t> data(1 << 20, 0x5A);
    for (auto _ : state) {
        Sha256 hash;
        for (std::uint64_t done = 0; done < kFileBytes; done += data.size())
            hash.Update(data.data(), data.size());
        benchmark::DoNotOptimize(hash.FinishHex());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kFileBytes));
}
BENCHMARK(BM_Sha256)->Unit(benchmark::kMillisecond);

void BM_CopyEntry(benchmark::State& state) {
    const std::uint64_t sectors = kFileBytes / 512;
    RamDisk disk(sectors + 4096);
    CDiskWindow window;
    if (!window.Open(&disk, 0, 0) || !window.GetCapacity(nullptr, nullptr)) {
        state.SkipWithError("the disk does not open");
        return;
    }
    FileEntry entry;
    entry.AttachToWindow(&window);
    entry.name = u"bench.bin";
    entry.size = kFileBytes;
    for (int run = 0; run < 4; ++run) // four runs, out of order on the disk
        entry.extents.Append(static_cast<std::uint64_t>(3 - run) * (sectors / 4) + 1024,
                             sectors / 4);
    const auto folder = std::filesystem::temp_directory_path() / "vantrel-salvage-bench";
    std::filesystem::create_directories(folder);
    std::vector<std::uint8_t> buffer;
    CopyTask task;
    task.folder = folder;
    task.finalName = "bench.bin";
    task.byteCount = kFileBytes;
    task.replaceExisting = true;
    task.pieceBytes = static_cast<std::size_t>(state.range(0));
    task.hash = state.range(1) != 0;
    for (auto _ : state) {
        const CopyOutcome outcome = CopyEntryToFile(entry, task, buffer);
        if (outcome.result != CopyResult::Done)
            state.SkipWithError(outcome.error.c_str());
    }
    std::filesystem::remove_all(folder);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kFileBytes));
}
// Piece size, and whether the copy is hashed.
BENCHMARK(BM_CopyEntry)
    ->Args({64 << 10, 1})
    ->Args({1 << 20, 1})
    ->Args({1 << 20, 0})
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
