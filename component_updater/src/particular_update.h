// The particular installation: an update description can name, in [general] "part_order", the
// only firmware components that take part in the update (switched on by [general]
// "auto_update" = 2). CheckForParticularUpdate removes every other component from the firmware
// component list, and every group that loses all its components.
//
// Main thread only.
#pragma once

#include <string>
#include <vector>

#include "MIniData_template_core.h"
#include "firmware_discovery.h"

// What the description says about a particular installation.
enum class ParticularUpdateVerdict {
  kOff,           // "auto_update" is not 2
  kNoAutoUpdate,  // "auto_update" cannot be read as a number
  kNoPartOrder,   // "auto_update" is 2, but "part_order" is missing
  kKeepListed,    // "auto_update" is 2: keep only the names of "part_order"
};

struct ParticularUpdate {
  ParticularUpdateVerdict verdict = ParticularUpdateVerdict::kOff;
  std::vector<std::string> keep;  // the names of "part_order" (kKeepListed only)
};

// Reads [general] "auto_update" and "part_order".
ParticularUpdate ReadParticularUpdate(const MIniData& description);

// Applies the particular installation to `list` in place: removes each component not named in
// "part_order" (level-0 trace per component) and each group left empty (level-0 trace per
// group). A missing "auto_update" or "part_order" leaves the list unchanged with one error-log
// entry.
void CheckForParticularUpdate(MIniData& description, FirmwareCompList& list);
