#include "viewers/RichTextDocument.h"

#include "skin/Fonts.h"

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace vantrel {

namespace {

Qt::Alignment ToQt(RtfAlignment alignment) {
    switch (alignment) {
    case RtfAlignment::center:
        return Qt::AlignHCenter;
    case RtfAlignment::right:
        return Qt::AlignRight;
    case RtfAlignment::justify:
        return Qt::AlignJustify;
    case RtfAlignment::left:
        break;
    }
    return Qt::AlignLeft;
}

QColor ToColor(std::uint32_t rgb) {
    return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

QTextCharFormat ToQt(const RtfCharFormat& format) {
    QTextCharFormat out;
    out.setFontWeight(format.bold ? QFont::Bold : QFont::Normal);
    out.setFontItalic(format.italic);
    out.setFontUnderline(format.underline);
    out.setFontStrikeOut(format.strike);
    out.setFontPointSize(format.halfPoints / 2.0);
    QStringList families;
    if (!format.fontName.empty())
        families << QString::fromStdU16String(format.fontName);
    // A face the system lacks falls back to the Gothic faces, never to boxes.
    families << QStringLiteral("ＭＳ Ｐゴシック") << QStringLiteral("ＭＳ ゴシック");
    out.setFontFamilies(families);
    if (format.color)
        out.setForeground(ToColor(*format.color));
    if (format.background)
        out.setBackground(ToColor(*format.background));
    return out;
}

} // namespace

void FillTextDocument(QTextDocument& target, const RtfDocument& document) {
    target.clear();
    target.setDefaultFont(PGothicFont(16));
    QTextCursor cursor(&target);
    bool first = true;
    for (const RtfParagraph& paragraph : document.paragraphs) {
        QTextBlockFormat block;
        block.setAlignment(ToQt(paragraph.alignment));
        if (first)
            cursor.setBlockFormat(block);
        else
            cursor.insertBlock(block);
        first = false;
        for (const RtfRun& run : paragraph.runs)
            cursor.insertText(QString::fromStdU16String(run.text), ToQt(run.format));
    }
}

} // namespace vantrel
