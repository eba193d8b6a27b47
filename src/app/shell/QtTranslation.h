#pragma once

// Qt's own texts (file dialog, message box buttons, edit context menus) in Japanese, from
// the translations Qt ships (Debian's qt6-translations-l10n).

#include <QString>

class QCoreApplication;

namespace vantrel {

// Loads qtbase_ja from directory (Qt's translations folder when empty) and installs it in
// application, owned by it. False, with a log line, when the catalogue cannot be loaded:
// the program then runs with Qt's English texts.
bool InstallQtTranslation(QCoreApplication& application, const QString& directory = {});

} // namespace vantrel
