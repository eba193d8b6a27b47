#include "cli/BrowseTree.h"
#include "cli/Command.h"
#include "cli/Source.h"
#include "platform/Utf.h"
#include "viewers/core/DumpWindow.h"

#include <charconv>
#include <cstdio>
#include <iostream>

namespace vantrel::cli {

namespace {

// Enough lines for a tall window; the dump reads the file through this much at a time.
constexpr int kBufferHeight = 16 * 1024;

bool ParseCount(const std::string& text, std::uint64_t* value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return error == std::errc() && end == text.data() + text.size();
}

int RunDump(const std::vector<std::string>& args) {
    ArgParser parser(args, {"--text", "--offset", "--length", kMapOption}, {});
    if (parser.WantsHelp()) {
        std::cout << Commands().at("dump").usage;
        return kExitOk;
    }
    if (!parser.Ok())
        return UsageError(parser.Error());
    if (parser.Positional().size() != 2)
        return UsageError("SOURCE と FILE を指定してください（vantrel-cli dump --help）");
    const std::string modeName = parser.Value("--text", "sjis");
    DumpTextMode mode;
    if (modeName == "sjis")
        mode = DumpTextMode::shiftJis;
    else if (modeName == "ascii")
        mode = DumpTextMode::ascii;
    else if (modeName == "unicode")
        mode = DumpTextMode::unicode;
    else
        return UsageError("--text は sjis、ascii、unicode のどれかです: " + modeName);
    std::uint64_t offset = 0;
    std::uint64_t length = UINT64_MAX;
    if (parser.HasValue("--offset") && !ParseCount(parser.Value("--offset"), &offset))
        return UsageError("--offset には 0 以上の整数を指定してください");
    if (parser.HasValue("--length") && !ParseCount(parser.Value("--length"), &length))
        return UsageError("--length には 0 以上の整数を指定してください");

    auto session = OpenBrowseSession(parser.Positional()[0], parser.Value(kMapOption));
    if (!session)
        return kExitUsage;
    TreeItem item;
    if (!FindFileItem(*session->root, parser.Positional()[1], &item))
        return kExitUsage;

    FileEntryReader reader(*item.file);
    DumpFileWindow window(reader, DumpCapacityFor(kBufferHeight));
    if (!window.Usable()) {
        std::cout << "このファイルをダンプすることは出来ません。\n";
        return kExitOk;
    }
    const std::uint64_t size = reader.Size();
    const std::uint64_t first = DumpGoToTarget(std::min(offset, size - 1));
    const std::uint64_t end = length > size - offset || offset >= size ? size : offset + length;
    std::cout << DumpHeaderText() << '\n';
    if (!window.Load(first)) {
        std::fflush(stdout);
        std::cerr << "vantrel-cli: ファイルの読み込みに失敗しました。\n";
        return kExitProblem;
    }
    bool carry = window.ShiftJisCarryInto(first);
    for (std::uint64_t line = first; line < end; line += kDumpLineBytes) {
        const auto move = window.MoveTo(line, 1);
        if (!move.readOk) {
            std::fflush(stdout);
            std::cerr << "vantrel-cli: ファイルの読み込みに失敗しました。（" << line
                      << " バイト目）\n";
            return kExitProblem;
        }
        std::uint8_t storage[kDumpLineBytes];
        std::optional<std::uint8_t> next;
        const Bytes bytes = window.Line(line, storage, &next);
        const auto glyphs = DumpTextColumn(mode, bytes, next, line == 0, carry);
        std::cout << DumpHexText(line, bytes) << "  " << ToUtf8(DumpTextColumnString(glyphs))
                  << '\n';
        if (!std::cout)
            break;
    }
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "vantrel-cli: 出力に書き込めませんでした\n";
        return kExitProblem;
    }
    return kExitOk;
}

const CommandRegistrar kDump{{
    "dump",
    "ファイルを 16 進ダンプで表示します（ダンプウィンドウと同じ行）",
    "使い方: vantrel-cli dump SOURCE FILE [--text sjis|ascii|unicode] [--offset N] [--length N]\n"
    "  SOURCE    デバイスまたはディスクイメージファイル（読み取り専用で開きます）\n" +
        std::string(kMapHelp) +
        "  FILE      ファイルの ID パス（ls の ID 列）または表示パス\n"
        "  --text    テキスト欄の解釈: sjis（Shift-JIS、既定）、ascii、unicode（UTF-16）\n"
        "  --offset  この位置を含む行から表示します（16 バイト単位に切り下げ）\n"
        "  --length  表示するバイト数（既定: ファイルの最後まで）\n"
        "見出し行のあとに、アドレス、16 バイトの 16 進数とテキスト欄を 1 行ずつ書き出します。\n"
        "テキスト欄は UTF-8 で、全角文字は 2 桁を占めます。\n",
    RunDump,
}};

} // namespace

} // namespace vantrel::cli
