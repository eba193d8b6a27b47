#pragma once

// The "種類" column and the row icons: the type name and icon of a file name, from the
// shared MIME database by the name alone (the file need not exist), in Japanese.

#include <QIcon>
#include <QString>

namespace vantrel {

// "JPEG 画像", "テキスト文書"; a name the database does not know gives its extension in
// capitals and " ファイル" ("XYZ ファイル"), a name without one "ファイル". Cached per
// extension; UI thread only.
QString FileTypeName(const QString& fileName);
QIcon FileTypeIcon(const QString& fileName);

} // namespace vantrel
