#include "CliRunner.h"

#include "Fixtures.h"

#include <atomic>
#include <fstream>
#include <iterator>

namespace vantrel::testing {

namespace fs = std::filesystem;

fs::path CliPath() {
#ifdef VANTREL_BINARY_DIR_DEFAULT
    return fs::path(VANTREL_BINARY_DIR_DEFAULT) / "src" / "cli" / "vantrel-cli";
#else
    return "vantrel-cli";
#endif
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadFileBytes(const fs::path& path) {
    // Block reads rather than a streambuf iterator, whose inlined buffer pointers GCC's
    // -O2 null-dereference analysis cannot follow.
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    char block[65536];
    while (in.read(block, sizeof block) || in.gcount() > 0)
        bytes.append(block, static_cast<std::size_t>(in.gcount()));
    return bytes;
}

CliRun RunCliLine(const std::string& arguments, const std::string& prefix) {
    static std::atomic<int> serial{0};
    const fs::path dir = ScratchDir("cli-run-" + std::to_string(serial++));
    CliRun run;
    run.status =
        RunCommand(prefix + ShellQuote(CliPath().string()) + " " + arguments + " </dev/null >" +
                   ShellQuote((dir / "out").string()) + " 2>" + ShellQuote((dir / "err").string()));
    run.out = ReadFileBytes(dir / "out");
    run.err = ReadFileBytes(dir / "err");
    return run;
}

CliRun RunCli(const std::vector<std::string>& args, const std::string& prefix) {
    std::string arguments;
    for (const std::string& arg : args)
        arguments += (arguments.empty() ? "" : " ") + ShellQuote(arg);
    return RunCliLine(arguments, prefix);
}

} // namespace vantrel::testing
