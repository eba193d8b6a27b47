#include "app/shell/ImageSources.h"

#include "device/source/DiskSource.h"
#include "platform/Privileges.h"

#include <QFileInfo>

namespace vantrel {
namespace {

QString ProblemText(SourceProblem problem, const QString& path) {
    switch (problem) {
    case SourceProblem::Missing:
        return QStringLiteral("指定されたファイルが見つかりません。\n%1").arg(path);
    case SourceProblem::IsDirectory:
        return QStringLiteral("フォルダは開けません。ディスクのイメージファイルかデバイスを指定"
                              "してください。\n%1")
            .arg(path);
    case SourceProblem::NoPermission:
        return QStringLiteral("読み取りの権限がないため開けません。\n%1%2")
            .arg(path, RunningAsRoot() ? QString()
                                       : QStringLiteral("\nデバイスを読むには管理者の権限が必要"
                                                        "です。"));
    case SourceProblem::Empty:
        return QStringLiteral("空のファイル、またはメディアの入っていないデバイスです。\n%1")
            .arg(path);
    case SourceProblem::NotADisk:
        return QStringLiteral("ディスクでもディスクのイメージファイルでもありません (パイプや"
                              "ソケットなど)。\n%1")
            .arg(path);
    case SourceProblem::OpenFailed:
    case SourceProblem::None:
        break;
    }
    return QStringLiteral("開けませんでした。\n%1").arg(path);
}

std::string LocalPath(const QString& path) {
    return QFileInfo(path).absoluteFilePath().toLocal8Bit().toStdString();
}

} // namespace

std::unique_ptr<CDiskDevice> OpenImageSource(const QString& path, QString* problem) {
    const std::string local = LocalPath(path);
    DiskSourceProblem why;
    std::unique_ptr<CDiskDevice> disk = OpenDiskSource(local, &why);
    if (!disk)
        *problem = why.path != SourceProblem::None
                       ? ProblemText(why.path, QString::fromLocal8Bit(local.c_str()))
                       : QString::fromStdString(why.text);
    return disk;
}

std::unique_ptr<CDiskDevice> AttachRescueMap(std::unique_ptr<CDiskDevice> image,
                                             const QString& mapPath, QString* problem,
                                             QString* warning) {
    std::string why;
    std::string clipped;
    std::unique_ptr<CDiskDevice> mapped =
        OpenRescueMap(std::move(image), LocalPath(mapPath), &why, &clipped);
    if (!mapped)
        *problem = QString::fromStdString(why);
    *warning = QString::fromStdString(clipped);
    return mapped;
}

} // namespace vantrel
