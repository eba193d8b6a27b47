// The preview and dump windows driven as a user would, with screenshots of each kind.

#include "engine/tree/FileEntry.h"
#include "skin/Fonts.h"
#include "viewers/CDumpWndFrame.h"
#include "viewers/CPreviewEditView.h"
#include "viewers/CPreviewFrame.h"
#include "viewers/CPreviewHTMLView.h"
#include "viewers/CSetAddressDlg.h"
#include "viewers/DumpView.h"
#include "viewers/PreviewImagePane.h"
#include "viewers/ViewerWindows.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QImageWriter>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <condition_variable>
#include <cstring>
#include <mutex>

using namespace vantrel;

namespace {

using ByteVector = std::vector<std::uint8_t>;

void Screenshot(QWidget* widget, const QString& name) {
    const QString dir = qEnvironmentVariable("VANTREL_SCREENSHOT_DIR");
    if (dir.isEmpty() || !QDir().mkpath(dir))
        return;
    QVERIFY(widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png")));
}

ByteVector ToBytes(std::string_view text) {
    return ByteVector(text.begin(), text.end());
}

// A test card with coloured bands and a diagonal, so that scaling shows.
QImage TestCard(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter painter(&image);
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan, Qt::magenta};
    for (int i = 0; i < 6; ++i)
        painter.fillRect(i * width / 6, 0, width / 6 + 1, height, colours[i]);
    painter.setPen(QPen(Qt::black, 8));
    painter.drawLine(0, 0, width, height);
    return image;
}

ByteVector Encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(image))
        return {};
    return ByteVector(bytes.begin(), bytes.end());
}

std::unique_ptr<EntryReader> Reader(ByteVector bytes, const char16_t* name) {
    return std::make_unique<MemoryEntryReader>(std::move(bytes), name);
}

// A file of 2^40 bytes whose bytes are their offsets' low bytes; counts what it reads.
class HugeReader : public EntryReader {
public:
    std::uint64_t Size() const override { return 1ull << 40; }
    std::u16string Name() const override { return u"huge.img"; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override {
        largestRead = std::max(largestRead, count);
        auto* out = static_cast<std::uint8_t*>(buffer);
        for (std::size_t i = 0; i < count; ++i)
            out[i] = static_cast<std::uint8_t>(offset + i);
        return true;
    }
    std::size_t largestRead = 0;
};

// A file whose sectors cannot be read.
class UnreadableReader : public EntryReader {
public:
    std::uint64_t Size() const override { return 4096; }
    std::u16string Name() const override { return u"bad.bin"; }
    bool ReadAt(std::uint64_t, void*, std::size_t) override { return false; }
};

// Lines of text, 9 MiB, whose reads wait until the test opens the gate.
class GatedTextReader : public EntryReader {
public:
    std::uint64_t Size() const override { return 9u << 20; }
    std::u16string Name() const override { return u"big.log"; }
    bool ReadAt(std::uint64_t offset, void* buffer, std::size_t count) override {
        std::unique_lock lock(mutex_);
        open_.wait(lock, [this] { return opened_; });
        auto* out = static_cast<std::uint8_t*>(buffer);
        for (std::size_t i = 0; i < count; ++i)
            out[i] = (offset + i) % 64 == 63 ? '\n' : 'a';
        return true;
    }
    void Open() {
        const std::lock_guard lock(mutex_);
        opened_ = true;
        open_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable open_;
    bool opened_ = false;
};

QMessageBox* OpenMessageBox() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible())
            return box;
    return nullptr;
}

} // namespace

class ViewersTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void picturesOfEveryFormatArePreviewed() {
        const QImage card = TestCard(900, 700);
        // The smallest GIF: one white pixel.
        const ByteVector gif = ToBytes(std::string_view(
            "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00\x21\xf9\x04\x01\x00\x00"
            "\x00\x00\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b",
            43));
        for (const char* format : {"jpeg", "png", "bmp", "tiff", "webp"}) {
            const ByteVector bytes = Encoded(card, format);
            QVERIFY2(!bytes.empty(), format);
            CPreviewFrame frame(Reader(bytes, u"card"));
            // The BMP (1.9 MB) is read on the window's thread.
            QTRY_VERIFY(!frame.Loading());
            QVERIFY2(frame.Kind() == PreviewKind::image, format);
        }
        CPreviewFrame gifFrame(Reader(gif, u"dot.gif"));
        QCOMPARE(gifFrame.Kind(), PreviewKind::image);

