#pragma once

// Drives a salvage job from the terminal: the worker runs on its own thread while this
// thread shows its progress on stderr, answers its questions by the policy (asking on
// the terminal when there is one) and turns Ctrl-C into a stop after the current piece.
// Used by `recover` and by `scan --recover-to`.

#include "cli/RecoverQuestions.h"
#include "engine/salvage/SalvageWorker.h"

#include <iosfwd>

namespace vantrel::cli {

// False when the worker could not be started; job.summary tells the rest.
bool RunSalvageSession(SalvageJob& job, const RecoverPolicy& policy, ResultNode* node,
                       std::ostream& err);

// The exit code for a finished run: kExitOk only when every file came back whole.
int SalvageExitCode(const SalvageSummary& summary);

} // namespace vantrel::cli
