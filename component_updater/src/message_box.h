// Operator message boxes and the help text.
//
// On Windows a box is a real message box without owner window; on POSIX it is one block on
// stderr, "[caption] text", and never waits for input. The help text goes to the parent's console
// (Windows) or to stdout (POSIX).
#pragma once

// Box flags in use: OK button without icon (the platform update), exclamation icon with OK (main
// and the update run), task-modal stop box (start-up failures).
constexpr unsigned kBoxPlain = 0;
constexpr unsigned kBoxExclamation = 48;
constexpr unsigned kBoxStartupFailure = 8208;

// In silent mode, and in a plan, shows nothing and answers 1 (OK); otherwise shows the box and
// returns the operator's answer. Every box is noted in the run record, shown or not. Every box
// of the program goes through here except the help box.
int ShowMessageBox(const char* text, const char* caption, unsigned flags);

// Shows `text` with `caption` and `flags` at once, whatever the run settings say: the platform's
// half of ShowMessageBox (message_box_win32.cpp, message_box_posix.cpp).
int ShowPlatformMessageBox(const char* text, const char* caption, unsigned flags);
