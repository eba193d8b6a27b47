#include "SkinTests.h"
#include "skin/ShapeRegion.h"
#include "skin/TesselBitmapFormWindow.h"

#include <QSignalSpy>
#include <QTest>

using namespace vantrel;

class BitmapButtonTest : public QObject {
    Q_OBJECT
private:
    QWidget page_;
    TesselBitmapFormWindow* button_ = nullptr;
    QWindow* window_ = nullptr;

    QPoint at(int x, int y) const { return button_->pos() + QPoint(x, y); }

private slots:
    void initTestCase() {
        page_.resize(600, 340);
        button_ = new TesselBitmapFormWindow(33001, 154, 153, 150, &page_);
        button_->move(32, 64);
        page_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page_));
        window_ = page_.windowHandle();
    }

    void shapeIsCutFromRunsOfNonKeyPixels() {
        // Key = bottom-left pixel; each row's runs become rectangles.
        QImage image(5, 3, QImage::Format_ARGB32);
        image.fill(Qt::white);
        image.setPixel(1, 0, qRgb(0, 0, 0));
        image.setPixel(2, 0, qRgb(0, 0, 0));
        image.setPixel(4, 0, qRgb(9, 9, 9));
        image.setPixel(0, 1, qRgb(1, 1, 1));
        const QRegion region = ShapeRegionFromImage(image);
        QCOMPARE(region, QRegion(1, 0, 2, 1) + QRegion(4, 0, 1, 1) + QRegion(0, 1, 1, 1));
    }

    void cornerClickMissesTheButton() {
        QCOMPARE(button_->size(), QSize(480, 112));
        QVERIFY(!button_->shape().contains(QPoint(1, 1)));
        QVERIFY(button_->shape().contains(QPoint(240, 56)));
        QSignalSpy clicks(button_, &TesselBitmapFormWindow::clicked);
        QTest::mouseClick(window_, Qt::LeftButton, {}, at(1, 1));
        QCOMPARE(clicks.size(), 0);
        QTest::mouseClick(window_, Qt::LeftButton, {}, at(240, 56));
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(clicks.at(0).at(0).toInt(), 33001);
        QTest::mouseMove(window_, QPoint(590, 330));
        QTest::keyClick(button_, Qt::Key_Space);
        QCOMPARE(clicks.size(), 2);
    }

    void dragOutAndBack() {
        QSignalSpy clicks(button_, &TesselBitmapFormWindow::clicked);
        QTest::mouseMove(window_, at(100, 50));
        QTest::mousePress(window_, Qt::LeftButton, {}, at(100, 50));
        QCOMPARE(button_->state(), TesselBitmapFormWindow::Pressed);
        QTest::mouseMove(window_, at(100, 200));
        QCOMPARE(button_->state(), TesselBitmapFormWindow::Normal);
        QTest::mouseRelease(window_, Qt::LeftButton, {}, at(100, 200));
        QCOMPARE(clicks.size(), 0);

        QTest::mouseMove(window_, at(100, 50));
        QTest::mousePress(window_, Qt::LeftButton, {}, at(100, 50));
        QTest::mouseMove(window_, at(100, 200));
        QTest::mouseMove(window_, at(120, 60));
        QCOMPARE(button_->state(), TesselBitmapFormWindow::Pressed);
        QTest::mouseRelease(window_, Qt::LeftButton, {}, at(120, 60));
        QCOMPARE(clicks.size(), 1);
        QCOMPARE(button_->state(), TesselBitmapFormWindow::Hot);
        QTest::mouseMove(window_, QPoint(590, 330));
    }

    void hoverReportsAndDelayedTip() {
        QSignalSpy hover(button_, &TesselBitmapFormWindow::hoverChanged);
        button_->tip().setFadingEnabled(false);
        QTest::mouseMove(window_, at(200, 40));
        QCOMPARE(hover.size(), 1);
        QCOMPARE(hover.at(0).at(0).toBool(), true);
        QCOMPARE(button_->state(), TesselBitmapFormWindow::Hot);
        auto* delay = button_->findChild<QTimer*>(QStringLiteral("tipDelay"));
        QCOMPARE(delay->interval(), 300);
        QVERIFY(!button_->tip().isShown());
        QVERIFY(FireTimer(delay));
        QVERIFY(button_->tip().isShown());
        QCOMPARE(button_->tip().text(), QStringLiteral("手順を追ってファイルを検索します"));

        QTest::mouseMove(window_, QPoint(590, 330));
        QCOMPARE(hover.size(), 2);
        QCOMPARE(hover.at(1).at(0).toBool(), false);
        QVERIFY(!button_->tip().isShown());
        QCOMPARE(button_->state(), TesselBitmapFormWindow::Normal);
    }
};

int RunBitmapButtonTests(int argc, char** argv) {
    BitmapButtonTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "BitmapButtonTest.moc"
