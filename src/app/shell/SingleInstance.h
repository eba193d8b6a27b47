#pragma once

// One copy of the program per user: a lock file named "PrevVantrel" in the user's
// runtime directory, held for the life of the process. The lock of a copy that died is
// taken over; a live copy's is never touched.

#include <QLockFile>
#include <QString>
#include <memory>

namespace vantrel {

class SingleInstance {
public:
    // The lock's path: $XDG_RUNTIME_DIR/PrevVantrel (Qt's fallback when unset).
    static QString LockPath();

    // True when this process now holds the lock; false when another copy runs.
    bool acquire();
    bool held() const { return lock_ && lock_->isLocked(); }

private:
    std::unique_ptr<QLockFile> lock_;
};

} // namespace vantrel
