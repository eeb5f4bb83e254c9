// The error trace: entries collected in nested contexts, per thread, that the function giving up
// dumps to the error log in one piece and a function tolerating the failure clears.
//
// Each thread has an outermost context that is always open, so entries added outside any
// Begin/End pair are kept too. A context ended with entries still in it hands them on to the
// enclosing context: nothing collected is lost until it is dumped or cleared.
#pragma once

#include "mformat_attr.h"

void MErrTrace_BeginContext();
void MErrTrace_EndContext();
// Discards the entries of the innermost context.
void MErrTrace_ClearContext();
// Records the location of the calling thread's next entry or dump. The first argument is unused.
void _MErrTrace_Location(int reserved, const char* file, int line);
// Adds one entry to the innermost context.
void _MErrTrace_Add(const char* format, ...) M_PRINTF_FORMAT(1, 2);
// Writes the innermost context's entries, then the summary, to the error log, and empties it.
void _MErrTrace_DumpContextToMErrLog(const char* format, ...) M_PRINTF_FORMAT(1, 2);
