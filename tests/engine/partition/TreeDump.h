#pragma once

// A readable text dump of a whole result tree, analysing every node on the way, for the
// golden files in golden/. Times are shown in UTC; NTFS metadata files ($MFT ...) are
// left out because their sizes depend on the formatting tool, not on this program.

#include "engine/tree/ResultNode.h"

#include <string>

namespace vantrel::testing {

std::string DumpTree(ResultNode& root, const std::string& rootName);
// Compares dump with golden/<name>.txt; with VANTREL_UPDATE_GOLDEN=1 rewrites the file.
// Returns an empty string on a match, else a description of the difference.
std::string CompareWithGolden(const std::string& dump, const std::string& name);

} // namespace vantrel::testing
