// A bounded sleep in seconds for the update engine's waits after a send.
#pragma once

// Sleeps for `seconds` (the fraction of a millisecond cut off) and returns 0 when
// 0 <= seconds <= 2678400 (31 days). Any other value, NaN included, adds the error-trace entry
// "msleep_sec(): invalid argument" and returns -1 at once. Blocks only the calling thread.
int msleep_sec(double seconds);
