#include "app/shell/CVntMFCApp.h"
#include "app/shell/QtTranslation.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace vantrel;

namespace {

QProcessEnvironment Environment(const QString& runtimeDir) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir);
    env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    return env;
}

// The process id written in the lock (QLockFile's first line), 0 when none.
qint64 LockOwner(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return file.readLine().trimmed().toLongLong();
}

} // namespace

class ProgramTest : public QObject {
    Q_OBJECT

private slots:
    void commandLineIsReadBeforeAnyWindow() {
        const CommandLine run = ParseCommandLine({"vantrel", "--detail", "a.img", "--", "--b.img"});
        QVERIFY(run.action == CommandLine::Action::Run && run.options.detail);
        QCOMPARE(run.options.imagePaths, (QStringList{"a.img", "--b.img"}));
        QVERIFY(ParseCommandLine({"vantrel", "--bogus"}).action == CommandLine::Action::Error);

        // No display needed for these.
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(QString::fromLatin1(name));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(VANTREL_PROGRAM), {QStringLiteral("--version")});
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(program.readAllStandardOutput().startsWith("vantrel "));
        program.start(QStringLiteral(VANTREL_PROGRAM), {});
        QVERIFY(program.waitForFinished(20000));
        QCOMPARE(program.exitCode(), 1);
        QVERIFY(QString::fromLocal8Bit(program.readAllStandardError())
                    .contains(QStringLiteral("vantrel-cli")));
    }

    // The second copy ends at once, silently; the first keeps running.
    void secondInstanceExitsAtOnce() {
        QTemporaryDir runtime;
        QProcess first;
        first.setProcessEnvironment(Environment(runtime.path()));
        first.start(QStringLiteral(VANTREL_PROGRAM),
                    {QStringLiteral(VANTREL_SOURCE_DIR "/res/art/149.svg")});
        QVERIFY(first.waitForStarted());
        const QString lock = runtime.filePath(QStringLiteral("PrevVantrel"));
        QTRY_COMPARE_WITH_TIMEOUT(LockOwner(lock), first.processId(), 20000);

        QProcess second;
        second.setProcessEnvironment(Environment(runtime.path()));
        second.start(QStringLiteral(VANTREL_PROGRAM),
                     {QStringLiteral(VANTREL_SOURCE_DIR "/res/art/149.svg")});
        QVERIFY(second.waitForFinished(20000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(second.readAllStandardError().isEmpty());
        QCOMPARE(first.state(), QProcess::Running);
        QCOMPARE(LockOwner(lock), first.processId());
        first.kill();
        QVERIFY(first.waitForFinished(10000));

        // The lock of a copy that died is taken over.
        QProcess third;
        third.setProcessEnvironment(Environment(runtime.path()));
        third.start(QStringLiteral(VANTREL_PROGRAM),
                    {QStringLiteral(VANTREL_SOURCE_DIR "/res/art/149.svg")});
        QTRY_COMPARE_WITH_TIMEOUT(LockOwner(lock), third.processId(), 20000);
        QCOMPARE(third.state(), QProcess::Running);
        third.kill();
        third.waitForFinished(10000);
    }

    // Qt's own dialogs speak Japanese; without the catalogue they stay usable in English.
    void qtDialogTextsAreJapanese() {
        QCoreApplication& application = *QCoreApplication::instance();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("qtbase_ja")));
        QVERIFY(!InstallQtTranslation(application, QStringLiteral("/nonexistent")));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"),
                 QStringLiteral("Look in:"));

        QVERIFY(InstallQtTranslation(application));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"),
                 QStringLiteral("アドレス:"));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"),
                 QStringLiteral("キャンセル"));
        QCOMPARE(QCoreApplication::translate("QLineEdit", "&Copy"), QStringLiteral("コピー(&C)"));
    }
};

QTEST_GUILESS_MAIN(ProgramTest)
#include "ProgramTest.moc"
