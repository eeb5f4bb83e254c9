// The fallback of the platform update for a component whose identifier cannot be used: instead
// of giving up, send a file chosen without the identifier. Without an identifier (Receive failed
// or gave nothing) that is the standard firmware file in the program-files folder; with an
// identifier that has no section, the file named in the section that carries the component's
// own name. No version comparison is made: the file is always sent.
//
// Main thread only.
#pragma once

#include <string>

#include "MIniData_template_core.h"

class MTalkClient;

// Where the fallback file comes from and how it was found.
enum class FallbackFileVerdict {
  kFound,              // `file` names the file to send, `seconds` the expected duration
  kEnvironmentFailed,  // the default file's %ProgramFiles% could not be expanded
  kNoDefaultFile,      // the default file exists neither under "firmware" nor under "bin"
  kNoFileEntry,        // the component's own section has no "file"
};

struct FallbackFile {
  FallbackFileVerdict verdict = FallbackFileVerdict::kFound;
  std::string file;          // comment cut; not yet resolved against the current folder
  double seconds = 200.0;    // the default file is always sent with 200 s
  bool durationRead = true;  // false: neither [component] nor [general] had a "duration"
};

// Chooses the fallback file of `component`: the default firmware file when `use_default_file`
// is set, else [component] "file" with [component] or [general] "duration" (the value read last
// stands).
FallbackFile ChooseFallbackFile(const MIniData& description, const std::string& component,
                                bool use_default_file);

// Sends `component` its fallback file. True when it was sent; on every failure the error
// context is dumped (only the file resolution shows a box).
bool TryToUpdateErroneousComps(MIniData& description, MTalkClient* client,
                               const std::string& component, bool use_default_file);
