// Expansion of environment references (%NAME%) in texts such as update file names.
//
// Reentrant; reads the process environment.
#pragma once

#include <string>

// Replaces every %NAME% reference to a defined environment variable in `text` by its value, of
// any length. References to undefined variables stay as written, percent signs included, and so
// does a lone '%': callers find unresolved references by a remaining '%'. False (after an
// error-trace entry) only when the system cannot expand; `text` is then unchanged.
bool MReplaceEnvironmentVars(std::string& text);
