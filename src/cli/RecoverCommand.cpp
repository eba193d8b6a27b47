#include "cli/BrowseTree.h"
#include "cli/Command.h"
#include "cli/FilterOptions.h"
#include "cli/SalvageSession.h"
#include "cli/Source.h"
#include "engine/partition/DriveNode.h"
#include "engine/partition/PartitionNode.h"
#include "engine/salvage/Manifest.h"
#include "engine/salvage/SalvageWorker.h"
#include "engine/tree/FileEntry.h"
#include "platform/Terminal.h"
#include "platform/Utf.h"

#include <iostream>

namespace vantrel::cli {

namespace {

// "P0 <partition> <volume root>" for a volume inside a partition (the id keeps two
// partitions of the same kind apart), the volume root's name alone for a volume that
// fills the whole device.
std::u16string VolumeFolderName(const ResultNode& volumeRoot) {
    const ResultNode* holder = volumeRoot.Parent();
    if (!holder || !holder->Parent())
        return volumeRoot.Name();
    std::string id = IdPath(*holder);
    for (char& c : id)
        if (c == '/')
            c = '-';
    return FromUtf8("P" + id + " ") + holder->Name() + u" " + volumeRoot.Name();
}

void AddVolumes(ResultNode& below, std::vector<SalvageItem>* items) {
    ExpandDisks(below);
    for (ResultNode* root : ExistingFolderRoots(below))
        items->push_back({nullptr, nullptr, root, VolumeFolderName(*root)});
}

bool IsDiskNode(const ResultNode& node) {
    return dynamic_cast<const DriveNode*>(&node) || dynamic_cast<const PartitionNode*>(&node);
}

int RunRecover(const std::vector<std::string>& args) {
    // --allow-same-filesystem is still accepted: writing beside an image is always allowed.
    ArgParser parser(
        args, Joined(Joined({"--to", kMapOption}, PolicyValueOptions()), FilterValueOptions()),
        Joined(Joined({"--all", "--allow-same-filesystem"}, FilterFlagOptions()),
               PolicyFlagOptions()));
    if (parser.WantsHelp()) {
        std::cout << Commands().at("recover").usage;
        return kExitOk;
    }
    if (!parser.Ok())
        return UsageError(parser.Error());
    const auto& positional = parser.Positional();
    const bool all = parser.Flag("--all");
    if (positional.empty() || (positional.size() == 1 && !all) || (positional.size() > 1 && all))
        return UsageError("SOURCE と、NODE または --all のどちらかを指定してください"
                          "（vantrel-cli recover --help）");
    if (!parser.HasValue("--to") || parser.Value("--to").empty())
        return UsageError("回収先のフォルダを --to で指定してください");
    RecoverPolicy policy;
    ScanSettings filter;
    std::string error;
    if (!ReadPolicyOptions(parser, &policy, &error) || !ReadFilterOptions(parser, &filter, &error))
        return UsageError(error);
    policy.terminal = StdinIsTerminal();
    // From here on Ctrl-C stops the run cleanly, even while the source is being read.
    InstallInterruptFlag();

    auto session = OpenBrowseSession(positional[0], parser.Value(kMapOption));
    if (!session)
        return kExitUsage;
    SalvageJob job;
    job.destination = parser.Value("--to");
    job.sourcePath = SourceDevicePath(positional[0], *session->disk);
    job.sourceCompanions = SourceCompanions(*session);
    job.filter = filter;
    job.writeManifest = true;
    job.describeSource = [](const ResultNode* parent, const FileEntry& entry) {
        return parent ? FileDisplayPath(*parent, entry) : ToUtf8(entry.name);
    };
    if (all) {
        AddVolumes(*session->root, &job.items);
        if (job.items.empty()) {
            std::cerr << "vantrel-cli: 既存のフォルダが見つかりません: " << positional[0] << "\n";
            return kExitProblem;
        }
    }
    for (std::size_t i = 1; i < positional.size(); ++i) {
        TreeItem item;
        if (!FindItem(*session->root, positional[i], &item))
            return UsageError("見つかりません: " + positional[i]);
        if (item.file)
            job.items.push_back({item.file, item.node, nullptr, {}});
        else if (IsDiskNode(*item.node))
            AddVolumes(*item.node, &job.items);
        else
            job.items.push_back({nullptr, nullptr, item.node, {}});
    }

    if (InterruptRequested()) {
        std::cerr << "vantrel-cli: 回収を中止しました（何も書き込んでいません）\n";
        return kExitProblem;
    }
    if (!RunSalvageSession(job, policy, session->root.get(), std::cerr)) {
        std::cerr << "vantrel-cli: 回収を開始できませんでした\n";
        return kExitProblem;
    }

    // The worker's own log lines (on stderr) already gave the summary and any refusal;
    // standard output names the manifest for scripts, when there is a whole one.
    if (job.summary.manifestWritten)
        std::cout << "マニフェスト: " << (job.destination / kManifestName).string() << "\n";
    std::cout.flush();
    return std::cout ? SalvageExitCode(job.summary) : kExitProblem;
}

const CommandRegistrar kRecover{{
    "recover",
    "ファイルやフォルダを別のドライブのフォルダへ回収します",
    "使い方: vantrel-cli recover SOURCE (NODE... | --all) --to DIR [オプション]\n"
    "  SOURCE  デバイス、ディスクイメージファイル、または drive:N（drives の番号）\n" +
        std::string(kMapHelp) +
        "  NODE    回収するファイルまたはフォルダ: ID パス（例 0/3/2）か表示パス\n"
        "          （vantrel-cli ls / tree で確認できます）。ディスクやパーティションを指定す\n"
        "          ると、その中の既存のフォルダをすべて回収します\n"
        "  --all   すべてのパーティションの既存のフォルダを、パーティションとボリュームの名前の\n"
        "          フォルダに回収します\n"
        "  --to DIR                     回収先のフォルダ（回収元のディスク上や、回収元のイメージ\n"
        "                               ファイルの中には置けません。イメージファイルの隣は可）\n" +
        std::string(kPolicyOptionsHelp) +
        "フォルダの回収では、ls と同じフィルタを通るファイルとフォルダだけを回収します。\n"
        "NODE で直接指定したファイルは、フィルタにかかわらず回収します。\n" +
        kFilterOptionsHelp +
        "DIR/manifest.jsonl に各ファイルの結果と（--no-hash がなければ）SHA-256 を 1 行ずつ\n"
        "書き足します。前の回収の行はそのまま残ります。同じファイルを回収し直すと行が増え、\n"
        "最後の行が今のファイルを表します。\n"
        "Ctrl-C で、書き込み中のファイルを残さずに中止します。\n" +
        kExitCodesHelp,
    RunRecover,
}};

} // namespace

} // namespace vantrel::cli
