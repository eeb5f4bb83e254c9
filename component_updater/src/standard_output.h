// The program's own texts for the standard output (the printed plan): POSIX stdout; on Windows,
// where the program is windowed, the standard output handle it was given (a file or pipe that
// "> plan.txt" or a calling program set up), else the console of the parent process.
#pragma once

#include <string>

// Writes `text` (lines ending in "\n"; on Windows written as CR LF) and flushes it. False when
// not all of it arrived or there is no standard output at all.
bool WriteStandardOutput(const std::string& text);
