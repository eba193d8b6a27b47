#include "Fixtures.h"

#include <cstdlib>
#include <mutex>
#include <sys/wait.h>
#include <unistd.h>

namespace vantrel::testing {

namespace fs = std::filesystem;

fs::path SourceDir() {
    if (const char* env = std::getenv("VANTREL_SOURCE_DIR"))
        return env;
#ifdef VANTREL_SOURCE_DIR_DEFAULT
    return VANTREL_SOURCE_DIR_DEFAULT;
#else
    return fs::current_path();
#endif
}

static fs::path FixtureRoot() {
#ifdef VANTREL_BINARY_DIR_DEFAULT
    return fs::path(VANTREL_BINARY_DIR_DEFAULT) / "fixtures";
#else
    return fs::temp_directory_path() / "vantrel-fixtures";
#endif
}

fs::path ScratchDir(const std::string& name) {
    const fs::path dir = FixtureRoot() / "scratch" / (name + "-" + std::to_string(::getpid()));
    std::error_code ec;
    fs::remove_all(dir, ec);
    fs::create_directories(dir, ec);
    return dir;
}

int RunCommand(const std::string& command) {
    const int status = std::system(command.c_str());
    if (status == -1)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

bool HaveTool(const std::string& program) {
    return RunCommand("command -v " + program + " >/dev/null 2>&1") == 0;
}

fs::path BuildFixture(const std::string& script, const std::string& imageName) {
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    const fs::path out = FixtureRoot() / imageName;
    std::error_code ec;
    if (fs::exists(out, ec))
        return out;
    fs::create_directories(out.parent_path(), ec);
    // Build under a temporary name so a failed or concurrent build never leaves a
    // half-made image that later runs would trust.
    const fs::path partial = out.string() + ".partial-" + std::to_string(::getpid());
    const fs::path scriptPath = SourceDir() / "tests" / "fixtures" / script;
    const std::string command = "bash '" + scriptPath.string() + "' '" + partial.string() + "' >'" +
                                partial.string() + ".log' 2>&1";
    if (RunCommand(command) != 0) {
        fs::remove(partial, ec);
        return {};
    }
    fs::rename(partial, out, ec);
    if (ec)
        return fs::exists(out) ? out : fs::path{};
    fs::remove(partial.string() + ".log", ec);
    return out;
}

} // namespace vantrel::testing
