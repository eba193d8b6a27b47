// LZNT1 decompression of a compression unit, and run-list decoding of a fragmented file.

#include "fs/ntfs/Lznt1.h"
#include "fs/ntfs/NtfsRunList.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

using namespace vantrel;

namespace {

using ByteVector = std::vector<std::uint8_t>;

// A plain greedy LZNT1 compressor, only to make realistic input.
ByteVector Compress(const ByteVector& data) {
    ByteVector out;
    for (std::size_t start = 0; start < data.size(); start += 4096) {
        const std::size_t n = std::min<std::size_t>(4096, data.size() - start);
        const std::uint8_t* src = data.data() + start;
        ByteVector body;
        std::size_t pos = 0;
        while (pos < n) {
            const std::size_t flagAt = body.size();
            body.push_back(0);
            for (int bit = 0; bit < 8 && pos < n; ++bit) {
                unsigned shift = 12;
                for (std::size_t i = pos - 1; pos > 0 && i >= 0x10; i >>= 1)
                    --shift;
                const std::size_t maxBack = std::min<std::size_t>(pos, 1u << (16 - shift));
                const std::size_t maxLength = ((1u << shift) - 1) + 3;
                std::size_t bestLength = 0;
                std::size_t bestBack = 0;
                for (std::size_t back = 1; back <= std::min<std::size_t>(maxBack, 512); ++back) {
                    std::size_t length = 0;
                    while (pos + length < n && length < maxLength &&
                           src[pos + length] == src[pos + length - back])
                        ++length;
                    if (length > bestLength) {
                        bestLength = length;
                        bestBack = back;
                    }
                }
                if (bestLength >= 3) {
                    const auto token =
                        static_cast<std::uint16_t>(((bestBack - 1) << shift) | (bestLength - 3));
                    body.push_back(static_cast<std::uint8_t>(token));
                    body.push_back(static_cast<std::uint8_t>(token >> 8));
                    body[flagAt] = static_cast<std::uint8_t>(body[flagAt] | 1u << bit);
                    pos += bestLength;
                } else {
                    body.push_back(src[pos++]);
                }
            }
        }
        const bool stored = body.size() >= n;
        const ByteVector& chunk = stored ? ByteVector(src, src + n) : body;
        const auto header = static_cast<std::uint16_t>((stored ? 0 : 0x8000) | 0x3000 |
                                                       ((chunk.size() - 1) & 0x0FFF));
        out.push_back(static_cast<std::uint8_t>(header));
        out.push_back(static_cast<std::uint8_t>(header >> 8));
        out.insert(out.end(), chunk.begin(), chunk.end());
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

ByteVector TextUnit() {
    std::string text;
    for (int i = 1; text.size() < 65536; ++i)
        text += "line " + std::to_string(i) + " of a log file with some repeated words\n";
    return ByteVector(text.begin(), text.begin() + 65536);
}

void BM_Lznt1DecompressUnit(benchmark::State& state) {
    const ByteVector unit = TextUnit();
    const ByteVector packed = Compress(unit);
    ByteVector out(unit.size());
    if (!DecompressLznt1(packed, out) || out != unit) {
        state.SkipWithError("round trip failed");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecompressLznt1(packed, out));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(unit.size()));
    state.counters["ratio"] = static_cast<double>(packed.size()) / static_cast<double>(unit.size());
}
BENCHMARK(BM_Lznt1DecompressUnit);

// A file in 2000 fragments of varying length, alternating forward and backward jumps.
void BM_DecodeRunList(benchmark::State& state) {
    ByteVector list;
    for (int i = 0; i < 2000; ++i) {
        const std::uint16_t length = static_cast<std::uint16_t>(1 + i % 300);
        const std::int32_t delta = (i % 2 ? -5000 : 5000) + i * 37; // the LCN stays above 0
        list.push_back(0x32);                                       // 2-byte length, 3-byte offset
        list.push_back(static_cast<std::uint8_t>(length));
        list.push_back(static_cast<std::uint8_t>(length >> 8));
        for (int b = 0; b < 3; ++b)
            list.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(delta) >> (8 * b)));
    }
    list.push_back(0);
    if (DecodeRunList(list, 0).size() != 2000) {
        state.SkipWithError("run list did not decode whole");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeRunList(list, 0));
    state.SetItemsProcessed(state.iterations() * 2000);
}
BENCHMARK(BM_DecodeRunList);

} // namespace

BENCHMARK_MAIN();
