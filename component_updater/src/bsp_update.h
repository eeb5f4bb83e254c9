// The BSP module update of one firmware component: the update description names, for the
// board's hardware and BSP version, the module files that belong on it; every module whose
// version on the board differs from the file's, or that the board does not have yet, is sent one
// file at a time under the progress dialog. The board's hardware, BSP version and module list
// come from the BSP module table of the group check.
//
// The module verdicts are pure functions; UpdateBSPComp traces and sends. Main thread only.
#pragma once

#include <string>
#include <vector>

#include "MIniData_template_core.h"
#include "firmware_discovery.h"
#include "version_incompatibility.h"

class MTalkClient;

// One module file entry of a BSP section's "file" value, taken apart. The base name has the form
// module, "_", version, "_", rest; a directory part may come first.
struct BspModuleRecord {
  std::string module;   // after the last "/" or "\" up to the entry's first "_" (searched in the
                        // whole entry: a "_" only in the directory part, or none at all, lets
                        // the name run to the end)
  std::string version;  // between the first and the last "_"; after a single "_"; else the entry
  std::string file;     // the whole entry, unchanged
};
BspModuleRecord ParseBspModuleEntry(const std::string& entry);

// What the BSP response says about a module.
enum class InstalledModuleVerdict {
  kNew,          // the module name does not occur in the response
  kNoSeparator,  // it occurs, but no "," follows: the version cannot be read
  kFound,        // the version is the text between the next "," and the one after it (or the end)
};
InstalledModuleVerdict FindInstalledModuleVersion(const std::string& response,
                                                  const std::string& module,
                                                  std::string* installed);

// Where the module files of a firmware component go.
enum class BspTargetVerdict {
  kBspComponent,      // the firmware reports 11.0.15, 11.1 or later: to the BSP component
  kFirmwareNotInMap,  // the firmware component is not in the component map: to the firmware
  kFirmwareTooOld,    // an older firmware takes them itself, with a wait after each send
};
BspTargetVerdict JudgeBspTarget(const std::string& firmware_name, const ComponentMap& components);

// True when the module files go to the BSP component (traces when the firmware component is
// missing from the map).
bool UseBSPCompForUpdate(const std::string& firmware_name, const ComponentMap& components);

// Reads the module file entries of `section` and, for a non-empty list, the send duration
// ([section] "duration", else [general] "duration"). False, after an error-trace entry, when
// "file" or both durations are missing.
bool GetBspFilesForUpdate(std::string section, MIniData& description,
                          std::vector<std::string>& files, double& duration);

// Updates the BSP modules of the firmware component `firmware_name` from its board's entry in
// `table`: every module whose installed version differs, or that the board lacks, is read and
// sent (to the BSP component, or to the firmware component with the wait after the send). False
// only when the module list or the send duration cannot be read; a module that cannot be read
// or sent is skipped with an error-trace entry.
bool UpdateBSPComp(const std::string& firmware_name, MTalkClient* client, MIniData& description,
                   const ComponentMap& components, const BspModuleTable& table);
