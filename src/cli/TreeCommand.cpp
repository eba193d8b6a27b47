#include "cli/BrowseTree.h"
#include "cli/Command.h"
#include "cli/Source.h"

#include <iostream>

namespace vantrel::cli {

namespace {

// Drive, partition and logical-drive nodes with their "スキャン結果" areas and the
// volumes' existing-folder roots; folders below the roots are listed by ls.
void PrintNode(ResultNode& node, int depth) {
    const std::string id = IdPath(node);
    std::cout << std::string(static_cast<std::size_t>(depth) * 2, ' ') << (id.empty() ? "." : id)
              << "  " << PrintableName(node.Name()) << "\n";
    if (IsFolderNode(node))
        return;
    for (const auto& child : node.Children())
        PrintNode(*child, depth + 1);
}

int RunTree(const std::vector<std::string>& args) {
    ArgParser parser(args, {kMapOption}, {});
    if (parser.WantsHelp()) {
        std::cout << Commands().at("tree").usage;
        return kExitOk;
    }
    if (!parser.Ok())
        return UsageError(parser.Error());
    if (parser.Positional().size() != 1)
        return UsageError("SOURCE を 1 つ指定してください（vantrel-cli tree --help）");
    auto session = OpenBrowseSession(parser.Positional()[0], parser.Value(kMapOption));
    if (!session)
        return kExitUsage;
    ExpandDisks(*session->root);
    PrintNode(*session->root, 0);
    return kExitOk;
}

const CommandRegistrar kTree{{
    "tree",
    "パーティションとボリュームの構成をツリーで表示します",
    "使い方: vantrel-cli tree SOURCE\n"
    "  SOURCE  デバイス、ディスクイメージファイル、または drive:N（drives の番号）\n" +
        std::string(kMapHelp) +
        "ドライブからパーティション、論理ドライブ、各ボリュームの「既存のフォルダ」と\n"
        "「スキャン結果」までを、ID パス（ドライブからの子の番号、例: 2/1）と名前で表示します。\n"
        "ID パスは ls と cat の NODE / FILE に指定できます。\n",
    RunTree,
}};

} // namespace

} // namespace vantrel::cli
