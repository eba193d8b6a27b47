#include "app/shell/ImageSources.h"

#include "device/HandleDisk.h"
#include "platform/Privileges.h"
#include "platform/ReadOnlyFile.h"

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

} // namespace

std::unique_ptr<CDiskDevice> OpenImageSource(const QString& path, QString* problem) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    const std::string local = absolute.toLocal8Bit().toStdString();
    const SourceProblem checked = CheckSourcePath(local);
    if (checked != SourceProblem::None) {
        *problem = ProblemText(checked, absolute);
        return nullptr;
    }
    auto disk = std::make_unique<CHandleDisk>();
    if (!disk->Open(local)) {
        *problem = ProblemText(SourceProblem::OpenFailed, absolute);
        return nullptr;
    }
    if (!disk->GetCapacity(nullptr, nullptr)) {
        *problem = QStringLiteral("容量を取得できませんでした (1 セクタに満たないか、読み取れま"
                                  "せん)。\n%1")
                       .arg(absolute);
        return nullptr;
    }
    return disk;
}

} // namespace vantrel
