// The version incompatibility check of one group: before the platform update touches a machine's
// components it asks whether the update description fits what the machine runs. A group is
// refused when the description does not know a component's identifier, or when it offers BSP
// modules for the board's hardware, but only for another BSP version than the one installed.
// On the way the check reads each component's BSP response and fills the BSP module table that
// the BSP module update then works from.
//
// Main thread only (client, boxes).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "MIniData_template_core.h"
#include "firmware_discovery.h"

class MTalkClient;

// What the group check learned about one BSP component.
struct BspModuleInfo {
  std::string hardware;     // first line of the BSP response
  std::string bspVersion;   // the reported BSP version, one leading "v" removed
  std::string bspResponse;  // the whole BSP response
};

// BSP component name to what the check learned, ordered byte-wise; the first entry for a name
// wins.
using BspModuleTable = std::map<std::string, BspModuleInfo>;

// The reported BSP version without one leading lower-case "v".
std::string BspVersionOfReported(const std::string& reported);

// What the description says about one board.
enum class BspBoardVerdict {
  kNoSeparator,   // the response is empty or has no CR or LF: no hardware line
  kDescribed,     // the BSP section "<hardware>,<version>" exists: modules may be updated
  kOtherVersion,  // only sections for another BSP version name the hardware: refuse
  kNotDescribed,  // no section names the hardware: nothing to do for this board
};

struct BspBoard {
  BspBoardVerdict verdict = BspBoardVerdict::kNoSeparator;
  std::string hardware;
  std::string offered;  // kOtherVersion: the first such section name after its last ","
};

// Judges a board from its BSP response and installed BSP version against the description's
// sections (the first section in byte-wise order whose name contains the hardware text counts;
// an empty hardware text is contained in every name).
BspBoard JudgeBspBoard(const MIniData& description, const std::string& response,
                       const std::string& bsp_version);

// The check for one group (components in ascending order number). True when the group may be
// updated; fills `table` with each described board. A refusal has shown its box and stops at the
// first refused component.
bool CheckPossibleVersionIncompatibility(MTalkClient* client, MIniData& description,
                                         FirmwareGroup group, const ComponentMap& components,
                                         BspModuleTable& table);
