#include "cli/BrowseTree.h"
#include "cli/Command.h"
#include "cli/FileListing.h"
#include "cli/FilterOptions.h"
#include "cli/Source.h"
#include "cli/TextFormat.h"
#include "engine/settings/ColumnText.h"
#include "engine/settings/RowFilter.h"
#include "engine/tree/FileCondition.h"
#include "engine/volume/FatFolderNode.h"
#include "platform/LocalTime.h"
#include "platform/Utf.h"

#include <iostream>

namespace vantrel::cli {

namespace {

// --from and --to were the first names of --since and --until; `recover` needs --to for
// its folder, so the shared names are the new ones.
std::vector<std::string> OldDateNames(std::vector<std::string> args) {
    for (std::string& arg : args) {
        for (const auto& [old, now] : {std::pair{"--from", "--since"}, {"--to", "--until"}}) {
            const std::string name = old;
            if (arg == name || arg.rfind(name + "=", 0) == 0)
                arg = now + arg.substr(name.size());
        }
        if (arg == "--")
            break;
    }
    return args;
}

int RunLs(const std::vector<std::string>& args) {
    ArgParser parser(OldDateNames(args), Joined({kMapOption}, FilterValueOptions()),
                     Joined({"-r", "--recursive", "--json"}, FilterFlagOptions()));
    if (parser.WantsHelp()) {
        std::cout << Commands().at("ls").usage;
        return kExitOk;
    }
    if (!parser.Ok())
        return UsageError(parser.Error());
    const auto& positional = parser.Positional();
    if (positional.empty() || positional.size() > 2)
        return UsageError("SOURCE と、必要なら NODE を指定してください（vantrel-cli ls --help）");

    ScanSettings settings;
    std::string error;
    if (!ReadFilterOptions(parser, &settings, &error))
        return UsageError(error);

    auto session = OpenBrowseSession(positional[0], parser.Value(kMapOption));
    if (!session)
        return kExitUsage;
    const RowFilter filter(settings);
    FileListing listing = MakeFileListing(filter);
    listing.recursive = parser.Flag("-r") || parser.Flag("--recursive");
    listing.json = parser.Flag("--json");
    listing.releaseListed = true; // nothing is done with the tree after its rows

    std::vector<ResultNode*> roots;
    ExpandDisks(*session->root);
    if (positional.size() == 2) {
        TreeItem item;
        if (!FindItem(*session->root, positional[1], &item))
            return UsageError("見つかりません: " + positional[1]);
        if (item.file) {
            for (std::size_t i = 0; i < item.node->FileCount(); ++i)
                if (item.node->File(i) == item.file)
                    PrintFileRow(listing, *item.node, i);
            return kExitOk;
        }
        roots.push_back(item.node);
    } else {
        roots = ExistingFolderRoots(*session->root);
    }
    if (!listing.json)
        PrintListingHeader();
    for (ResultNode* root : roots) {
        listing.relativeBase = DisplayPath(*root);
        if (!listing.json && roots.size() > 1)
            std::cout << "# " << IdPath(*root) << "  " << PrintableName(root->Name()) << "\n";
        ListNode(listing, *root, 0);
    }
    std::cout.flush();
    return std::cout ? kExitOk : kExitProblem;
}

const CommandRegistrar kLs{{
    "ls",
    "フォルダとファイルを一覧表示します（削除済みを含む）",
    "使い方: vantrel-cli ls SOURCE [NODE] [-r] [フィルタ] [--json]\n"
    "  SOURCE  デバイス、ディスクイメージファイル、または drive:N（drives の番号）\n" +
        std::string(kMapHelp) +
        "  NODE    一覧するノードの ID パス（tree の表示、例: 1/1）または表示パス。\n"
        "          省略するとすべてのボリュームの「既存のフォルダ」を一覧します\n"
        "  -r, --recursive     サブフォルダもたどります（必要に応じて解析します）\n"
        "  --json              1 行に 1 つの JSON オブジェクトで出力します\n" +
        std::string(kFilterOptionsHelp) +
        "  （--since と --until は --from と --to とも書けます）\n"
        "テキスト出力の列: ID、削除（* は削除済み）、ファイル名、サイズ、状態、更新日時。\n",
    RunLs,
}};

} // namespace

} // namespace vantrel::cli
