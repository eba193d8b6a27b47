// vantrel: the desktop program.

#include "app/dialogs/AboutWindow.h"
#include "app/shell/CVntMFCApp.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

namespace {

void Print(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
}

bool DisplayAvailable() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && *platform)
        return true;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const vantrel::CommandLine line = vantrel::ParseCommandLine(arguments);
    switch (line.action) {
    case vantrel::CommandLine::Action::Version:
        Print(stdout, QStringLiteral("vantrel ") + vantrel::ProgramVersion() + QLatin1Char('\n'));
        return 0;
    case vantrel::CommandLine::Action::Help:
        Print(stdout, vantrel::UsageText());
        return 0;
    case vantrel::CommandLine::Action::Error:
        Print(stderr, QStringLiteral("vantrel: ") + line.error + QStringLiteral("\n\n") +
                          vantrel::UsageText());
        return 2;
    case vantrel::CommandLine::Action::Run:
        break;
    }
    if (!DisplayAvailable()) {
        Print(stderr, QStringLiteral("vantrel: 表示先のディスプレイがありません (DISPLAY も "
                                     "WAYLAND_DISPLAY も設定されていません)。\n"
                                     "画面のない環境では vantrel-cli を使ってください。\n"));
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vantrel"));
    QApplication::setApplicationVersion(vantrel::ProgramVersion());
    QApplication::setDesktopFileName(QStringLiteral("vantrel"));
    vantrel::CVntMFCApp program;
    if (!program.InitInstance(line.options))
        return 0;
    return QApplication::exec();
}
