#include "cli/Command.h"

#include <iostream>
#include <string>
#include <vector>

using namespace vantrel::cli;

namespace {

void PrintOverview(std::ostream& out) {
    out << "使い方: vantrel-cli <コマンド> [引数...]\n"
           "ディスク、パーティション、ディスクイメージを読み取り専用で調べ、ファイルを回収します。"
           "\n\n"
           "コマンド:\n";
    for (const auto& [name, command] : Commands())
        out << "  " << name << std::string(name.size() < 10 ? 10 - name.size() : 1, ' ')
            << command.summary << "\n";
    out << "\n各コマンドの詳細: vantrel-cli <コマンド> --help\n"
           "バージョン: vantrel-cli --version\n\n"
        << kExitCodesHelp
        << "\n状態（condition）の番号: 0 空のファイル、1 NTFSファイル、2 とても良い、3 良い、\n"
           "  4 やや悪い、5 悪い、6 とても悪い（ls --json と manifest.jsonl の \"condition\"）\n";
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintOverview(std::cerr);
        return kExitUsage;
    }
    if (args[0] == "--version" || args[0] == "-V") {
        std::cout << "vantrel-cli " << VANTREL_VERSION << "\n";
        return kExitOk;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintOverview(std::cout);
        return kExitOk;
    }
    const auto it = Commands().find(args[0]);
    if (it == Commands().end()) {
        std::cerr << "vantrel-cli: 不明なコマンドです: " << args[0] << "\n";
        PrintOverview(std::cerr);
        return kExitUsage;
    }
    args.erase(args.begin());
    try {
        return it->second.run(args);
    } catch (const std::exception& e) {
        std::cerr << "vantrel-cli: 内部エラー: " << e.what() << "\n";
        return kExitProblem;
    }
}
