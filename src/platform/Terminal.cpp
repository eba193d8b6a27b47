#include "platform/Terminal.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <sys/ioctl.h>
#include <unistd.h>

namespace vantrel {

namespace {

volatile std::sig_atomic_t interrupted = 0;

void OnInterrupt(int signal) {
    if (interrupted) {
        // Asked twice: leave the way the signal normally does.
        struct sigaction fallback {};
        fallback.sa_handler = SIG_DFL;
        ::sigaction(signal, &fallback, nullptr);
        ::raise(signal);
        return;
    }
    interrupted = 1;
}

} // namespace

bool StdinIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

bool StderrIsTerminal() {
    return ::isatty(STDERR_FILENO) == 1;
}

bool StdoutIsTerminal() {
    return ::isatty(STDOUT_FILENO) == 1;
}

int TerminalColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

void InstallInterruptFlag() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0; // no SA_RESTART: a read waiting for an answer returns EINTR
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

bool InterruptRequested() {
    return interrupted != 0;
}

bool ReadInputLine(std::string* line) {
    line->clear();
    for (;;) {
        char c = 0;
        const ssize_t got = ::read(STDIN_FILENO, &c, 1);
        if (got < 0 && errno == EINTR && !interrupted)
            continue;
        if (got <= 0)
            return false;
        if (c == '\n')
            return true;
        if (c != '\r')
            *line += c;
    }
}

} // namespace vantrel
