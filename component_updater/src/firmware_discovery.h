// Firmware component discovery: which of the controller's components carry firmware, how they
// belong together per machine of the proxy chain, and in which order the platform update handles
// them.
//
// The controller describes itself in two maps: the component map (component name to reported
// version) and the options map, whose keys name the machines of the chain ("3: 'table': on").
// Discovery turns them into the firmware component list: one group per machine, each holding the
// machine's main "firmware.config" component (order number 0) and its numbered "sat" components.
// Keys of the options map that name no machine lead to the fallback grouping by name suffix.
//
// Every function here is a pure function of its inputs except CollectFirmwareComps, which asks
// the client for the options map. Nothing here traces or fails: components and keys that fit no
// rule are passed over, and an empty result is the caller's to report. Every insertion follows
// the insertion rule: the first candidate for a key wins, later ones change nothing.
//
// Cost: a machine's group is found by a range lookup on its name prefix, and groups are computed
// once per machine name, so discovery stays near O((components + keys) log components) however
// many options keys or components a controller reports.
#pragma once

#include <cstdint>
#include <map>
#include <string>

class MTalkClient;

// Component name to the value the controller reports for it (the installed version), ordered
// byte-wise by name, as GetComponentsMap answers.
using ComponentMap = std::map<std::string, std::string>;
// The controller's options, ordered byte-wise by key; only the keys are read.
using OptionsMap = std::map<std::string, std::string>;

// The marker of a firmware configuration component inside a component name.
extern const char kFirmwareConfig[];  // "firmware.config"
constexpr size_t kFirmwareConfigLength = 15;

// One firmware component: its name as the controller knows it and its installed version.
struct FirmwareComp {
  std::string name;
  std::string version;
};

// One machine's firmware components by order number: 0 for the main entry, N for "satN".
using FirmwareGroup = std::map<int32_t, FirmwareComp>;
// The groups by group key, ordered byte-wise ("10_gamma" < "1_alpha" < "2_beta"). The platform
// update handles the groups from the last key to the first.
using FirmwareCompList = std::map<std::string, FirmwareGroup>;

// Why an options-map key gives a chain key or not.
enum class ChainKeyVerdict {
  kChainKey,        // the key names a machine of the chain
  kTooShort,        // fewer than 3 bytes
  kNoOpeningQuote,  // no ": '"
  kNotADigit,       // a byte other than 0-9 before ": '"
  kNoRoomForName,   // the key ends right after ": '"
  kNoClosingQuote,  // no "': " after the opening quote
};

struct ChainKey {
  ChainKeyVerdict verdict = ChainKeyVerdict::kTooShort;
  int32_t position = 0;  // the digits before ": '" (0 for none; too many saturate at INT32_MAX)
  std::string machine;   // the text between the quotes; may be empty
  std::string key;       // "%d_%s" of position and machine, "%d_" for an empty machine
};

// Applies the chain key rule to one options-map key. Where the closing "': " overlaps the
// opening quote (": ': on", the apostrophe serving both), the machine name is empty: the rule
// takes the bytes from after the opening quote up to the closing one, and there are none.
// A machine name holding a NUL byte is kept whole in the chain key (no formatting cuts it).
ChainKey ParseChainKey(const std::string& options_key);

// The machine name a chain key was built from: the text after its first "_" ("" when none).
std::string MachineOfChainKey(const std::string& chain_key);

// One machine's group: the main entry "<machine>.firmware.config" and the entries
// "<machine>.satN...firmware.config..."; for the empty machine name the entries "satN..." and
// the main entry "firmware.config..." (the shortest such name wins, as it sorts first). Only
// names of at least 15 bytes that contain "firmware.config" are candidates.
FirmwareGroup CollectMachineFirmwareComps(const ComponentMap& components,
                                          const std::string& machine);

// The fallback grouping: one group per main entry (a candidate without "sat"), keyed by the text
// after its first "firmware.config"; the sat entries join the group whose key equals the text
// after their first "firmware.config", numbered by the number after their first three bytes.
void SortAndSaveAllFirmwareComps(const ComponentMap& components, FirmwareCompList* list);

// Discovery from both maps: chain mode when at least one options key gives a chain key (groups
// that come out empty are left out; the fallback is then never used), else the fallback.
void CollectFirmwareCompsFromMaps(const ComponentMap& components, const OptionsMap& options,
                                  FirmwareCompList* list);

// Asks the client for the options map and runs discovery into `list` (which the caller passes
// empty). A CTevarTalkError from GetOptionsMap passes through to the caller.
void CollectFirmwareComps(const ComponentMap& components, FirmwareCompList* list,
                          MTalkClient* client);
