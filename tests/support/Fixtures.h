#pragma once

// Disk images built at test time by the scripts in tests/fixtures/. Each image is made
// once per build tree and reused; a test that needs a missing tool skips itself.

#include <filesystem>
#include <string>

namespace vantrel::testing {

std::filesystem::path SourceDir();
// A fresh, empty folder for one test's files (removed when the process ends is not
// promised; it lives under the build tree).
std::filesystem::path ScratchDir(const std::string& name);
// Runs tests/fixtures/<script> with the output path as its argument unless the output
// exists; returns the image path, or an empty path when the script failed.
std::filesystem::path BuildFixture(const std::string& script, const std::string& imageName);
// True when the program is found on PATH.
bool HaveTool(const std::string& program);
// Runs a shell command; returns its exit status.
int RunCommand(const std::string& command);

} // namespace vantrel::testing
