#pragma once

#include <QIcon>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

namespace vantrel {

// The process-wide list of 16 x 16 icons that the drive selector, the folder tree and the
// file lists draw: preset icons first, then icons for drive paths and file-name extensions
// added as they are asked for. Safe to use from any thread.
class ShellIconList {
public:
    // Preset indexes.
    static constexpr int kDocument = 0;
    static constexpr int kFolderClosed = 3;
    static constexpr int kFolderOpen = 4;
    static constexpr int kFloppy = 6;
    static constexpr int kRemovable = 7;
    static constexpr int kHardDisk = 8;
    static constexpr int kOptical = 11;
    static constexpr int kScanResult = 22;
    static constexpr int kPresetCount = 45;
    // The program's own two entries after the presets.
    static constexpr int kProgram = 45;
    static constexpr int kImageFile = 46;
    // Keys of drive paths and extensions start here.
    static constexpr int kFirstKeyed = 47;
    static constexpr int kIconSize = 16;

    // Made on first use, which must come after the QApplication exists.
    static ShellIconList& instance();

    // The icon for the file name's extension (upper-cased as the key); 0 when the name has
    // no extension or nothing is known for it (then nothing is cached).
    int iconForName(const QString& fileName);
    // The icon for a path such as a mount point or an image file; refreshed on every call.
    int iconForPath(const QString& path);
    // The preset for a peripheral device type (low 8 bits count).
    int iconForDevice(int typeCode, bool removable, bool isFloppy);

    // A null icon for an index out of range.
    QIcon icon(int index) const;
    int count() const;

    ShellIconList();
    ShellIconList(const ShellIconList&) = delete;
    ShellIconList& operator=(const ShellIconList&) = delete;

private:
    int findKey(const QString& key) const;

    mutable QMutex lock_;
    QList<QIcon> images_;
    QStringList keys_;
};

} // namespace vantrel
