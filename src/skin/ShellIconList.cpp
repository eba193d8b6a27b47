#include "skin/ShellIconList.h"

#include "skin/Artwork.h"

#include <QFileIconProvider>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QMutexLocker>
#include <QStandardPaths>
#include <array>

namespace vantrel {
namespace {

// Theme names for the preset indexes, in the order of the system's standard icon set:
// 0 unknown file, 3/4 folder closed/open, 6 floppy, 7 removable, 8 hard disk, 11 optical
// drive and 22 find (the scan-result item) are the ones the views rely on.
const std::array<const char*, ShellIconList::kPresetCount> kPresetNames{
    "text-x-generic",
    "x-office-document",
    "application-x-executable",
    "folder",
    "folder-open",
    "media-floppy",
    "media-floppy",
    "drive-removable-media",
    "drive-harddisk",
    "folder-remote",
    "network-offline",
    "drive-optical",
    "media-flash",
    "network-workgroup",
    "network-server",
    "computer",
    "printer",
    "network-workgroup",
    "network-workgroup",
    "folder-templates",
    "folder-documents",
    "preferences-system",
    "system-search",
    "help-browser",
    "system-run",
    "system-suspend",
    "computer",
    "system-shutdown",
    "folder-publicshare",
    "emblem-symbolic-link",
    "emblem-default",
    "user-trash",
    "user-trash-full",
    "network-wired",
    "user-desktop",
    "preferences-desktop",
    "folder",
    "printer",
    "font-x-generic",
    "start-here",
    "media-optical-cd-audio",
    "folder-remote",
    "folder-saved-search",
    "user-bookmarks",
    "system-log-out",
};

// Alternatives some themes use instead of the first name.
QStringList Candidates(const QString& name) {
    QStringList names{name};
    if (name == QLatin1String("drive-optical")) {
        names << QStringLiteral("media-optical");
    } else if (name == QLatin1String("drive-removable-media")) {
        names << QStringLiteral("media-removable");
    } else if (name == QLatin1String("system-search")) {
        names << QStringLiteral("edit-find") << QStringLiteral("folder-saved-search");
    } else if (name == QLatin1String("help-browser")) {
        names << QStringLiteral("help-contents");
    } else if (name == QLatin1String("system-run")) {
        names << QStringLiteral("utilities-terminal");
    }
    QStringList withSymbolic = names;
    for (const QString& candidate : names) {
        withSymbolic << candidate + QStringLiteral("-symbolic");
    }
    return withSymbolic;
}

QIcon ThemeIcon(const QString& name) {
    for (const QString& candidate : Candidates(name)) {
        const QIcon icon = QIcon::fromTheme(candidate);
        if (!icon.isNull()) {
            return icon;
        }
    }
    return {};
}

void EnsureIconTheme() {
    // Without a desktop session (offscreen, a bare X server) Qt knows neither the theme
    // folders nor a theme; the XDG folders and the theme installed with the program's
    // packages serve then.
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& folder :
         QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                   QStandardPaths::LocateDirectory)) {
        if (!paths.contains(folder)) {
            paths.append(folder);
        }
    }
    QIcon::setThemeSearchPaths(paths);
    if (QIcon::fallbackThemeName().isEmpty() ||
        QIcon::fallbackThemeName() == QLatin1String("hicolor")) {
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    }
    if (QIcon::themeName().isEmpty()) {
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    }
}

} // namespace

ShellIconList& ShellIconList::instance() {
    static ShellIconList list;
    return list;
}

ShellIconList::ShellIconList() {
    EnsureIconTheme();
    const QIcon fallback = ProgramIcon();
    for (const char* name : kPresetNames) {
        const QIcon icon = ThemeIcon(QString::fromLatin1(name));
        images_.append(icon.isNull() ? fallback : icon);
        keys_.append(QString());
    }
    images_.append(fallback);
    keys_.append(QString());
    const QIcon image = ThemeIcon(QStringLiteral("application-x-raw-disk-image"));
    images_.append(image.isNull() ? images_[kHardDisk] : image);
    keys_.append(QString());
}

int ShellIconList::findKey(const QString& key) const {
    for (int i = kFirstKeyed; i < keys_.size(); ++i) {
        if (keys_[i] == key) {
            return i;
        }
    }
    return -1;
}

int ShellIconList::iconForName(const QString& fileName) {
    QMutexLocker locker(&lock_);
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) {
        return 0;
    }
    const QString key = fileName.mid(dot + 1).toUpper();
    if (key.isEmpty()) {
        return 0;
    }
    if (const int found = findKey(key); found >= 0) {
        return found;
    }
    const QMimeDatabase mimes;
    const QMimeType type =
        mimes.mimeTypeForFile(QStringLiteral("x.") + key.toLower(), QMimeDatabase::MatchExtension);
    if (!type.isValid() || type.isDefault()) {
        return 0;
    }
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull()) {
        icon = QIcon::fromTheme(type.genericIconName());
    }
    if (icon.isNull()) {
        return 0;
    }
    images_.append(icon);
    keys_.append(key);
    return static_cast<int>(images_.size()) - 1;
}

int ShellIconList::iconForPath(const QString& path) {
    QMutexLocker locker(&lock_);
    QIcon icon = QFileIconProvider().icon(QFileInfo(path));
    if (icon.isNull()) {
        icon = images_[kHardDisk];
    }
    if (const int found = findKey(path); found >= 0) {
        images_[found] = icon;
        return found;
    }
    images_.append(icon);
    keys_.append(path);
    return static_cast<int>(images_.size()) - 1;
}

int ShellIconList::iconForDevice(int typeCode, bool removable, bool isFloppy) {
    QMutexLocker locker(&lock_);
    if (isFloppy) {
        return kFloppy;
    }
    switch (typeCode & 0xFF) {
    case 0:
    case 14:
        return removable ? kRemovable : kHardDisk;
    case 5:
        return kOptical;
    case 7:
        return kRemovable;
    default:
        return kHardDisk;
    }
}

QIcon ShellIconList::icon(int index) const {
    QMutexLocker locker(&lock_);
    return index >= 0 && index < images_.size() ? images_[index] : QIcon();
}

int ShellIconList::count() const {
    QMutexLocker locker(&lock_);
    return static_cast<int>(images_.size());
}

} // namespace vantrel
