// The leveled trace. Every trace of the program names the channel "default"; level 0 is always
// written, level N > 0 only while the channel's level is at least N. Levels start at 0.
//
// Use the MTRACE macro of errtrace.h: it performs the test/location/write sequence in order.
#pragma once

#include "mformat_attr.h"

// Non-zero when messages of `level` are on for `channel`.
int _MTrace_TestLevel(const char* channel, int level);
// Records the location of the calling thread's next message; non-zero when it is to be written.
int _MTrace_Location(const char* file, int line, const char* channel, int level);
// Writes one message at the location the calling thread gave last.
void _MTrace_Always(const char* format, ...) M_PRINTF_FORMAT(1, 2);
// Sets the level of `channel`; a negative level switches off everything above 0.
void _MTrace_SetLevel(const char* channel, int level);
