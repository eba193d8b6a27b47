#pragma once

namespace vantrel {

// True when the process runs as root: a refused device node is then refused by policy,
// not for want of privileges, and saying "needs root" would mislead.
bool RunningAsRoot();

} // namespace vantrel
