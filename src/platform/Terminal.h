#pragma once

// What a command-line front end needs from the terminal: whether a stream is one, its
// width, reading an answer, and Ctrl-C turned into a flag that the main loop polls.

#include <string>

namespace vantrel {

bool StdinIsTerminal();
bool StderrIsTerminal();
bool StdoutIsTerminal();
// Columns of the terminal on stderr; 80 when unknown.
int TerminalColumns();

// Ctrl-C (and SIGTERM) set a flag instead of ending the process, and interrupt a read
// in progress. A second Ctrl-C ends the process the ordinary way.
void InstallInterruptFlag();
bool InterruptRequested();

// One line from standard input without its line end; false at the end of input or when
// Ctrl-C interrupted the read.
bool ReadInputLine(std::string* line);

} // namespace vantrel
