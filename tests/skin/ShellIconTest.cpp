#include "SkinTests.h"
#include "skin/ShellIconList.h"

#include <QTest>

using namespace vantrel;

class ShellIconTest : public QObject {
    Q_OBJECT
private slots:
    void presetsExist() {
        ShellIconList& list = ShellIconList::instance();
        QVERIFY(list.count() >= ShellIconList::kFirstKeyed);
        for (int index = 0; index < ShellIconList::kFirstKeyed; ++index) {
            QVERIFY2(!list.icon(index).isNull(), qPrintable(QString::number(index)));
        }
        QVERIFY(list.icon(-1).isNull());
        QVERIFY(list.icon(list.count()).isNull());
    }

    void extensionsShareOneUpperCaseKey() {
        ShellIconList& list = ShellIconList::instance();
        QCOMPARE(list.iconForName(QStringLiteral("README")), 0);
        QCOMPARE(list.iconForName(QStringLiteral("trailing.")), 0);
        const int before = list.count();
        const int audio = list.iconForName(QStringLiteral("a.flac"));
        QVERIFY(audio >= ShellIconList::kFirstKeyed);
        QCOMPARE(list.iconForName(QStringLiteral("dir.x/B.FLAC")), audio);
        QCOMPARE(list.count(), before + 1);
        QVERIFY(list.iconForName(QStringLiteral("notes.txt")) != audio);

        const int afterKnown = list.count();
        QCOMPARE(list.iconForName(QStringLiteral("blob.qqzzvv9")), 0);
        QCOMPARE(list.count(), afterKnown);
    }

    void pathsAreRefreshedInPlace() {
        ShellIconList& list = ShellIconList::instance();
        const int root = list.iconForPath(QStringLiteral("/"));
        QVERIFY(root >= ShellIconList::kFirstKeyed);
        const int count = list.count();
        QCOMPARE(list.iconForPath(QStringLiteral("/")), root);
        QCOMPARE(list.count(), count);
    }

    void deviceKindsMapToPresets() {
        ShellIconList& list = ShellIconList::instance();
        QCOMPARE(list.iconForDevice(0, false, true), 6);
        QCOMPARE(list.iconForDevice(0, true, false), 7);
        QCOMPARE(list.iconForDevice(0, false, false), 8);
        QCOMPARE(list.iconForDevice(14, true, false), 7);
        QCOMPARE(list.iconForDevice(0x105, false, false), 11); // low 8 bits count
        QCOMPARE(list.iconForDevice(7, false, false), 7);
        QCOMPARE(list.iconForDevice(3, true, false), 8);
    }
};

int RunShellIconTests(int argc, char** argv) {
    ShellIconTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ShellIconTest.moc"
