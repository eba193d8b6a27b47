#include "app/shell/CVntMFCApp.h"

#include "app/browse/BrowseScreen.h"
#include "app/dialogs/AboutWindow.h"
#include "app/shell/CVntMFCFrameWnd.h"
#include "app/shell/ImageSources.h"
#include "app/shell/QtTranslation.h"
#include "app/shell/ScreenHost.h"
#include "app/shell/UiRequestEvent.h"
#include "engine/worker/WorkerPosting.h"
#include "skin/Artwork.h"
#include "skin/Fonts.h"
#include "skin/ProgramLook.h"

#include <QApplication>
#include <QMessageBox>

namespace vantrel {

CommandLine ParseCommandLine(const QStringList& arguments) {
    CommandLine line;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnded && argument == QStringLiteral("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument == QStringLiteral("--version")) {
            line.action = CommandLine::Action::Version;
            return line;
        } else if (!optionsEnded &&
                   (argument == QStringLiteral("--help") || argument == QStringLiteral("-h"))) {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (!optionsEnded && argument == QStringLiteral("--detail")) {
            line.options.detail = true;
        } else if (!optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            line.action = CommandLine::Action::Error;
            line.error = QStringLiteral("不明なオプションです: ") + argument;
            return line;
        } else {
            line.options.imagePaths.append(argument);
        }
    }
    return line;
}

QString UsageText() {
    return QStringLiteral(
        "使い方: vantrel [--detail] [イメージファイル...]\n"
        "\n"
        "Vantrel はディスクから消えたファイルを探して回収するプログラムです。\n"
        "調べるディスクには一切書き込みません。\n"
        "\n"
        "  イメージファイル  ディスクのイメージファイル (dd や ddrescue で作成したもの、または\n"
        "                    E01 形式のもの) をドライブの一覧に加えます。最初のものが選ばれた\n"
        "                    状態で始まります。\n"
        "  --detail          詳細モード (容量や状態も表示します)。起動時に Ctrl キーを\n"
        "                    押していても詳細モードになります。\n"
        "  --version         バージョンを表示して終わります。\n"
        "  --help            この説明を表示して終わります。\n"
        "\n"
        "ディスクを直接読むには管理者の権限が必要です。コマンドラインからは vantrel-cli も\n"
        "使えます。\n");
}

CVntMFCApp::CVntMFCApp() = default;

CVntMFCApp::~CVntMFCApp() {
    frame_.reset(); // before the drives it points to
}

bool CVntMFCApp::InitInstance(const AppOptions& options) {
    if (!instance_.acquire())
        return false; // another copy runs: leave silently
    if (QCoreApplication* application = QCoreApplication::instance())
        InstallQtTranslation(*application); // without it Qt's dialogs stay English

    const bool detail =
        options.detail || QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ControlModifier);
    SetDetailMode(detail);

    InstallFontSubstitutions();
    if (auto* application = qobject_cast<QApplication*>(QCoreApplication::instance()))
        ApplyProgramLook(*application); // menus and dialogs in the artwork's palette
    QApplication::setFont(InterfaceFont());
    QApplication::setWindowIcon(ProgramIcon());
    QApplication::setApplicationDisplayName(QStringLiteral("Vantrel"));

    AboutWindow splash(AboutWindow::Role::Splash);
    splash.show();
    splash.repaint();
    QApplication::processEvents();

    if (options.enumerateDrives && !EnumerateDrives(drives_, true, true, {}, &unopened_) &&
        options.imagePaths.isEmpty())
        return false;
    const std::size_t firstImage = drives_.size();
    for (const QString& path : options.imagePaths) {
        QString problem;
        std::unique_ptr<CDiskDevice> image = OpenImageSource(path, &problem);
        if (image)
            drives_.push_back(std::move(image));
        else
            QMessageBox::warning(&splash, QStringLiteral("Vantrel"), problem);
    }
    if (drives_.empty() && unopened_.empty()) {
        splash.hide();
        QMessageBox::information(nullptr, QStringLiteral("Vantrel"),
                                 QStringLiteral("対象のドライブを検出できませんでした。"));
        return false;
    }

    frame_ = std::make_unique<CVntMFCFrameWnd>(&drives_, &unopened_, detail);
    // Screens 2 to 5; the screen host owns them.
    frame_->setBrowse(new BrowseScreen(*frame_, frame_->screenHost()));
    // The first image named on the command line is what the user came for.
    const std::size_t first = firstImage < drives_.size() ? firstImage : 0;
    PostUiRequest(frame_.get(), msg::kSelectDriveIndex, first);
    frame_->show();
    QApplication::processEvents();
    splash.close();
    return true;
}

} // namespace vantrel
