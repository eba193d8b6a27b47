#include "skin/BalloonTip.h"

#include "SkinTests.h"

#include <QTest>
#include <QTimer>

using namespace vantrel;

class BalloonTipTest : public QObject {
    Q_OBJECT
private slots:
    void textAfterFirstLineBreak() {
        QCOMPARE(BalloonTip::tipText(QStringLiteral("設定")), QStringLiteral("設定"));
        QCOMPARE(BalloonTip::tipText(QStringLiteral("prompt\nline 1\nline 2")),
                 QStringLiteral("line 1\nline 2"));
    }

    void placementStaysInsideTheWorkArea() {
        const QRect work(0, 0, 1024, 740);
        const QSize size(180, 26);
        // In the open: 20 pixels below the pointer.
        QCOMPARE(BalloonTip::placement({300, 300}, size, work), QRect(QPoint(300, 320), size));
        // Near the bottom-right corner: above and to the left of the pointer, inside.
        const QPoint pointer(1015, 735);
        const QRect corner = BalloonTip::placement(pointer, size, work);
        QVERIFY(work.contains(corner));
        QVERIFY(corner.bottom() < pointer.y());
        QVERIFY(corner.left() < pointer.x());
        // A work area that does not start at the origin (a panel at the top-left).
        const QRect offset(40, 30, 600, 400);
        QVERIFY(offset.contains(BalloonTip::placement({10, 5}, size, offset)));
    }

    void hidesAfterTenSecondsWithoutFading() {
        QWidget owner;
        owner.show();
        BalloonTip tip;
        tip.setFadingEnabled(false);
        tip.showString(&owner, QStringLiteral("x\nスキャンの開始"), {100, 100});
        QVERIFY(tip.isShown());
        QCOMPARE(tip.text(), QStringLiteral("スキャンの開始"));
        QVERIFY(tip.geometry().width() > 14 && tip.geometry().height() > 14);
        // A second show while one is up is ignored.
        tip.showString(&owner, QStringLiteral("other"), {0, 0});
        QCOMPARE(tip.text(), QStringLiteral("スキャンの開始"));
        auto* timeout = tip.findChild<QTimer*>(QStringLiteral("balloonTimeout"));
        QCOMPARE(timeout->interval(), 10000);
        QVERIFY(FireTimer(timeout));
        QVERIFY(!tip.isShown());
        QVERIFY(tip.text().isEmpty());
    }

    void fadesInAndOutInSteps() {
        QWidget owner;
        owner.show();
        BalloonTip tip;
        tip.setFadingEnabled(true);
        tip.showString(&owner, QStringLiteral("ファイルのプレビュー"), {200, 200});
        QCOMPARE(tip.alpha(), 0);
        auto* fadeIn = tip.findChild<QTimer*>(QStringLiteral("balloonFadeIn"));
        int ticks = 0;
        while (FireTimer(fadeIn)) {
            ++ticks;
        }
        QCOMPARE(ticks, 11); // 25 a step, the last one capped at 255
        QCOMPARE(tip.alpha(), 255);
        QCOMPARE(BalloonTip::shadowAlpha(255), 70);

        QVERIFY(FireTimer(tip.findChild<QTimer*>(QStringLiteral("balloonTimeout"))));
        QVERIFY(tip.isShown());
        auto* fadeOut = tip.findChild<QTimer*>(QStringLiteral("balloonFadeOut"));
        while (FireTimer(fadeOut)) {
        }
        QVERIFY(!tip.isShown());
    }

    void screenshot() {
        QWidget owner;
        owner.show();
        BalloonTip tip;
        tip.setFadingEnabled(false);
        tip.showString(&owner, QStringLiteral("簡単ファイル検索を利用せず手動で検索します"),
                       {100, 100});
        QVERIFY(tip.tipWindow() != nullptr);
        SaveScreenshot(tip.tipWindow()->grab().toImage(), QStringLiteral("skin_balloon_tip"));
        const QPixmap twice = [&] {
            QPixmap pixmap(tip.tipWindow()->size() * 2);
            pixmap.setDevicePixelRatio(2.0);
            tip.tipWindow()->render(&pixmap);
            return pixmap;
        }();
        SaveScreenshot(twice.toImage(), QStringLiteral("skin_balloon_tip_2x"));
    }
};

int RunBalloonTipTests(int argc, char** argv) {
    BalloonTipTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "BalloonTipTest.moc"
