// Start-up and shutdown of the program, shared by both process entries: the framework, the
// active user and language, the text table, the program title, the settings file and its trace
// level, the tray thread, main, and the orderly shutdown.
#pragma once

#include <string>

// Reads the string `value` of `key` under HKEY_LOCAL_MACHINE (32-bit view) into *text. False,
// with *text untouched, when the key or the value is missing or not a plain string.
bool get_config_string(const char* key, const char* value, std::string* text);

// Applies the program settings file (TheRunSettings().settingsFilePath): sets the trace level of
// channel "default" from [common] "mtrace_level" (clamped to 0..5; 4 when missing, and then the
// entry is added with 3 for the next start). A file that could not be read completely is never
// saved over.
void ReadAppIniFile();

// The process entry's work once the command line is split: everything from initialising the
// framework to shutting the tray thread down. `instance` is the module handle (null on POSIX),
// `command_line` the entry's full command-line text (may be null). Returns the exit status.
int RunProgram(int argc, char** argv, void* instance, const char* command_line);
