#include "SkinTests.h"
#include "skin/TesselToolBarWindow.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace vantrel;

namespace {

// Centre of the cell of button `index`.
QPoint Cell(int index) {
    return {TesselToolBarWindow::cellLeft(index) + 18, 21};
}

} // namespace

class ToolBarTest : public QObject {
    Q_OBJECT
private:
    QWidget host_;
    TesselToolBarWindow* bar_ = nullptr;

    void setWidth(int width) {
        host_.resize(width + 20, 80);
        bar_->resize(width, 48);
    }
    QWindow* window() const { return host_.windowHandle(); }
    QPoint at(QPoint local) const { return bar_->pos() + local; }

private slots:
    void initTestCase() {
        bar_ = new TesselToolBarWindow(&host_);
        bar_->move(0, 0);
        bar_->addMainWindowButtons();
        setWidth(1200);
        host_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host_));
        for (const int command : {33000, 33001, 33002, 33003, 33006, 33009, 33010}) {
            bar_->setCommandEnabled(command, true);
        }
    }

    void hitTestAtCellBorders() {
        setWidth(1200);
        QCOMPARE(bar_->visibleCount(), 30); // wider than needed: no arrow
        QCOMPARE(bar_->hitTest({9, 20}), -1);
        QCOMPARE(bar_->hitTest({10, 20}), 0);
        QCOMPARE(bar_->hitTest({48, 20}), 0); // the 3-pixel gap belongs to the cell before
        QCOMPARE(bar_->hitTest({49, 20}), 1);
        QCOMPARE(bar_->hitTest({20, 2}), -1);
        QCOMPARE(bar_->hitTest({20, 3}), 0);
        QCOMPARE(bar_->hitTest({20, 45}), 0);
        QCOMPARE(bar_->hitTest({20, 46}), -1);
        QCOMPARE(bar_->hitTest({TesselToolBarWindow::cellLeft(11) + 1, 20}), -1);
    }

    void narrowBarRunsTheFirstHiddenButtonFromItsArrow() {
        setWidth(1200);
        setWidth(300);
        // From a width where all fitted no arrow is reserved, but seven cells would push the
        // arrow past the edge: six cells and the arrow in the seventh slot.
        QCOMPARE(bar_->visibleCount(), 6);
        const int arrow = TesselToolBarWindow::cellLeft(6);
        QCOMPARE(bar_->hitTest({arrow, 20}), 6);
        QCOMPARE(bar_->hitTest({arrow + 18, 20}), 6);
        QCOMPARE(bar_->hitTest({arrow + 19, 20}), -1);
        QSignalSpy commands(bar_, &TesselToolBarWindow::commandTriggered);
        QTest::mouseClick(window(), Qt::LeftButton, {}, at({arrow + 9, 20}));
        QCOMPARE(commands.size(), 1);
        QCOMPARE(commands.at(0).at(0).toInt(), 33006);
        // The same slot does nothing while that button is disabled.
        bar_->setCommandEnabled(33006, false);
        QTest::mouseClick(window(), Qt::LeftButton, {}, at({arrow + 9, 20}));
        QCOMPARE(commands.size(), 1);
        bar_->setCommandEnabled(33006, true);
        QTest::mouseMove(window(), QPoint(5, 70));
    }

    void disabledButtonCannotBePressed() {
        setWidth(1200);
        QSignalSpy commands(bar_, &TesselToolBarWindow::commandTriggered);
        QVERIFY(!bar_->isCommandEnabled(33004));
        QTest::mousePress(window(), Qt::LeftButton, {}, at(Cell(4)));
        QCOMPARE(bar_->pressedIndex(), -1);
        QTest::mouseRelease(window(), Qt::LeftButton, {}, at(Cell(4)));
        QCOMPARE(commands.size(), 0);
        QTest::mouseMove(window(), QPoint(5, 70));
    }

    void releaseOutsideDoesNotRunTheCommand() {
        setWidth(1200);
        QSignalSpy commands(bar_, &TesselToolBarWindow::commandTriggered);
        QTest::mouseMove(window(), at(Cell(0)));
        QTest::mousePress(window(), Qt::LeftButton, {}, at(Cell(0)));
        QCOMPARE(bar_->pressedIndex(), 0);
        QTest::mouseMove(window(), at(Cell(2)));
        QTest::mouseRelease(window(), Qt::LeftButton, {}, at(Cell(2)));
        QCOMPARE(commands.size(), 0);
        QCOMPARE(bar_->pressedIndex(), -1);

        QTest::mousePress(window(), Qt::LeftButton, {}, at(Cell(2)));
        QTest::mouseMove(window(), at(Cell(3)));
        QTest::mouseMove(window(), at(Cell(2)));
        QTest::mouseRelease(window(), Qt::LeftButton, {}, at(Cell(2)));
        QCOMPARE(commands.size(), 1);
        QCOMPARE(commands.at(0).at(0).toInt(), 33001);
        QTest::mouseMove(window(), QPoint(5, 70));
        QCOMPARE(bar_->hotIndex(), -1);
    }

    void hotButtonShowsItsTipAfterTheDelay() {
        setWidth(1200);
        bar_->tip().setFadingEnabled(false);
        QTest::mouseMove(window(), at(Cell(9)));
        QCOMPARE(bar_->hotIndex(), 9);
        QVERIFY(FireTimer(bar_->findChild<QTimer*>(QStringLiteral("tipDelay"))));
        QCOMPARE(bar_->tip().text(), QStringLiteral("設定"));
        QTest::mouseMove(window(), at(Cell(10)));
        QVERIFY(!bar_->tip().isShown());
        QTest::mouseMove(window(), QPoint(5, 70));
    }

    void narrowToWideKeepsTheArrowReserveOnce() {
        setWidth(300);
        setWidth(450); // 440 would hold 11 cells, but the arrow is still reserved
        QCOMPARE(bar_->visibleCount(), 10);
        setWidth(1200);
        setWidth(450);
        QCOMPARE(bar_->visibleCount(), 11);
    }

    void logosGoOneByOneRightmostLast() {
        setWidth(1100);
        QVERIFY(bar_->isLogoShown(134) && bar_->isLogoShown(135) && bar_->isLogoShown(136));
        setWidth(900);
        QVERIFY(!bar_->isLogoShown(134) && bar_->isLogoShown(135) && bar_->isLogoShown(136));
        setWidth(700);
        QVERIFY(!bar_->isLogoShown(135) && bar_->isLogoShown(136));
        setWidth(560);
        QVERIFY(!bar_->isLogoShown(136));
    }

    void screenshots() {
        const struct {
            int width;
            const char* name;
        } shots[] = {{1160, "skin_toolbar_wide"},
                     {900, "skin_toolbar_logos_partly"},
                     {330, "skin_toolbar_overflow"}};
        for (const auto& shot : shots) {
            setWidth(shot.width);
            QTest::mouseMove(window(), at(Cell(1)));
            SaveScreenshot(bar_->grab().toImage(), QString::fromLatin1(shot.name));
            QTest::mouseMove(window(), QPoint(5, 70));
        }
    }
};

int RunToolBarTests(int argc, char** argv) {
    ToolBarTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ToolBarTest.moc"
