#pragma once

// The options that `ls`, `recover` and `scan` share: the file list's row filter, and how
// the salvage questions are answered.

#include "cli/Command.h"
#include "cli/RecoverQuestions.h"
#include "engine/settings/ScanSettings.h"

#include <string>
#include <vector>

namespace vantrel::cli {

// Options of the row filter that take a value, and those that are flags.
const std::vector<std::string>& FilterValueOptions();
const std::vector<std::string>& FilterFlagOptions();
// Options of the salvage questions (--overwrite, --on-error, --fat-limit).
const std::vector<std::string>& PolicyValueOptions();
// Flags of the salvage (--no-hash).
const std::vector<std::string>& PolicyFlagOptions();

// a followed by b.
std::vector<std::string> Joined(std::vector<std::string> a, const std::vector<std::string>& b);

// Fills settings from the filter options; false with a message on a bad value.
bool ReadFilterOptions(const ArgParser& parser, ScanSettings* settings, std::string* error);
// Fills the answer modes from the policy options; false with a message on a bad value.
bool ReadPolicyOptions(const ArgParser& parser, RecoverPolicy* policy, std::string* error);

// The --help lines of each group.
extern const char kFilterOptionsHelp[];
extern const char kPolicyOptionsHelp[];

} // namespace vantrel::cli
