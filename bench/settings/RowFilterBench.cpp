// Cost of the file list's row filter per row: a carving scan can fill one folder with
// hundreds of thousands of entries, and every settings change refilters all of them.

#include "engine/settings/RowFilter.h"
#include "engine/settings/ScanSettings.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

using namespace vantrel;

namespace {

std::vector<std::u16string> Names(std::size_t count) {
    static const char16_t* const kExtensions[] = {u".jpg", u".JPG", u".png", u".txt",
                                                  u".doc", u".mp3", u".dat", u".jpg.bak"};
    std::vector<std::u16string> names;
    names.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::u16string name = u"FILE";
        for (char c : std::to_string(i))
            name += static_cast<char16_t>(c);
        names.push_back(name + kExtensions[i % 8]);
    }
    return names;
}

void Filter(benchmark::State& state, const ScanSettings& settings) {
    const auto names = Names(10000);
    const RowFilter filter(settings);
    std::size_t passed = 0;
    for (auto _ : state) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            FilterRow row;
            row.name = names[i];
            row.size = i * 37;
            row.deleted = (i & 1) != 0;
            row.modifyTime = static_cast<std::int64_t>(1565740800 + i);
            passed += filter.Passes(row);
        }
    }
    benchmark::DoNotOptimize(passed);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(names.size()));
}

// The defaults: 25 exclude patterns, nothing else.
void BM_DefaultSettings(benchmark::State& state) {
    Filter(state, ScanSettings(0));
}

// The easy search with every group: 86 include patterns and the 25 exclude names.
void BM_EasySearchAllGroups(benchmark::State& state) {
    EasySearchChoice choice;
    choice.includePatternsOn = true;
    Filter(state, MakeEasySearchSettings(choice, 0));
}

} // namespace

BENCHMARK(BM_DefaultSettings);
BENCHMARK(BM_EasySearchAllGroups);
BENCHMARK_MAIN();
