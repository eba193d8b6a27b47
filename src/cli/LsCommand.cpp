#include "cli/BrowseTree.h"
#include "cli/Command.h"
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

struct Listing {
    bool recursive = false;
    bool json = false;
    int maxDepth = 100;
    const RowFilter* filter = nullptr;
    PatternList excludeFolders;
    std::string relativeBase; // display path the text rows are shown relative to
};

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

std::string RelativePath(const Listing& listing, const std::string& path) {
    if (path.compare(0, listing.relativeBase.size(), listing.relativeBase) != 0)
        return path;
    return path.substr(std::min(path.size(), listing.relativeBase.size() + 1));
}

void PrintFolder(const Listing& listing, const ResultNode& folder) {
    const std::string path = DisplayPath(folder);
    if (listing.json) {
        const FileEntry* data = nullptr;
        if (const auto* fat = dynamic_cast<const FatFolderNode*>(&folder))
            data = &fat->DirectoryData();
        std::cout << "{\"path\":" << JsonString(path) << ",\"id\":" << JsonString(IdPath(folder))
                  << ",\"name\":" << JsonString(ToUtf8(folder.Name()))
                  << ",\"type\":\"folder\",\"size\":0,\"deleted\":"
                  << (folder.IsDeleted() ? "true" : "false")
                  << ",\"condition\":null,\"condition_text\":null,\"modified\":"
                  << JsonTime(data ? data->modifyTime : FileTime{})
                  << ",\"created\":" << JsonTime(data ? data->createTime : FileTime{})
                  << ",\"accessed\":" << JsonTime(data ? data->accessTime : FileTime{}) << "}\n";
        return;
    }
    std::cout << IdPath(folder) << "\t" << (folder.IsDeleted() ? "*" : " ") << "\t"
              << PrintableName(FromUtf8(RelativePath(listing, path))) << "/\t\tフォルダ\t\n";
}

void PrintFile(const Listing& listing, const ResultNode& folder, std::size_t index) {
    const FileEntry& file = *folder.File(index);
    const std::string path = FileDisplayPath(folder, file);
    if (listing.json) {
        std::cout << "{\"path\":" << JsonString(path)
                  << ",\"id\":" << JsonString(FileIdPath(folder, index))
                  << ",\"name\":" << JsonString(ToUtf8(file.name))
                  << ",\"type\":\"file\",\"size\":" << file.size
                  << ",\"deleted\":" << (file.deleted ? "true" : "false")
                  << ",\"condition\":" << file.condition
                  << ",\"condition_text\":" << JsonString(FileConditionText(file.condition))
                  << ",\"modified\":" << JsonTime(file.modifyTime)
                  << ",\"created\":" << JsonTime(file.createTime)
                  << ",\"accessed\":" << JsonTime(file.accessTime) << "}\n";
        return;
    }
    std::cout << FileIdPath(folder, index) << "\t" << (file.deleted ? "*" : " ") << "\t"
              << PrintableName(FromUtf8(RelativePath(listing, path))) << "\t"
              << ToUtf8(SizeColumnText(file.size)) << "\t" << FileConditionText(file.condition)
              << "\t" << ToUtf8(DateTimeText(file.modifyTime)) << "\n";
}

bool ShowsFile(const Listing& listing, const FileEntry& file) {
    FilterRow row;
    row.name = file.name;
    row.size = file.size;
    row.deleted = file.deleted;
    row.condition = file.condition;
    row.modifyTime = file.modifyTime;
    return listing.filter->Passes(row);
}

// Folders follow the deleted-folders switch and the exclude list (so $Extend stays out
// by default); include patterns pick files, not the folders that lead to them.
bool ShowsFolder(const Listing& listing, const ResultNode& folder) {
    return listing.filter->ShowsFolder(folder.IsDeleted(), folder.IsScanTarget()) &&
           !(listing.filter->Settings().excludePatternsOn &&
             listing.excludeFolders.Matches(folder.Name()));
}

void List(const Listing& listing, ResultNode& node, int depth) {
    AnalyseCompletely(node);
    for (const auto& child : node.Children()) {
        if (!ShowsFolder(listing, *child))
            continue;
        PrintFolder(listing, *child);
        // Folders that point back up the tree are never added, and the depth is bounded.
        if (listing.recursive && depth < listing.maxDepth)
            List(listing, *child, depth + 1);
    }
    for (std::size_t i = 0; i < node.FileCount(); ++i)
        if (ShowsFile(listing, *node.File(i)))
            PrintFile(listing, node, i);
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
    Listing listing;
    listing.recursive = parser.Flag("-r") || parser.Flag("--recursive");
    listing.json = parser.Flag("--json");
    listing.maxDepth = settings.analysisDepth;
    listing.filter = &filter;
    listing.excludeFolders = PatternList(settings.excludePatterns);

    std::vector<ResultNode*> roots;
    ExpandDisks(*session->root);
    if (positional.size() == 2) {
        TreeItem item;
        if (!FindItem(*session->root, positional[1], &item))
            return UsageError("見つかりません: " + positional[1]);
        if (item.file) {
            for (std::size_t i = 0; i < item.node->FileCount(); ++i)
                if (item.node->File(i) == item.file)
                    PrintFile(listing, *item.node, i);
            return kExitOk;
        }
        roots.push_back(item.node);
    } else {
        roots = ExistingFolderRoots(*session->root);
    }
    if (!listing.json)
        std::cout << "ID\t削除\t" << ToUtf8(FileListColumnHeader(kColumnName)) << "\t"
                  << ToUtf8(FileListColumnHeader(kColumnSize)) << "\t"
                  << ToUtf8(FileListColumnHeader(kColumnCondition)) << "\t"
                  << ToUtf8(FileListColumnHeader(kColumnModified)) << "\n";
    for (ResultNode* root : roots) {
        listing.relativeBase = DisplayPath(*root);
        if (!listing.json && roots.size() > 1)
            std::cout << "# " << IdPath(*root) << "  " << PrintableName(root->Name()) << "\n";
        List(listing, *root, 0);
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
