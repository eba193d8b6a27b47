// Per-sector signature test and whole carving over 64 MiB of mixed content: compressed-
// looking noise, zeroed space, plain and Shift-JIS text, and pictures, documents and
// audio of unknown length that keep the end-marker search busy. The scan must keep up
// with the disk, so these rates are compared with sequential read rates.

#include "engine/signature/FileSignature.h"
#include "engine/signature/SignatureCarver.h"

#include <benchmark/benchmark.h>
#include <cstring>
#include <random>
#include <vector>

using namespace vantrel;

namespace {

constexpr std::size_t kSector = 512;
constexpr std::size_t kImageBytes = 64u << 20;

void Put(std::vector<std::uint8_t>& image, std::size_t at, std::string_view text) {
    std::memcpy(image.data() + at, text.data(), std::min(text.size(), image.size() - at));
}

const std::vector<std::uint8_t>& MixedImage() {
    static const std::vector<std::uint8_t> image = [] {
        std::vector<std::uint8_t> bytes(kImageBytes);
        std::mt19937_64 random(20261207);
        const std::size_t sectors = kImageBytes / kSector;
        std::size_t s = 0;
        while (s < sectors) {
            const std::size_t length = std::min<std::size_t>(8 + random() % 200, sectors - s);
            std::uint8_t* data = bytes.data() + s * kSector;
            const std::size_t size = length * kSector;
            switch (random() % 8) {
            case 0: // zeroed space
                std::memset(data, 0, size);
                break;
            case 1:
            case 2: { // text, ASCII with Shift-JIS words
                static const char kWords[] = "the scan reads sectors \x93\xfa\x96\x7b\x8c\xea and "
                                             "finds files \r\n";
                for (std::size_t i = 0; i < size; ++i)
                    data[i] = static_cast<std::uint8_t>(kWords[i % (sizeof kWords - 1)]);
                std::memset(data + size - 100, 0, 100);
                break;
            }
            default: { // compressed-looking data, often behind a header of unknown length
                for (std::size_t i = 0; i < size; i += 8) {
                    const std::uint64_t word = random();
                    std::memcpy(data + i, &word, 8);
                }
                const unsigned kind = static_cast<unsigned>(random() % 5);
                if (kind == 0)
                    Put(bytes, s * kSector, "\xFF\xD8\xFF\xE0\x00\x10JFIF");
                else if (kind == 1)
                    Put(bytes, s * kSector, "%PDF-1.4\n");
                else if (kind == 2)
                    Put(bytes, s * kSector, "\x89PNG\r\n\x1A\n");
                else if (kind == 3)
                    Put(bytes, s * kSector, "ID3\x03");
                break;
            }
            }
            s += length;
        }
        return bytes;
    }();
    return image;
}

void BM_DetectFileTypePerSector(benchmark::State& state) {
    const std::vector<std::uint8_t>& image = MixedImage();
    const std::size_t sectors = image.size() / kSector;
    for (auto _ : state) {
        std::size_t found = 0;
        for (std::size_t s = 0; s < sectors; ++s) {
            const std::size_t at = s * kSector;
            const Bytes window(image.data() + at,
                               std::min<std::size_t>(8 * kSector, image.size() - at));
            if (DetectFileType(window))
                ++found;
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(image.size()));
}
BENCHMARK(BM_DetectFileTypePerSector)->Unit(benchmark::kMillisecond);

// The whole detection phase as the scan drives it: chunk copies, the 8-sector overlap,
// start tests, end-marker and text-end searches, file naming.
void BM_CarveWholeImage(benchmark::State& state) {
    const std::vector<std::uint8_t>& image = MixedImage();
    const std::uint64_t sectors = image.size() / kSector;
    std::size_t files = 0;
    for (auto _ : state) {
        SignatureCarver carver;
        carver.Reset(kSector);
        files = 0;
        const CarveChunkReader read = [&](std::uint64_t lba, std::uint32_t count,
                                          std::span<std::uint8_t> out) {
            std::memcpy(out.data(), image.data() + lba * kSector, std::size_t{count} * kSector);
        };
        const FoundFileSink found = [&files](const FoundCarvedFile&) { ++files; };
        std::uint64_t position = 0;
        while (true) {
            const std::uint64_t result = carver.Step(0, sectors, position, read, found);
            if (result == kCarveComplete || result == 0)
                break;
            position = result;
        }
        benchmark::DoNotOptimize(files);
    }
    state.counters["files"] = static_cast<double>(files);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(image.size()));
}
BENCHMARK(BM_CarveWholeImage)->Unit(benchmark::kMillisecond);

void BM_MemcpyBaseline(benchmark::State& state) {
    const std::vector<std::uint8_t>& image = MixedImage();
    std::vector<std::uint8_t> chunk(32768);
    for (auto _ : state) {
        for (std::size_t at = 0; at < image.size(); at += chunk.size())
            std::memcpy(chunk.data(), image.data() + at, chunk.size());
        benchmark::DoNotOptimize(chunk.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(image.size()));
}
BENCHMARK(BM_MemcpyBaseline)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
