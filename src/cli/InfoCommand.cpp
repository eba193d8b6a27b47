#include "cli/Command.h"
#include "cli/Source.h"
#include "device/CapacityText.h"
#include "device/source/DiskSource.h"

#include <iostream>

namespace vantrel::cli {

namespace {

int RunInfo(const std::vector<std::string>& args) {
    ArgParser parser(args, {kMapOption}, {});
    if (parser.WantsHelp()) {
        std::cout << Commands().at("info").usage;
        return kExitOk;
    }
    if (!parser.Ok())
        return UsageError(parser.Error());
    if (parser.Positional().size() != 1)
        return UsageError("SOURCE を 1 つ指定してください（vantrel-cli info --help）");
    const std::string& path = parser.Positional()[0];
    auto disk = OpenSource(path);
    if (!disk)
        return kExitUsage;
    std::unique_ptr<CMappedDisk> mapped;
    if (parser.HasValue(kMapOption) && !(mapped = OpenMap(*disk, parser.Value(kMapOption))))
        return kExitUsage;
    const auto* handle = dynamic_cast<const CHandleDisk*>(disk.get());
    const CEwfDisk* ewf = EwfImageOf(*disk);
    std::cout << "種類: " << DriveKindText(disk->GetDriveKind())
              << (ewf                               ? "（E01 イメージファイル）"
                  : handle && handle->IsImageFile() ? "（イメージファイル）"
                                                    : "")
              << "\n"
              << "パス: " << path << "\n";
    for (const auto& [label, value] : EwfImageFacts(*disk))
        std::cout << label << ": " << value << "\n";
    std::cout << "セクタサイズ: " << disk->SectorSize() << "\n"
              << "最終LBA: " << disk->LastLba() << "\n"
              << "容量: " << CapacityText(disk->LastLba(), disk->SectorSize()) << "\n";
    if (mapped) {
        const std::uint64_t unread = mapped->UnreadSectorsIn(0, disk->LastLba() + 1);
        std::cout << "マップ: " << parser.Value(kMapOption) << "\n"
                  << "読めなかったセクタ: " << unread << "（" << unread * disk->SectorSize()
                  << " バイト）\n";
    }
    return kExitOk;
}

const CommandRegistrar kInfo{{
    "info",
    "デバイスまたはイメージの種類、セクタサイズ、容量を表示します",
    "使い方: vantrel-cli info SOURCE\n"
    "  SOURCE  デバイス（/dev/sdb など。root 権限が必要）またはディスクイメージファイル\n" +
        std::string(kMapHelp) +
        "種類、パス、セクタサイズ、最終LBA、容量を表示します。読み取り専用で開きます。\n"
        "E01 イメージ（分割されたものは最初のセグメント）では、形式と、イメージに記録された\n"
        "事件番号、調査担当者、取得日時、ハッシュなども表示します。\n",
    RunInfo,
}};

} // namespace

} // namespace vantrel::cli
