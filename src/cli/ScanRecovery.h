#pragma once

// `scan --recover-to DIR`: salvages everything a scan found into DIR with the salvage
// engine, writing DIR/manifest.jsonl, answering its questions as `recover` does.

#include "cli/RecoverQuestions.h"
#include "engine/settings/ScanSettings.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace vantrel {
class ResultNode;
}

namespace vantrel::cli {

struct ScanRecoveryResult {
    bool ran = false; // the salvage worker ran (the destination was usable)
    int exitCode = 1; // as for `recover`
    std::string refusal;
};

// Recovers every top-level folder (with its contents) and file of area that passes the
// filter into destination, answering the questions by the policy.
ScanRecoveryResult RecoverScanResults(ResultNode& area, const std::string& sourcePath,
                                      const std::vector<std::string>& sourceCompanions,
                                      const std::string& destination, const ScanSettings& filter,
                                      const RecoverPolicy& policy, std::ostream& err);

} // namespace vantrel::cli
