#include "skin/Artwork.h"

#include "SkinTests.h"
#include "skin/Fonts.h"
#include "skin/MaskedBitmap.h"
#include "skin/ProgramLook.h"
#include "skin/ShellIconList.h"
#include "skin/TesselToolBarWindow.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace vantrel;

class ArtworkTest : public QObject {
    Q_OBJECT
private slots:
    void everyPictureRendersAtBothRatios() {
        for (const int number : BitmapNumbers()) {
            const QSize size = BitmapSize(number);
            for (const qreal ratio : {1.0, 2.0}) {
                const QPixmap picture = LoadBitmap(number, ratio);
                QVERIFY2(!picture.isNull(), qPrintable(QString::number(number)));
                QCOMPARE(picture.size(), size * ratio);
                QCOMPARE(picture.devicePixelRatio(), ratio);
                // Drawn, not blank: some pixel is opaque.
                const QImage image = picture.toImage();
                bool drawn = false;
                for (int y = 0; y < image.height() && !drawn; y += 2) {
                    for (int x = 0; x < image.width() && !drawn; x += 2) {
                        drawn = qAlpha(image.pixel(x, y)) == 255;
                    }
                }
                QVERIFY2(drawn, qPrintable(QString::number(number)));
            }
        }
        QVERIFY(LoadBitmap(156).isNull());
        QVERIFY(!ProgramIcon().isNull());
    }

    void toolbarStripMaskMatchesItsImage() {
        const QImage strip = LoadBitmap(140).toImage();
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 32; ++x) {
                const bool drawn = qAlpha(strip.pixel(x, y)) > 0;
                QCOMPARE(strip.pixel(32 + x, y), drawn ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
                QCOMPARE(qAlpha(strip.pixel(64 + x, y)) > 0, drawn);
            }
        }
    }

    void maskedBitmapKeysOutTopLeftColour() {
        QPixmap source(4, 2);
        source.fill(Qt::magenta);
        {
            QPainter painter(&source);
            painter.fillRect(1, 0, 2, 2, Qt::blue);
        }
        const QImage keyed = MaskedBitmap(source).pixmap().toImage();
        QCOMPARE(qAlpha(keyed.pixel(0, 1)), 0);
        QCOMPARE(qAlpha(keyed.pixel(3, 0)), 0);
        QCOMPARE(keyed.pixel(1, 1), QColor(Qt::blue).rgba());
    }

    void japaneseFacesResolveWithoutBoxes() {
        const QString sample = QStringLiteral("簡単ファイル検索マニュアル回収");
        for (const QFont& font : {InterfaceFont(), PGothicFont(12), GothicFont(12)}) {
            const QFontMetrics metrics(font);
            for (const QChar ch : sample) {
                QVERIFY2(metrics.inFont(ch), qPrintable(QFontInfo(font).family()));
            }
        }
        QCOMPARE(QFontInfo(InterfaceFont()).family(), QStringLiteral("IPAPGothic"));
        QCOMPARE(QFontInfo(InterfaceFont()).pixelSize(), 12);
        QCOMPARE(QFontInfo(GothicFont(12)).family(), QStringLiteral("IPAGothic"));
    }

    // The pictures on sheets for people to look at, at 2x so that details show: the small
    // ones together, the start page composed the way the shell places its pictures, and
    // the start buttons in their three states.
    void contactSheets() {
        const QList<int> large{149, 150, 151, 152, 153, 154, 155};
        QImage sheet(QSize(760, 2000) * 2, QImage::Format_ARGB32_Premultiplied);
        sheet.setDevicePixelRatio(2.0);
        sheet.fill(QColor(200, 200, 200));
        QPainter painter(&sheet);
        painter.setFont(InterfaceFont());
        int x = 8;
        int y = 8;
        int rowHeight = 0;
        for (const int number : BitmapNumbers()) {
            if (large.contains(number)) {
                continue;
            }
            const QSize size = BitmapSize(number);
            if (x + size.width() > 760 - 8) {
                x = 8;
                y += rowHeight + 24;
                rowHeight = 0;
            }
            painter.setPen(Qt::black);
            painter.drawText(x, y + 12, QString::number(number));
            painter.drawPixmap(x, y + 16, LoadBitmap(number, 2.0));
            x += size.width() + 12;
            rowHeight = std::max(rowHeight, size.height());
        }
        painter.end();
        SaveScreenshot(sheet.copy(0, 0, sheet.width(), (y + rowHeight + 28) * 2),
                       "skin_pictures_2x");

        QImage start(QSize(1012, 610) * 2, QImage::Format_ARGB32_Premultiplied);
        start.setDevicePixelRatio(2.0);
        QPainter page(&start);
        page.drawPixmap(0, 0, LoadBitmap(149, 2.0));
        page.drawPixmap(32, 64, LoadBitmap(153, 2.0));
        page.drawPixmap(32, 192, LoadBitmap(151, 2.0));
        page.drawPixmap(560, 32, LoadBitmap(158, 2.0));
        page.end();
        SaveScreenshot(start, "skin_start_page_mockup_2x");
        QImage buttons(QSize(480 * 3 + 40, 112 * 2 + 30) * 2, QImage::Format_ARGB32_Premultiplied);
        buttons.setDevicePixelRatio(2.0);
        buttons.fill(QColor(240, 244, 248));
        QPainter cells(&buttons);
        const int order[2][3] = {{154, 153, 150}, {151, 155, 152}};
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 3; ++column) {
                cells.drawPixmap(10 + column * 490, 10 + row * 122,
                                 LoadBitmap(order[row][column], 2.0));
            }
        }
        cells.end();
        SaveScreenshot(buttons, "skin_start_buttons_2x");
    }

    // Standard widgets in the program's look beside the toolbar, for the people building the
    // screens to compare with.
    void programLookSample() {
        ApplyProgramLook(*qApp);
        QMainWindow window;
        window.resize(760, 360);
        window.menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
        window.menuBar()->addMenu(QStringLiteral("操作(&O)"));
        auto* central = new QWidget;
        auto* layout = new QVBoxLayout(central);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* bar = new TesselToolBarWindow;
        bar->setFixedHeight(48);
        bar->addMainWindowButtons();
        for (const int command : {33000, 33003, 33009, 33010}) {
            bar->setCommandEnabled(command, true);
        }
        layout->addWidget(bar);
        auto* tree = new QTreeWidget;
        tree->setHeaderLabels(
            {QStringLiteral("ファイル名"), QStringLiteral("サイズ"), QStringLiteral("状態")});
        for (const char* name : {"写真.jpg", "報告書.docx", "メモ.txt"}) {
            auto* item =
                new QTreeWidgetItem(tree, {QString::fromUtf8(name), QStringLiteral("12 KB"),
                                           QStringLiteral("とても良い")});
            item->setIcon(0, ShellIconList::instance().icon(
                                 ShellIconList::instance().iconForName(QString::fromUtf8(name))));
        }
        tree->setCurrentItem(tree->topLevelItem(1));
        layout->addWidget(tree);
        window.setCentralWidget(central);
        window.statusBar()->showMessage(
            QStringLiteral("3個のファイル / 総ファイル数3 ( 対象外:0 ) "));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(QFontInfo(QApplication::font()).family(), QStringLiteral("IPAPGothic"));
        SaveScreenshot(window.grab().toImage(), QStringLiteral("skin_program_look"));
    }
};

int RunArtworkTests(int argc, char** argv) {
    ArtworkTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "ArtworkTest.moc"
