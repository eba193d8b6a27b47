// Reading an E01 image against reading the raw image it was made from: 64 MiB of mixed
// content (text-like runs that compress, random runs that do not, zeros) read in 1 MiB
// requests, sequentially, as a scan reads. The E01 files are made with ewfacquire (uncompressed and
// "fast" deflate) in a temporary folder the first time; without ewfacquire those
// benchmarks are skipped.

#include "device/HandleDisk.h"
#include "device/ewf/EwfDisk.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

using namespace vantrel;
namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kImageBytes = 64ull << 20;
constexpr std::uint32_t kRequestSectors = 2048; // 1 MiB

const fs::path& Folder() {
    static const fs::path folder = [] {
        const fs::path dir = fs::temp_directory_path() / "vantrel-ewf-bench";
        fs::create_directories(dir);
        const fs::path raw = dir / "disk.raw";
        if (!fs::exists(raw)) {
            std::mt19937_64 random(42);
            std::vector<char> block(1 << 20);
            std::ofstream out(raw, std::ios::binary);
            for (std::uint64_t done = 0; done < kImageBytes; done += block.size()) {
                const int kind = static_cast<int>(done >> 20) % 4;
                for (std::size_t i = 0; i < block.size(); ++i)
                    block[i] = kind == 0   ? static_cast<char>('a' + (i * 7 + (i >> 9)) % 26)
                               : kind == 1 ? static_cast<char>(random())
                               : kind == 2 ? '\0'
                                           : static_cast<char>("line of text\n"[i % 13]);
                out.write(block.data(), static_cast<std::streamsize>(block.size()));
            }
            out.close();
            if (!out)
                fs::remove(raw); // the benchmarks then report that they cannot open it
        }
        for (const char* compression : {"none", "fast"}) {
            const fs::path target = dir / compression;
            if (!fs::exists(target.string() + ".E01") &&
                std::system(("ewfacquire -u -q -c " + std::string(compression) + " -t '" +
                             target.string() + "' '" + raw.string() +
                             "' </dev/null >/dev/null 2>&1")
                                .c_str()) != 0)
                fs::remove(target.string() + ".E01"); // a half-made image is no image
        }
        return dir;
    }();
    return folder;
}

void ReadAll(benchmark::State& state, CDiskDevice& disk) {
    std::vector<std::uint8_t> buffer(kRequestSectors * 512);
    for (auto _ : state) {
        for (std::uint64_t lba = 0; lba < kImageBytes / 512; lba += kRequestSectors)
            if (!disk.ReadSectors(lba, kRequestSectors, buffer.data(),
                                  static_cast<std::uint32_t>(buffer.size()))) {
                state.SkipWithError("read failed");
                return;
            }
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kImageBytes));
}

void BM_RawImage(benchmark::State& state) {
    CHandleDisk disk;
    if (!disk.Open((Folder() / "disk.raw").string()) || !disk.GetCapacity(nullptr, nullptr)) {
        state.SkipWithError("cannot open the raw image");
        return;
    }
    ReadAll(state, disk);
}
BENCHMARK(BM_RawImage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_E01(benchmark::State& state, const char* compression) {
    CEwfDisk disk;
    std::string problem;
    if (!disk.Open((Folder() / compression).string() + ".E01", &problem)) {
        state.SkipWithError(("no E01 image (ewfacquire missing?): " + problem).c_str());
        return;
    }
    ReadAll(state, disk);
}
BENCHMARK_CAPTURE(BM_E01, Uncompressed, "none")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_E01, FastDeflate, "fast")->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
