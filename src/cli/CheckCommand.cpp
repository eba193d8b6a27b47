#include "cli/Command.h"
#include "cli/Source.h"
#include "device/DiskWindow.h"
#include "engine/diagnosis/DdrescueMap.h"
#include "engine/diagnosis/DiagnosisWorker.h"
#include "engine/worker/WorkerPosting.h"
#include "platform/DestinationDevice.h"
#include "platform/OutputFile.h"
#include "platform/Terminal.h"
#include "platform/Utf.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <system_error>

namespace vantrel::cli {

namespace {

std::string ProgressLine(const DiskCheck& check) {
    const std::uint64_t percent = check.Length() ? check.Position() * 100 / check.Length() : 0;
    const double megabytes = static_cast<double>(check.BytesPerSecond()) / 1048576.0;
    char speed[32];
    std::snprintf(speed, sizeof speed, "%.1f MB/s", megabytes);
    return "診断中: " + std::to_string(check.Position()) + " / " + std::to_string(check.Length()) +
           " セクタ (" + std::to_string(percent) + "%)  " + speed + "  読み込めないセクタ " +
           std::to_string(check.BadSectors().Size()) + " 個";
}

// The map must not land on the examined disk, nor replace the image file being read.
// Returns what is wrong, or "" when the path is fine.
std::string MapPathProblem(const std::string& source, const std::string& mapPath) {
    std::error_code ec;
    const std::filesystem::path map = std::filesystem::absolute(mapPath, ec);
    if (ec || map.filename().empty())
        return "--map にはファイル名を指定してください: " + mapPath;
    FileIdentity target;
    if (IdentifyFile(map.string(), &target))
        for (const FileIdentity& file : SourceFiles(source))
            if (file == target)
                return "マップファイルに診断対象そのものは指定できません: " + mapPath;
    switch (CheckDestination(source, map.parent_path().string())) {
    case DestinationConflict::None:
        return {};
    case DestinationConflict::Unknown:
        return "マップファイルの保存先を確認できませんでした: " + mapPath;
    default:
        return "マップファイルの保存先が診断するディスク上にあります。別のドライブを指定してくださ"
               "い: " +
               mapPath;
    }
}

int RunCheck(const std::vector<std::string>& args) {
    ArgParser parser(args, {"--map"}, {});
    if (parser.WantsHelp()) {
        std::cout << Commands().at("check").usage;
        return kExitOk;
    }
    if (!parser.Ok())
        return UsageError(parser.Error());
    if (parser.Positional().size() != 1)
        return UsageError("SOURCE を 1 つ指定してください（vantrel-cli check --help）");
    if (parser.HasValue("--map") && parser.Value("--map").empty())
        return UsageError("--map にはマップファイルの名前を指定してください");
    const std::string& source = parser.Positional()[0];
    auto disk = OpenSource(source);
    if (!disk)
        return kExitUsage;
    const std::string mapPath = parser.Value("--map");
    if (!mapPath.empty()) {
        const std::string problem = MapPathProblem(source, mapPath);
        if (!problem.empty())
            return UsageError(problem);
    }

    CDiskWindow window;
    DiskCheck check;
    if (!window.Open(disk.get(), 0, 0) || !check.SetUp(&window)) {
        std::cerr << "vantrel-cli: 容量を取得できませんでした: " << source << "\n";
        return kExitUsage;
    }
    InstallInterruptFlag();
    const bool live = StderrIsTerminal();
    std::size_t logged = 0;
    auto lastDraw = std::chrono::steady_clock::now();
    while (!check.Complete() && !InterruptRequested()) {
        if (!check.Step())
            break;
        const auto& bad = check.BadSectors().Lbas();
        for (; logged < bad.size(); ++logged)
            std::cerr << (live ? "\r\033[K" : "") << ToUtf8(ReadErrorText(bad[logged])) << "\n";
        const auto now = std::chrono::steady_clock::now();
        if (live && now - lastDraw >= std::chrono::milliseconds(200)) {
            lastDraw = now;
            std::cerr << "\r\033[K" << ProgressLine(check) << std::flush;
        }
    }
    if (live)
        std::cerr << "\r\033[K";
    const bool stopped = !check.Complete();
    if (stopped)
        std::cerr << "vantrel-cli: 中断しました\n";
    std::cout << ToUtf8(DiagnosisSummaryText(check)) << "\n";
    if (!mapPath.empty()) {
        const std::string commandLine = "vantrel-cli check " + source + " --map " + mapPath;
        int error = 0;
        if (!WriteDdrescueMap(check, commandLine, mapPath, &error)) {
            std::cerr << "vantrel-cli: マップファイルを書き込めませんでした: " << mapPath << " ("
                      << ErrnoText(error) << ")\n";
            return kExitProblem;
        }
        std::cout << "マップファイル: " << mapPath << "\n";
    }
    return stopped || check.BadSectors().Size() != 0 ? kExitProblem : kExitOk;
}

const CommandRegistrar kCheck{{
    "check",
    "ディスクを先頭から最後まで読み、読み込めないセクタを調べます（診断）",
    "使い方: vantrel-cli check SOURCE [--map FILE]\n"
    "  SOURCE      デバイス（/dev/sdb など。root 権限が必要）またはディスクイメージファイル\n"
    "  --map FILE  結果を GNU ddrescue のマップファイルとして書き出します\n"
    "              （ddrescuelog や ddrescueview で読めます）\n"
    "全体を 1 MiB ずつ読み取り専用で読み、失敗した範囲はセクタ単位で読み直します。\n"
    "読み込めないセクタはそれぞれ 1 回ずつ表示します。Ctrl-C で中断できます。\n"
    "終了コード: 0 すべて読めた、1 読み込めないセクタがあった（または中断した）、2 使い方の誤り\n",
    RunCheck,
}};

} // namespace

} // namespace vantrel::cli
