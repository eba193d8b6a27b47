#pragma once

// The process-wide lock taken around every single step call of the engine (analysis,
// search, detection, reconstruction), so that workers of different tree items never run
// steps on shared readers at the same time. The user-interface thread never takes it.

#include <mutex>

namespace vantrel {

std::mutex& ScanLock();

} // namespace vantrel
