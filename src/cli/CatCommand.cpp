#include "cli/BrowseTree.h"
#include "cli/Command.h"
#include "cli/Source.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <vector>

namespace vantrel::cli {

namespace {

constexpr std::size_t kChunkBytes = 1 << 20;

int RunCat(const std::vector<std::string>& args) {
    ArgParser parser(args, {kMapOption}, {});
    if (parser.WantsHelp()) {
        std::cout << Commands().at("cat").usage;
        return kExitOk;
    }
    if (!parser.Ok())
        return UsageError(parser.Error());
    if (parser.Positional().size() != 2)
        return UsageError("SOURCE と FILE を指定してください（vantrel-cli cat --help）");
    auto session = OpenBrowseSession(parser.Positional()[0], parser.Value(kMapOption));
    if (!session)
        return kExitUsage;
    const std::string& spec = parser.Positional()[1];
    TreeItem item;
    if (!FindFileItem(*session->root, spec, &item))
        return kExitUsage;

    FileEntry& file = *item.file;
    std::vector<std::uint8_t> chunk(kChunkBytes);
    for (std::uint64_t position = 0; position < file.size;) {
        const auto length =
            static_cast<std::size_t>(std::min<std::uint64_t>(kChunkBytes, file.size - position));
        file.readPosition = position;
        if (!file.ReadNext(chunk.data(), length)) {
            std::fflush(stdout);
            std::cerr << "vantrel-cli: 読み込みに失敗しました: "
                      << FileDisplayPath(*item.node, file) << "（" << position << " バイト目から "
                      << length << " バイト）\n";
            return kExitProblem;
        }
        if (std::fwrite(chunk.data(), 1, length, stdout) != length) {
            std::cerr << "vantrel-cli: 出力に書き込めませんでした\n";
            return kExitProblem;
        }
        position += length;
    }
    if (std::fflush(stdout) != 0) {
        std::cerr << "vantrel-cli: 出力に書き込めませんでした\n";
        return kExitProblem;
    }
    return kExitOk;
}

const CommandRegistrar kCat{{
    "cat",
    "ファイルのデータを標準出力に書き出します",
    "使い方: vantrel-cli cat SOURCE FILE\n"
    "  SOURCE  デバイス、ディスクイメージファイル、または drive:N（drives の番号）\n" +
        std::string(kMapHelp) +
        "  FILE    ファイルの ID パス（ls の ID 列、例: 1/1/4）または表示パス\n"
        "          （ドライブからの名前を / でつないだもの）\n"
        "削除済みのファイルも、残っているデータから読み出します。読み込みに失敗した\n"
        "ときはエラーを表示して終了コード 1 で終わります。\n",
    RunCat,
}};

} // namespace

} // namespace vantrel::cli
