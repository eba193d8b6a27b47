#include "app/shell/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <QtDebug>

namespace vantrel {

bool InstallQtTranslation(QCoreApplication& application, const QString& directory) {
    const QString folder =
        directory.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : directory;
    auto* translator = new QTranslator(&application);
    // The program speaks Japanese whatever the system's locale, so the catalogue is fixed.
    if (!translator->load(QStringLiteral("qtbase_ja"), folder) ||
        !QCoreApplication::installTranslator(translator)) {
        qWarning().noquote() << "vantrel: Qt の日本語訳 (qtbase_ja) を" << folder
                             << "から読み込めませんでした。Qt のダイアログは英語で表示されます。";
        delete translator;
        return false;
    }
    return true;
}

} // namespace vantrel
