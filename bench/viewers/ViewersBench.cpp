// Throughput of the viewers' readers on large inputs: the HTML sanitiser and the RTF
// reader run once over a whole file when it is previewed, and the dump formats a screen
// of lines on every paint.

#include "viewers/core/DumpFormat.h"
#include "viewers/core/HtmlSanitizer.h"
#include "viewers/core/RtfReader.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

using namespace vantrel;

namespace {

std::u16string Page(std::size_t bytes) {
    const std::u16string block = u"<p align=center onclick=x><font color=red size=3 face=\"MS "
                                 u"Gothic\">日本語の文章 text</font>"
                                 u"<script>alert(1)</script><!-- comment --><a "
                                 u"href=http://x>link</a><iframe></iframe></p>\r\n";
    std::u16string page = u"\uFEFF<html><body bgcolor=white>";
    while (page.size() * 2 < bytes)
        page += block;
    return page;
}

void Sanitise(benchmark::State& state) {
    const std::u16string page = Page(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::u16string text = page;
        benchmark::DoNotOptimize(SanitizeHtml(text));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(page.size() * 2));
}
BENCHMARK(Sanitise)->Arg(1 << 20)->Arg(16 << 20);

void ReadRtfDocument(benchmark::State& state) {
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 \\'82\\'6c\\'82\\'72;}}"
        "{\\colortbl ;\\red255\\green0\\blue0;}";
    while (rtf.size() < static_cast<std::size_t>(state.range(0)))
        rtf +=
            "\\pard\\qc\\f0\\fs24\\cf1\\b \\'93\\'fa\\'96\\'7b\\b0  plain text \\u26085?\\par\r\n";
    rtf += "}";
    const Bytes bytes(reinterpret_cast<const std::uint8_t*>(rtf.data()), rtf.size());
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadRtf(bytes));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(rtf.size()));
}
BENCHMARK(ReadRtfDocument)->Arg(1 << 20);

// One screen of a tall window: 100 lines, hex text and the Shift-JIS column.
void DumpScreen(benchmark::State& state) {
    std::vector<std::uint8_t> bytes(1600);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
    for (auto _ : state) {
        bool carry = false;
        for (std::size_t line = 0; line < bytes.size(); line += 16) {
            const Bytes span(bytes.data() + line, 16);
            benchmark::DoNotOptimize(DumpHexText(line, span));
            benchmark::DoNotOptimize(
                DumpTextColumn(DumpTextMode::shiftJis, span, std::nullopt, line == 0, carry));
        }
    }
}
BENCHMARK(DumpScreen);

} // namespace

BENCHMARK_MAIN();
