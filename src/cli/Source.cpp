#include "cli/Source.h"

#include "device/DriveList.h"
#include "device/source/DiskSource.h"
#include "platform/Privileges.h"

#include <array>
#include <iostream>
#include <string_view>

namespace vantrel::cli {

namespace {

std::string ProblemText(SourceProblem problem, const std::string& path) {
    switch (problem) {
    case SourceProblem::Missing:
        return "指定されたパスが見つかりません: " + path;
    case SourceProblem::IsDirectory:
        return "フォルダは対象にできません。デバイスかディスクイメージを指定してください: " + path;
    case SourceProblem::NoPermission:
        return "読み取りの権限がありません: " + path +
               (!RunningAsRoot() ? "（デバイスを読むには root 権限が必要です）" : "");
    case SourceProblem::Empty:
        return "空のファイルまたはメディアのないデバイスです: " + path;
    case SourceProblem::NotADisk:
        return "ディスクでもディスクイメージでもありません: " + path;
    case SourceProblem::OpenFailed:
    case SourceProblem::None:
        break;
    }
    return "開けませんでした: " + path;
}

// "drive:N": the drive the list of `drives` numbers N, opened through the device class
// the list chose for it (pass-through, floppy track walk or a plain handle).
std::unique_ptr<CDiskDevice> OpenListedDrive(const std::string& text) {
    const std::string number = text.substr(std::string_view(kDrivePrefix).size());
    if (number.empty() || number.size() > 4 ||
        number.find_first_not_of("0123456789") != std::string::npos) {
        std::cerr << "vantrel-cli: ドライブは drive:N（N は vantrel-cli drives の番号）で指定して"
                     "ください: "
                  << text << "\n";
        return nullptr;
    }
    const std::size_t index = std::stoul(number);
    DriveList drives;
    EnumerateDrives(drives, true, true);
    if (index >= drives.size() || !drives[index]) {
        std::cerr << "vantrel-cli: ドライブ " << index << " はありません（検出したドライブは "
                  << drives.size() << " 台です。vantrel-cli drives で確認できます）\n";
        return nullptr;
    }
    std::unique_ptr<CDiskDevice> device = std::move(drives[index]);
    if (!device->GetCapacity(nullptr, nullptr)) {
        std::cerr << "vantrel-cli: 容量を取得できませんでした（メディアがないか、読み取れません）: "
                  << text << "\n";
        return nullptr;
    }
    return device;
}

} // namespace

std::string SourceDevicePath(const std::string& source, const CDiskDevice& device) {
    return source.rfind(kDrivePrefix, 0) == 0 ? device.DeviceNode() : source;
}

std::unique_ptr<CDiskDevice> OpenSource(const std::string& path) {
    if (path.rfind(kDrivePrefix, 0) == 0)
        return OpenListedDrive(path);
    DiskSourceProblem problem;
    std::unique_ptr<CDiskDevice> disk = OpenDiskSource(path, &problem);
    if (!disk)
        std::cerr << "vantrel-cli: "
                  << (problem.path != SourceProblem::None ? ProblemText(problem.path, path)
                                                          : problem.text)
                  << "\n";
    return disk;
}

std::unique_ptr<CMappedDisk> OpenMap(CDiskDevice& disk, const std::string& mapPath) {
    std::string problem;
    std::string warning;
    std::unique_ptr<CMappedDisk> mapped = OpenRescueMap(disk, mapPath, &problem, &warning);
    if (!mapped)
        std::cerr << "vantrel-cli: " << problem << "\n";
    else if (!warning.empty())
        std::cerr << "vantrel-cli: 警告: " << warning << "\n";
    return mapped;
}

} // namespace vantrel::cli
