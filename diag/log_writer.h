// Internal to the diagnostics stand-in: formatting and the one place that writes records.
#pragma once

#include <cstdarg>
#include <string>

#include "diag.h"

namespace diag {

// printf into a string of any length.
std::string FormatV(const char* format, va_list args);

// Hands the record to the installed sink, or appends it as one line to its log file (flushed at
// once), or to stderr when there is no log folder.
void WriteRecord(const Record& record);

// Called from a crash handler: writes `text` to the error log with as little machinery as
// possible (no allocation when the file is already open).
void ReportCrash(const char* text);

}  // namespace diag