        CPreviewFrame frame(Reader(Encoded(card, "png"), u"card.png"));
        frame.resize(640, 480);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QCOMPARE(frame.ShownPane(), frame.ImagePane());
        QCOMPARE(frame.windowTitle(), QStringLiteral("プレビュー - card.png"));
        const QImage shot = frame.ImagePane()->grab().toImage();
        // 900 x 700 scaled to fit the pane less 30 pixels; the corners stay white.
        QCOMPARE(shot.pixelColor(5, 5), QColor(Qt::white));
        QVERIFY(shot.pixelColor(shot.width() / 2 - 100, shot.height() / 2) != QColor(Qt::white));
        Screenshot(&frame, QStringLiteral("preview-picture"));
        frame.resize(100, 100);
        QCOMPARE(frame.size(), QSize(500, 300)); // the smallest the window gets
    }

    void badPicturesAndZerosEndInTheMessage() {
        ByteVector broken = ToBytes("\x89PNG\r\n\x1a\n");
        broken.resize(4000, 0x00); // zeros: not text either
        CPreviewFrame frame(Reader(broken, u"broken.png"));
        QCOMPARE(frame.Kind(), PreviewKind::none);
        QCOMPARE(frame.ImagePane()->MessageText(),
                 QStringLiteral("このファイルをプレビューすることは出来ません。"));
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        Screenshot(&frame, QStringLiteral("preview-cannot"));
    }

    void richTextWithJapaneseAndColours() {
        const std::string rtf =
            "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 "
            "\\'82\\'6c\\'82\\'72 \\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}"
            "{\\f1\\fswiss Arial;}}{\\colortbl ;\\red200\\green0\\blue0;\\red0\\green90\\blue200;}"
            "\\pard\\qc\\f0\\fs36\\cf1\\b "
            "\\'93\\'fa\\'96\\'7b\\'8c\\'ea\\'82\\'cc\\'95\\'b6\\'8f\\'91"
            "\\b0\\par\\pard\\fs24\\cf2 \\'90\\'c2\\'82\\'a2\\'95\\'b6\\'8e\\'9a\\cf0  and "
            "\\i italic\\i0 , \\ul underline\\ulnone\\par\\f1 Plain Arial \\u26085?\\u26412?\\par}";
        CPreviewFrame frame(Reader(ToBytes(rtf), u"日本語.rtf"));
        QCOMPARE(frame.Kind(), PreviewKind::richText);
        const QString text = frame.RichTextView()->toPlainText();
        QVERIFY2(text.startsWith(QStringLiteral("日本語の文書\n青い文字 and italic")),
                 qPrintable(text));
        QVERIFY(text.endsWith(QStringLiteral("Plain Arial 日本")));
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        Screenshot(&frame, QStringLiteral("preview-rtf"));
    }

    void htmlShowsOnlyTheSanitisedPageAndRefusesLinks() {
        const std::string page =
            "<html><head><title>t</title><style>body{background:url(http://x/y.png)}</style></head>"
            "<body bgcolor=#ffffe0 "
            "onload=steal()><h1>見出し</h1><script>document.write('x')</script>"
            "<p align=center><font color=red size=5>赤い文字</font></p>"
            "<a href=\"http://example.invalid/\">リンク</a><img src=\"file:///etc/passwd\" alt=x>"
            "<iframe src=http://x></iframe><table "
            "border=1><tr><td>表</td></tr></table></body></html>";
        // UTF-16 with its byte-order mark, as pages saved as "Unicode" are.
        const QString utf16 = QChar(0xFEFF) + QString::fromUtf8(page);
        ByteVector bytes(reinterpret_cast<const std::uint8_t*>(utf16.utf16()),
                         reinterpret_cast<const std::uint8_t*>(utf16.utf16() + utf16.size()));
        CPreviewFrame frame(Reader(bytes, u"page.htm"));
        QCOMPARE(frame.Kind(), PreviewKind::html);
        CPreviewHTMLView* view = frame.HtmlView();
        QVERIFY(!view->toPlainText().contains(QStringLiteral("document.write")));
        QVERIFY(view->toHtml().contains(QStringLiteral("赤い文字")));
        QVERIFY(!view->loadResource(QTextDocument::ImageResource, QUrl("file:///etc/passwd"))
                     .isValid());
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        Screenshot(&frame, QStringLiteral("preview-html"));

        QSignalSpy refused(view, &CPreviewHTMLView::navigationRefused);
        view->setSource(QUrl(QStringLiteral("http://example.invalid/")));
        QCOMPARE(refused.count(), 1);
        QMessageBox* box = OpenMessageBox();
        QVERIFY(box != nullptr);
        QCOMPARE(box->text(), CPreviewHTMLView::RefusalText());
        QCOMPARE(box->windowTitle(), QStringLiteral("プレビュー"));
        box->close();
        QVERIFY(view->toPlainText().contains(QStringLiteral("赤い文字"))); // still on the page
    }

    void mp3SummaryAndDocumentText() {
        ByteVector mp3 = ToBytes("ID3\x03");
        const std::string frame = std::string("TIT2\0\0\0\x0d\0\0", 10) +
                                  std::string("\x01\xff\xfe", 3) +
                                  std::string("\x1f\x66\x7a\x7a\x6e\x30\x4c\x6b\0\0", 10);
        const std::string genre = std::string("TCON\0\0\0\x05\0\0", 10) + std::string("\0(17)", 5);
        const std::string body = frame + genre + std::string(20, '\0');
        mp3.insert(mp3.end(), {0, 0, 0, 0, 0, static_cast<std::uint8_t>(body.size())});
        mp3.insert(mp3.end(), body.begin(), body.end());
        mp3.resize(1000, 0xFF);
        CPreviewFrame tags(Reader(mp3, u"song.mp3"));
        QCOMPARE(tags.Kind(), PreviewKind::mp3Tags);
        QVERIFY(tags.EditView()->toPlainText().contains(QStringLiteral("タイトル： 星空の歌")));
        QVERIFY(tags.EditView()->toPlainText().contains(QStringLiteral("ジャンル： Rock")));
        tags.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tags));
        Screenshot(&tags, QStringLiteral("preview-mp3"));

        ByteVector document(2048, 0);
        const std::uint8_t signature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
        std::memcpy(document.data(), signature, sizeof signature);
        document[514] = 200;
        document[518] = 0xE7;
        document[519] = 0x03;
        const char16_t text[] = u"報告書\r本日の作業は予定どおり終わりました。\rDocument text";
        std::memcpy(document.data() + 1024, text, sizeof text - 2);
        CPreviewFrame doc(Reader(document, u"report.doc"));
        QCOMPARE(doc.Kind(), PreviewKind::documentText);
        QVERIFY(doc.EditView()->toPlainText().contains(
            QStringLiteral("本日の作業は予定どおり終わりました")));
        doc.show();
        QVERIFY(QTest::qWaitForWindowExposed(&doc));
        Screenshot(&doc, QStringLiteral("preview-document"));
    }

    void oneViewerAtATime() {
        FileEntry entry;
        entry.name = u"memo.txt";
        entry.residentData = ToBytes("memo");
        entry.size = 4;
        QWidget list;
        QWidget* preview = OpenPreviewWindow(&entry, &list);
        QVERIFY(preview != nullptr);
        QPointer<QWidget> watch(preview);
        QWidget* dump = OpenDumpWindow(&entry, &list);
        QVERIFY(watch.isNull());
        QCOMPARE(OpenViewerWindow(), dump);
        QCOMPARE(dump->windowTitle(), QStringLiteral("ダンプ - memo.txt"));
        QCOMPARE(OpenDumpWindow(nullptr, &list), nullptr);
        QVERIFY(OpenViewerWindow() == nullptr);
        QMessageBox* box = OpenMessageBox();
        QVERIFY(box != nullptr);
        QCOMPARE(box->text(), QStringLiteral("ダンプ対象のファイルが指定されていません。"));
        box->close();
    }

    void dumpWindowInEachTextMode() {
        std::string bytes =
            "Vantrel dump: \x93\xfa\x96\x7b\x8c\xea\x82\xcc\x83\x65\x83\x4c\x83\x58\x83"
            "\x67 ASCII \x7f\x01\xff. ";
        const char16_t wide[] = u"UTF-16 テキスト";
        bytes.append(reinterpret_cast<const char*>(wide), sizeof wide - 2);
        const std::string filler = "Line of text \x83\x65\x83\x4c\x83\x58\x83\x67 \xb1\xb2\xb3 ";
        while (bytes.size() < 1000)
            bytes += filler.substr(0, std::min(filler.size(), 1000 - bytes.size()));
        CDumpWndFrame frame(Reader(ToBytes(bytes), u"sample.bin"));
        frame.resize(760, 520);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QCOMPARE(frame.SizeField()->text(), QStringLiteral("1000"));
        QCOMPARE(frame.Button(1073)->toolTip(), QStringLiteral("ファイルの先頭"));
        QVERIFY(frame.ModeAction(33015)->isChecked());
        Screenshot(&frame, QStringLiteral("dump-shiftjis"));
        frame.ModeAction(33014)->trigger();
        QVERIFY(!frame.ModeAction(33015)->isChecked());
        QCOMPARE(frame.View()->TextMode(), DumpTextMode::ascii);
        Screenshot(&frame, QStringLiteral("dump-ascii"));
        frame.ModeAction(33016)->trigger();
        QCOMPARE(frame.View()->TextMode(), DumpTextMode::unicode);

        const QString wideText = QStringLiteral("UTF-16 のテキストファイルです。\r\nUnicode "
                                                "モードでは 2 バイトが 1 文字になります。\r\n");
        ByteVector wideBytes;
        for (int i = 0; i < 6; ++i)
            wideBytes.insert(
                wideBytes.end(), reinterpret_cast<const std::uint8_t*>(wideText.utf16()),
                reinterpret_cast<const std::uint8_t*>(wideText.utf16() + wideText.size()));
        CDumpWndFrame unicode(Reader(wideBytes, u"unicode.txt"));
        unicode.resize(760, 520);
        unicode.show();
        QVERIFY(QTest::qWaitForWindowExposed(&unicode));
        unicode.ModeAction(33016)->trigger();
        Screenshot(&unicode, QStringLiteral("dump-unicode"));
        // 1000 bytes: 62 full lines and one of 8; the range ends at line 62.
        QCOMPARE(frame.View()->verticalScrollBar()->maximum(), 62);
    }

    void dumpNavigationAndGoTo() {
        CDumpWndFrame frame(Reader(ByteVector(1000, 0x41), u"a.bin"));
        frame.resize(760, 520);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        DumpView* view = frame.View();
        QTest::mouseClick(frame.Button(1074), Qt::LeftButton);
        QCOMPARE(view->Top(), DumpLast(1000, view->VisibleLines()));
        QTest::mouseClick(frame.Button(1073), Qt::LeftButton);
        QCOMPARE(view->Top(), 0u);
        view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(view->Top(), 16u);
        QCOMPARE(view->verticalScrollBar()->value(), 1);
        QTest::keyClick(view, Qt::Key_PageDown);
        QCOMPARE(view->Top(), 16u + DumpPageDown(0, view->VisibleLines(), 1000));
        QTest::keyClick(view, Qt::Key_End);
        QCOMPARE(view->Top(), DumpLast(1000, view->VisibleLines()));

        frame.AskAddress();
        auto* dialog = frame.findChild<CSetAddressDlg*>();
        QVERIFY(dialog != nullptr);
        QCOMPARE(dialog->Field()->text(), QStringLiteral("0"));
        dialog->Field()->clear();
        QTest::keyClicks(dialog->Field(), QStringLiteral("99999"));
        QCOMPARE(dialog->Field()->text(), QStringLiteral("999"));
        Screenshot(dialog, QStringLiteral("dump-goto"));
        QTest::keyClick(dialog->Field(), Qt::Key_Return);
        QCOMPARE(view->Top(), 992u);

        // A small file: 最終 stays at the start.
        CDumpWndFrame small(Reader(ByteVector(40, 1), u"s.bin"));
        small.resize(760, 520);
        small.show();
        QVERIFY(QTest::qWaitForWindowExposed(&small));
        QTest::mouseClick(small.Button(1074), Qt::LeftButton);
        QCOMPARE(small.View()->Top(), 0u);

        CDumpWndFrame unreadable(std::make_unique<UnreadableReader>());
        QVERIFY(unreadable.View()->CannotDump());
        QMessageBox* box = OpenMessageBox();
        QVERIFY(box != nullptr);
        QCOMPARE(box->text(), QStringLiteral("ファイルの読み込みに失敗しました。"));
        QCOMPARE(box->windowTitle(), QStringLiteral("ダンプ"));
        box->close();
        CPreviewFrame unreadablePreview(std::make_unique<UnreadableReader>());
        QCOMPARE(unreadablePreview.Kind(), PreviewKind::none);

        CDumpWndFrame empty(Reader({}, u"empty"));
        QVERIFY(empty.View()->CannotDump());
        QCOMPARE(empty.View()->verticalScrollBar()->maximum(), 0);
    }

    // A large file is read while the window answers, and only its beginning is shown.
    void largeFileIsReadOffTheWindowsThread() {
        auto owned = std::make_unique<GatedTextReader>();
        GatedTextReader* reader = owned.get();
        auto* frame = new CPreviewFrame(std::move(owned));
        QVERIFY(frame->Loading());
        QCOMPARE(frame->ImagePane()->MessageText(),
                 QStringLiteral("ファイルを読み込んでいます..."));
        frame->resize(640, 480);
        frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(frame));
        reader->Open();
        QTRY_VERIFY_WITH_TIMEOUT(!frame->Loading(), 30000);
        QCOMPARE(frame->Kind(), PreviewKind::text);
        QCOMPARE(frame->ShownPane(), frame->RichTextView());
        QCOMPARE(frame->RichTextView()->document()->blockCount(), (4 << 20) / 64 + 1);
        QVERIFY(frame->PartNote() != nullptr && frame->PartNote()->isVisible());
        QCOMPARE(frame->PartNote()->text(),
                 QStringLiteral("ファイルの先頭 4,194,304 バイトだけを表示しています "
                                "(ファイルのサイズは 9,437,184 バイト)。"));
        Screenshot(frame, QStringLiteral("preview-large-text"));
        delete frame;

        // Closed while reading: the window waits for its thread, which drops its result.
        owned = std::make_unique<GatedTextReader>();
        reader = owned.get();
        frame = new CPreviewFrame(std::move(owned));
        reader->Open();
        delete frame;
        QCoreApplication::processEvents();
    }

    void hugeFileScrollsWithBoundedReads() {
        auto owned = std::make_unique<HugeReader>();
        HugeReader* reader = owned.get();
        CDumpWndFrame frame(std::move(owned), nullptr, 1600);
        frame.resize(760, 520);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        DumpView* view = frame.View();
        QCOMPARE(view->verticalScrollBar()->maximum(), 1 << 30);
        view->verticalScrollBar()->setSliderPosition(1 << 29);
        view->verticalScrollBar()->triggerAction(QAbstractSlider::SliderMove);
        QCOMPARE(view->Top(), (1ull << 39));
        QTest::mouseClick(frame.Button(1074), Qt::LeftButton);
        QCOMPARE(view->Top(), DumpLast(1ull << 40, view->VisibleLines()));
        QVERIFY(reader->largestRead <= DumpCapacityFor(1600) + 2);
        Screenshot(&frame, QStringLiteral("dump-huge-end"));
    }
};

QTEST_MAIN(ViewersTest)
#include "ViewersTest.moc"
