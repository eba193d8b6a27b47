#include "skin/Fonts.h"

#include <QStringList>

namespace vantrel {
namespace {

const QString kUiGothic = QStringLiteral("MS UI Gothic");
const QString kPGothic = QStringLiteral("ＭＳ Ｐゴシック");
const QString kGothic = QStringLiteral("ＭＳ ゴシック");

QFont MakeFont(const QStringList& families, int pixelSize, QFont::StyleHint hint) {
    QFont font(families.front());
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    font.setStyleHint(hint);
    return font;
}

} // namespace

void InstallFontSubstitutions() {
    // IPA's faces were drawn to the metrics of the faces the program names; the Noto faces
    // are only there so that Japanese never falls to boxes on a system without IPA.
    const QStringList proportional{QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                   QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic")};
    const QStringList monospace{QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
                                QStringLiteral("Noto Sans Mono CJK JP"),
                                QStringLiteral("IPAPGothic")};
    for (const QString& name :
         {kUiGothic, kPGothic, QStringLiteral("MS PGothic"), QStringLiteral("MS UI ゴシック")}) {
        QFont::insertSubstitutions(name, proportional);
    }
    for (const QString& name : {kGothic, QStringLiteral("MS Gothic")}) {
        QFont::insertSubstitutions(name, monospace);
    }
}

QFont InterfaceFont() {
    return MakeFont({kUiGothic, kPGothic, kGothic}, 12, QFont::SansSerif);
}

QFont PGothicFont(int pixelSize) {
    return MakeFont({kPGothic, kGothic}, pixelSize, QFont::SansSerif);
}

QFont GothicFont(int pixelSize) {
    return MakeFont({kGothic}, pixelSize, QFont::Monospace);
}

} // namespace vantrel
