// The frame's own commands: the start page, the easy search, the settings, help, the
// about box, and adding sources (image files, drives opened through the disk service).

#include "app/browse/DriveRows.h"
#include "app/dialogs/AboutWindow.h"
#include "app/settings/EasySearchWizard.h"
#include "app/settings/SettingsSheet.h"
#include "app/shell/CVntMFCFrameWnd.h"
#include "app/shell/DiskService.h"
#include "app/shell/ImageSources.h"
#include "app/shell/ScreenHost.h"
#include "app/shell/UiRequestEvent.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>

namespace vantrel {

void CVntMFCFrameWnd::returnToStartPage() {
    if (browse_ && browse_->holdsAnalysisResults() &&
        showMessage(QMessageBox::Question,
                    QStringLiteral("スタート画面に戻ると全ての解析結果が失われます。\n"
                                   "よろしいですか？"),
                    QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    PostUiRequest(this, msg::kReset, 0);
    PostUiRequest(this, msg::kShowScreen, msg::kScreenStart);
}

void CVntMFCFrameWnd::runEasySearch() {
    EasySearchWizard wizard(MakeDriveRows(*drives_, *unopened_, detailMode_), this);
    if (wizard.exec() != QDialog::Accepted)
        return;
    int index = wizard.driveIndex();
    if (index < 0)
        return;
    if (static_cast<std::size_t>(index) >= drives_->size()) {
        index = openUnopenedDrive(static_cast<std::size_t>(index) - drives_->size(), this);
        if (index < 0)
            return;
    }
    CDiskDevice* drive = (*drives_)[static_cast<std::size_t>(index)].get();
    if (!drive || !drive->CheckReady()) {
        showMessage(QMessageBox::Warning, QStringLiteral("ドライブの準備が出来ていません。"));
        return;
    }
    replaceSettings(wizard.settings(QDateTime::currentSecsSinceEpoch()));
    PostUiRequest(this, msg::kReset, static_cast<std::uint64_t>(index));
    flush();
    PostUiRequest(this, msg::kScanWhenReady);
    flush();
}

void CVntMFCFrameWnd::runSettings() {
    SettingsSheet sheet(settings_, this);
    if (sheet.exec() != QDialog::Accepted)
        return;
    ScanSettings changed = settings_;
    sheet.applyTo(changed);
    replaceSettings(changed);
}

QString CVntMFCFrameWnd::HelpFolder() {
    const QString program = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {program + QStringLiteral("/help"), program + QStringLiteral("/../share/vantrel/help"),
          QStringLiteral(VANTREL_SOURCE_DIR "/res/help")}) {
        if (QFileInfo::exists(candidate + QStringLiteral("/index.html")))
            return QDir(candidate).absolutePath();
    }
    return program + QStringLiteral("/help");
}

void CVntMFCFrameWnd::showHelp() {
    // A help page that cannot be opened is not reported.
    QDesktopServices::openUrl(QUrl::fromLocalFile(HelpFolder() + QStringLiteral("/index.html")));
}

void CVntMFCFrameWnd::showAbout() {
    AboutWindow about(AboutWindow::Role::About, this);
    about.exec();
}

namespace {

QString ImageFilters() {
    return QStringLiteral(
        "ディスクイメージ (*.img *.dd *.raw *.bin *.iso *.ima *.vfd *.E01 *.e01);;"
        "E01 イメージ (*.E01 *.e01);;"
        "すべてのファイル (*)");
}

} // namespace

void CVntMFCFrameWnd::askImageFile() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("イメージファイルを開く"), QDir::homePath(), ImageFilters());
    if (!path.isEmpty())
        openImageFile(path);
}

void CVntMFCFrameWnd::askImageWithMap() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("イメージファイルの選択"), QDir::homePath(), ImageFilters());
    if (path.isEmpty())
        return;
    // A bad image is reported before the map is asked for.
    QString problem;
    std::unique_ptr<CDiskDevice> image = OpenImageSource(path, &problem);
    if (!image) {
        showMessage(QMessageBox::Warning, problem);
        return;
    }
    // The map usually lies beside its image.
    const QString mapPath = QFileDialog::getOpenFileName(
        this, QStringLiteral("マップファイルの選択"), QFileInfo(path).absolutePath(),
        QStringLiteral("マップファイル (*.map *.mapfile *.log);;すべてのファイル (*)"));
    if (!mapPath.isEmpty())
        addImage(std::move(image), mapPath);
}

bool CVntMFCFrameWnd::openImageFile(const QString& path, const QString& mapPath) {
    QString problem;
    std::unique_ptr<CDiskDevice> image = OpenImageSource(path, &problem);
    if (!image) {
        showMessage(QMessageBox::Warning, problem);
        return false;
    }
    return addImage(std::move(image), mapPath);
}

bool CVntMFCFrameWnd::addImage(std::unique_ptr<CDiskDevice> image, const QString& mapPath) {
    if (!mapPath.isEmpty()) {
        QString problem;
        QString warning;
        image = AttachRescueMap(std::move(image), mapPath, &problem, &warning);
        if (!image) {
            showMessage(QMessageBox::Warning, problem);
            return false;
        }
        if (!warning.isEmpty())
            showMessage(QMessageBox::Warning, warning);
    }
    drives_->push_back(std::move(image));
    if (browse_)
        browse_->driveListChanged();
    PostUiRequest(this, msg::kSelectDriveIndex, drives_->size() - 1);
    // Opened from the start page the image would only wait, unseen, in the drive list.
    if (host_->currentScreen() == static_cast<int>(msg::kScreenStart))
        PostUiRequest(this, msg::kShowScreen, msg::kScreenBrowse);
    return true;
}

int CVntMFCFrameWnd::openUnopenedDrive(std::size_t unopenedIndex, QWidget* parent) {
    if (unopenedIndex >= unopened_->size())
        return -1;
    const UnopenedDrive& drive = (*unopened_)[unopenedIndex];
    QString serviceError;
    bool tried = false;
    if (drive.needsRoot && DiskServiceAvailable()) {
        tried = true;
        std::unique_ptr<CDiskDevice> opened =
            OpenThroughDiskService(drive.node, drive.identity, &serviceError);
        if (opened) {
            drives_->push_back(std::move(opened));
            unopened_->erase(unopened_->begin() + static_cast<std::ptrdiff_t>(unopenedIndex));
            if (browse_)
                browse_->driveListChanged();
            return static_cast<int>(drives_->size() - 1);
        }
    }
    messageBox_(parent ? parent : this, QMessageBox::Information,
                UnopenedDriveText(drive, tried, serviceError), QMessageBox::Ok);
    return -1;
}

} // namespace vantrel
