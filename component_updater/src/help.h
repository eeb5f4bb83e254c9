// The help text and its display.
#pragma once

// The help text, exactly as the operator sees it.
extern const char kHelpText[];

// Shows the help text: on Windows on the parent's console when there is one (else in an
// information box), on POSIX on stdout. An incomplete write is logged; it never fails the run.
void DisplayHelp();
