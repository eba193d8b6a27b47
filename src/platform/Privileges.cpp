#include "platform/Privileges.h"

#include <unistd.h>

namespace vantrel {

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

} // namespace vantrel
