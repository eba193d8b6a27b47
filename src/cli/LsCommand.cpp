#include "cli/BrowseTree.h"
#include "cli/Command.h"
#include "cli/FileListing.h"
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

std::vector<std::u16string> SplitPatterns(const std::string& text) {
    std::vector<std::u16string> patterns;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const std::size_t end = std::min(text.find(';', begin), text.size());
        if (end > begin)
            patterns.push_back(FromUtf8(text.substr(begin, end - begin)));
        begin = end + 1;
    }
    return patterns;
}

// "YYYY-MM-DD" as local time at the start (or the end) of that day.
bool ParseDay(const std::string& text, bool endOfDay, std::int64_t* seconds) {
    CalendarTime day;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d%c", &day.year, &day.month, &day.day, &extra) != 3)
        return false;
    if (endOfDay) {
        day.hour = 23;
        day.minute = 59;
        day.second = 59;
    }
    return LocalToEpoch(day, seconds);
}

bool ParseSize(const std::string& text, std::uint64_t* size) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    *size = ReadSizeText(text);
    return true;
}

int RunLs(const std::vector<std::string>& args) {
    ArgParser parser(args, {"--min-size", "--max-size", "--from", "--to", "--include", "--exclude"},
                     {"-r", "--recursive", "--json", "--no-deleted", "--no-empty", "--no-exclude"});
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
    if (parser.Flag("--no-deleted"))
        settings.includeDeletedFiles = settings.includeDeletedFolders = false;
    if (parser.Flag("--no-empty"))
        settings.includeEmptyFiles = false;
    if (parser.HasValue("--min-size") || parser.HasValue("--max-size")) {
        settings.sizeFilterOn = true;
        if ((parser.HasValue("--min-size") &&
             !ParseSize(parser.Value("--min-size"), &settings.minimumSize)) ||
            (parser.HasValue("--max-size") &&
             !ParseSize(parser.Value("--max-size"), &settings.maximumSize)))
            return UsageError("サイズはバイト数で指定してください");
    }
    if (parser.HasValue("--from") || parser.HasValue("--to")) {
        settings.dateFilterOn = true;
        settings.dateFrom = INT64_MIN;
        settings.dateTo = INT64_MAX;
        if ((parser.HasValue("--from") &&
             !ParseDay(parser.Value("--from"), false, &settings.dateFrom)) ||
            (parser.HasValue("--to") && !ParseDay(parser.Value("--to"), true, &settings.dateTo)))
            return UsageError("日付は YYYY-MM-DD で指定してください");
    }
    if (parser.HasValue("--include")) {
        settings.includePatternsOn = true;
        settings.includePatterns = SplitPatterns(parser.Value("--include"));
    }
    if (parser.HasValue("--exclude"))
        settings.excludePatterns = SplitPatterns(parser.Value("--exclude"));
    if (parser.Flag("--no-exclude"))
        settings.excludePatternsOn = false;

    auto session = OpenBrowseSession(positional[0]);
    if (!session)
        return kExitUsage;
    const RowFilter filter(settings);
    FileListing listing = MakeFileListing(filter);
    listing.recursive = parser.Flag("-r") || parser.Flag("--recursive");
    listing.json = parser.Flag("--json");

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
    "  SOURCE  デバイスまたはディスクイメージファイル（読み取り専用で開きます）\n"
    "  NODE    一覧するノードの ID パス（tree の表示、例: 1/1）または表示パス。\n"
    "          省略するとすべてのボリュームの「既存のフォルダ」を一覧します\n"
    "  -r, --recursive     サブフォルダもたどります（必要に応じて解析します）\n"
    "  --json              1 行に 1 つの JSON オブジェクトで出力します\n"
    "フィルタ（設定の既定値: 空のファイルと削除ファイルを含め、NTFS の特殊ファイルを除外）:\n"
    "  --no-deleted        削除されたファイルとフォルダを含めません\n"
    "  --no-empty          空のファイルを含めません\n"
    "  --min-size N / --max-size N   サイズ（バイト）の範囲\n"
    "  --from YYYY-MM-DD / --to YYYY-MM-DD   更新日時の範囲（ローカル時刻）\n"
    "  --include 'P1;P2'   いずれかのパターンに一致するファイルだけを表示します（* と ?）\n"
    "  --exclude 'P1;P2'   除外パターンを置き換えます\n"
    "  --no-exclude        除外パターンを使いません（NTFS の特殊ファイルも表示）\n"
    "テキスト出力の列: ID、削除（* は削除済み）、ファイル名、サイズ、状態、更新日時。\n",
    RunLs,
}};

} // namespace

} // namespace vantrel::cli
