#pragma once

// Runs the built vantrel-cli as a user would, from a shell, capturing its output.

#include <filesystem>
#include <string>
#include <vector>

namespace vantrel::testing {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::filesystem::path CliPath();
// Single-quotes text for the shell.
std::string ShellQuote(const std::string& text);
std::string ReadFileBytes(const std::filesystem::path& path);
// arguments is a shell-quoted argument string; prefix stands before the program (an
// environment setting such as "TZ=UTC ", or a user switch). Standard input is /dev/null.
CliRun RunCliLine(const std::string& arguments, const std::string& prefix = {});
// The same with each argument quoted.
CliRun RunCli(const std::vector<std::string>& args, const std::string& prefix = {});

} // namespace vantrel::testing
