#include "engine/request/ScanLock.h"

namespace vantrel {

std::mutex& ScanLock() {
    static std::mutex lock;
    return lock;
}

} // namespace vantrel
