#include "app/models/FileTypeName.h"

#include "skin/ShellIconList.h"

#include <QHash>
#include <QLocale>
#include <QMimeDatabase>

namespace vantrel {

namespace {

struct TypeInfo {
    QString name;
    QIcon icon;
};

QString CacheKey(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? QString() : fileName.mid(dot + 1).toLower();
}

const TypeInfo& Lookup(const QString& fileName) {
    static QHash<QString, TypeInfo> cache;
    const QString key = CacheKey(fileName);
    auto it = cache.find(key);
    if (it != cache.end())
        return *it;
    static const QMimeDatabase database;
    // The comments come in the default locale's language; the program's is Japanese.
    if (QLocale().language() != QLocale::Japanese)
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    // Looked up by the extension alone, so that every name of one extension shares a row.
    const QMimeType type =
        key.isEmpty()
            ? database.mimeTypeForName(QStringLiteral("application/octet-stream"))
            : database.mimeTypeForFile(QStringLiteral("x.") + key, QMimeDatabase::MatchExtension);
    TypeInfo info;
    if (type.isDefault() || key.isEmpty())
        info.name = key.isEmpty() ? QStringLiteral("ファイル")
                                  : key.toUpper() + QStringLiteral(" ファイル");
    else
        info.name = type.comment();
    ShellIconList& icons = ShellIconList::instance();
    info.icon = icons.icon(icons.iconForName(fileName));
    return *cache.insert(key, info);
}

} // namespace

QString FileTypeName(const QString& fileName) {
    return Lookup(fileName).name;
}

QIcon FileTypeIcon(const QString& fileName) {
    return Lookup(fileName).icon;
}

} // namespace vantrel
