#include "cli/BrowseTree.h"
#include "cli/Command.h"
#include "cli/FileListing.h"
#include "cli/FilterOptions.h"
#include "cli/ScanConsole.h"
#include "cli/ScanRecovery.h"
#include "cli/Source.h"
#include "cli/TextFormat.h"
#include "engine/request/RequestQueue.h"
#include "engine/scan/MethodSelection.h"
#include "engine/settings/ColumnText.h"
#include "engine/settings/RowFilter.h"
#include "engine/tree/FileCondition.h"
#include "engine/volume/FatFolderNode.h"
#include "engine/worker/ScanWorker.h"
#include "platform/Terminal.h"
#include "platform/Utf.h"

#include <cstdio>
#include <iostream>

namespace vantrel::cli {

namespace {

bool ParseMethod(const std::string& text, MethodCode* code) {
    if (text == "auto")
        *code = kMethodAutomatic;
    else if (text == "database")
        *code = kMethodSignature;
    else if (text == "fat")
        *code = kMethodFat;
    else if (text == "ntfs")
        *code = kMethodNtfs;
    else
        return false;
    return true;
}

ResultNode* WholeDeviceArea(ResultNode& root) {
    for (const auto& child : root.Children())
        if (child->IsScanTarget())
            return child.get();
    return nullptr;
}

int RunScan(const std::vector<std::string>& args) {
    // --allow-same-filesystem is still accepted: writing beside an image is always allowed.
    ArgParser parser(args,
                     Joined(Joined({"--method", "--recover-to", kMapOption}, PolicyValueOptions()),
                            FilterValueOptions()),
                     Joined(Joined({"--json", "--allow-same-filesystem"}, FilterFlagOptions()),
                            PolicyFlagOptions()));
    if (parser.WantsHelp()) {
        std::cout << Commands().at("scan").usage;
        return kExitOk;
    }
    if (!parser.Ok())
        return UsageError(parser.Error());
    const auto& positional = parser.Positional();
    if (positional.empty() || positional.size() > 2)
        return UsageError("SOURCE と、必要なら AREA を指定してください（vantrel-cli scan --help）");
    MethodCode code = kMethodAutomatic;
    if (!ParseMethod(parser.Value("--method", "auto"), &code))
        return UsageError("--method には auto、database、fat、ntfs のいずれかを指定してください");
    if (parser.HasValue("--recover-to") && parser.Value("--recover-to").empty())
        return UsageError("--recover-to には回収先のフォルダを指定してください");
    RecoverPolicy policy;
    policy.terminal = StdinIsTerminal();
    ScanSettings settings;
    std::string error;
    if (!ReadPolicyOptions(parser, &policy, &error) ||
        !ReadFilterOptions(parser, &settings, &error))
        return UsageError(error);

    InstallScanMethods();
    InstallInterruptFlag();
    auto session = OpenBrowseSession(positional[0], parser.Value(kMapOption));
    if (!session)
        return kExitUsage;
    ExpandDisks(*session->root);
    ResultNode* area = nullptr;
    if (positional.size() == 2) {
        TreeItem item;
        if (!FindItem(*session->root, positional[1], &item) || item.file)
            return UsageError("見つかりません: " + positional[1]);
        area = item.node;
    } else {
        area = WholeDeviceArea(*session->root);
    }
    if (!area || !area->IsScanTarget())
        return UsageError("AREA には「スキャン結果」のノードを指定してください（vantrel-cli tree "
                          "で確認できます）");
    if (!area->SelectMethod(code)) {
        std::cerr << "vantrel-cli: スキャン方式を設定できませんでした\n";
        return kExitProblem;
    }

    RequestQueue queue;
    TreeItemRecord record(&queue, nullptr);
    record.SetNode(area);
    ScanConsole console(std::cerr, StderrIsTerminal(), TerminalColumns());
    std::cerr << "日時\t対象\t内容\n";
    if (!StartScanWorker(record)) {
        std::cerr << "vantrel-cli: スキャンを開始できませんでした\n";
        return kExitProblem;
    }
    console.Run(record, queue, *area);
    const int exitCode = record.JoinWorker();
    const int state = record.GetJobState();
    if (console.Interrupted())
        std::cerr << "中断しました。それまでに見つかったものを表示します\n";

    // Nothing has gone to stdout yet: a file or a pipe gets the rows in 64 KiB writes
    // rather than the C library's 4 KiB (a size it takes only with a buffer of ours,
    // which must last until the process ends).
    static char stdoutBuffer[1 << 16];
    if (!StdoutIsTerminal())
        static_cast<void>(std::setvbuf(stdout, stdoutBuffer, _IOFBF, sizeof stdoutBuffer));
    const RowFilter filter(settings);
    FileListing listing = MakeFileListing(filter);
    listing.recursive = true;
    listing.json = parser.Flag("--json");
    listing.withFirstLba = true;
    if (!listing.json)
        PrintListingHeader();
    ListNode(listing, *area, 0);
    std::cout.flush();

    bool problem = exitCode != kWorkerExitDone || state != kJobDone ||
                   (area->FileCount() == 0 && area->ChildCount() == 0);
    if (parser.HasValue("--recover-to") && !InterruptRequested()) {
        const ScanRecoveryResult recovery = RecoverScanResults(
            *area, SourceDevicePath(positional[0], *session->disk), SourceCompanions(*session),
            parser.Value("--recover-to"), settings, policy, std::cerr);
        // The salvage's log lines said why it could not start, and its summary.
        if (!recovery.ran)
            return kExitUsage;
        if (recovery.exitCode != kExitOk && recovery.exitCode != kExitPartial)
            problem = true;
        else if (!problem && recovery.exitCode == kExitPartial)
            return std::cout ? kExitPartial : kExitProblem;
    }
    return problem || !std::cout ? kExitProblem : kExitOk;
}

const CommandRegistrar kScan{{
    "scan",
    "生のセクタをスキャンして失われたフォルダとファイルを探します",
    "使い方: vantrel-cli scan SOURCE [AREA] [--method auto|database|fat|ntfs] [--json]\n"
    "                        [フィルタ] [--recover-to DIR [--overwrite ...]]\n"
    "  SOURCE  デバイス、ディスクイメージファイル、または drive:N（drives の番号）\n" +
        std::string(kMapHelp) +
        "  AREA    スキャンする「スキャン結果」ノードの ID パス（tree の表示）または表示パス。\n"
        "          省略するとデバイス全体の「スキャン結果」をスキャンします\n"
        "  --method        auto（既定。先頭セクタから選びます）、database（データベース方式）、\n"
        "                  fat（FAT方式）、ntfs（NTFS方式）\n"
        "  --json          見つかったものを 1 行に 1 つの JSON オブジェクトで出力します\n"
        "                  （ls --json の項目に \"first_lba\" を加えたもの）。データベース方式で\n"
        "                  切り出したファイルには、開始セクタによる名前 \"carved_name\" と、\n"
        "                  FAT や NTFS の記録から名前が分かったときは元のフォルダ\n"
        "                  \"original_folder\" が付きます\n"
        "  --recover-to DIR  見つかったもの（フィルタを通るもの）を DIR に回収し、\n"
        "                  DIR/manifest.jsonl に 1 行ずつ書き足します（前の回収の行は残ります。\n"
        "                  同じファイルを回収し直したときは、最後の行が今のファイルを表します）\n"
        "回収のオプション（--recover-to のとき）:\n" +
        std::string(kPolicyOptionsHelp) + kFilterOptionsHelp +
        "ログ（日時、対象、内容）と進行状況は標準エラーに出力します。Ctrl-C でスキャンを止め、\n"
        "それまでに見つかったものを表示します。何も見つからなかったときも終了コードは 1 です。\n" +
        kExitCodesHelp,
    RunScan,
}};

} // namespace

} // namespace vantrel::cli
