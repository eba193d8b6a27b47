#include "app/shell/SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace vantrel {

QString SingleInstance::LockPath() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return QDir(dir).filePath(QStringLiteral("PrevVantrel"));
}

bool SingleInstance::acquire() {
    lock_ = std::make_unique<QLockFile>(LockPath());
    // A copy may run for days: only a dead owner makes the lock stale, never its age.
    lock_->setStaleLockTime(0);
    if (lock_->tryLock(0))
        return true;
    lock_.reset();
    return false;
}

} // namespace vantrel
