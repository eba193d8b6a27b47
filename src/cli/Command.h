#pragma once

// vantrel-cli commands register themselves here, so adding a command means adding one
// file. Exit codes: 0 success, 1 the work found a problem (failed or skipped files, a
// folder not analysed, nothing found, a stop), 2 bad usage or an unusable source or
// destination, 3 every file was written but some only in part.

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace vantrel::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitProblem = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitPartial = 3;

// The exit-code lines of --help.
inline constexpr char kExitCodesHelp[] =
    "終了コード: 0 すべて成功、1 失敗・スキップ・解析できないフォルダ・中止があった、\n"
    "           2 使い方の誤り、回収元または回収先が使えない、\n"
    "           3 すべて書き込んだが、一部だけのファイル（partial）か切り詰めたファイル（cut）\n"
    "             がある\n";

struct Command {
    std::string name;
    std::string summary; // one line, for the command list
    std::string usage;   // full --help text
    std::function<int(const std::vector<std::string>& args)> run;
};

std::map<std::string, Command>& Commands();

struct CommandRegistrar {
    explicit CommandRegistrar(Command command);
};

// Prints "vantrel-cli: <message>" on stderr and returns kExitUsage.
int UsageError(const std::string& message);

// Parses "--name value", "--name=value" and flags. Unknown options are errors.
class ArgParser {
public:
    ArgParser(const std::vector<std::string>& args, std::vector<std::string> valueOptions,
              std::vector<std::string> flagOptions);
    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    bool Flag(const std::string& name) const;
    // Last value given for the option (or fallback).
    std::string Value(const std::string& name, const std::string& fallback = {}) const;
    bool HasValue(const std::string& name) const;
    const std::vector<std::string>& Positional() const { return positional_; }
    bool WantsHelp() const { return Flag("--help") || Flag("-h"); }

private:
    std::map<std::string, std::string> values_;
    std::vector<std::string> flags_;
    std::vector<std::string> positional_;
    std::string error_;
};

} // namespace vantrel::cli
