// A bounded sleep in seconds for the update engine's waits after a send.
#pragma once

// Sleeps for msleep_sec_milliseconds(seconds) and returns 0 when 0 <= seconds <= 2678400
// (31 days). Any other value, NaN included, adds the error-trace entry
// "msleep_sec(): invalid argument" and returns -1 at once. Blocks only the calling thread.
int msleep_sec(double seconds);

// The sleep msleep_sec makes of `seconds`: whole milliseconds, the fraction cut off; -1 for a
// value it refuses.
long long msleep_sec_milliseconds(double seconds);
