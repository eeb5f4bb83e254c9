// Firmware component discovery: the chain key rule, one machine's group, the fallback grouping
// and the discovery that chooses between them.
//
// Texts are compared as bytes throughout (std::string's find and compare), so controller names
// holding NUL or bytes above 0x7F are matched exactly and never cut short.
#include "firmware_discovery.h"

#include <set>
#include <vector>

#include "mstring_tools.h"
#include "mtalkclient.h"

const char kFirmwareConfig[] = "firmware.config";

namespace {

const char kSat[] = "sat";
const size_t kSatLength = 3;
const char kOpeningQuote[] = ": '";
const char kClosingQuote[] = "': ";
const size_t kQuoteLength = 3;

bool IsCandidate(const std::string& name) {
  return name.size() >= kFirmwareConfigLength && name.find(kFirmwareConfig) != std::string::npos;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// The leading decimal number of `text` as strtol reads it (blanks and a sign allowed, 0 when
// there is none); whether the whole text was a number does not matter here.
int32_t LeadingNumber(const std::string& text) {
  long value = 0;
  StringToLong(text, &value);
  return static_cast<int32_t>(value);
}

void Insert(FirmwareGroup* group, int32_t order, const ComponentMap::value_type& component) {
  group->emplace(order, FirmwareComp{component.first, component.second});
}

std::string ChainKeyText(int32_t position, const std::string& machine) {
  // "%d_%s" without a formatter, so that a NUL inside the machine name does not cut the key.
  return std::to_string(position) + "_" + machine;
}

// The entries of a named machine: only names beginning with "<machine>." can qualify, and in
// the byte-wise ordered map they form one range.
FirmwareGroup CollectNamedMachine(const ComponentMap& components, const std::string& machine) {
  FirmwareGroup group;
  const std::string prefix = machine + ".";
  const std::string main_name = prefix + kFirmwareConfig;
  for (auto it = components.lower_bound(prefix);
       it != components.end() && StartsWith(it->first, prefix); ++it) {
    const std::string& name = it->first;
    if (!IsCandidate(name))
      continue;
    if (name == main_name)
      Insert(&group, 0, *it);
    else if (name.find(kSat) == prefix.size())
      Insert(&group, LeadingNumber(name.substr(prefix.size() + kSatLength)), *it);
    // Anything else under the prefix ("table.firmware.config.bak") is passed over.
  }
  return group;
}

FirmwareGroup CollectUnnamedMachine(const ComponentMap& components) {
  FirmwareGroup group;
  for (const auto& component : components) {
    const std::string& name = component.first;
    if (!IsCandidate(name))
      continue;
    if (name.find(kSat) == 0)
      Insert(&group, LeadingNumber(name.substr(kSatLength)), component);
    else if (StartsWith(name, kFirmwareConfig))
      Insert(&group, 0, component);
  }
  return group;
}

std::string SuffixAfterFirmwareConfig(const std::string& name) {
  return name.substr(name.find(kFirmwareConfig) + kFirmwareConfigLength);
}

}  // namespace

ChainKey ParseChainKey(const std::string& options_key) {
  ChainKey result;
  const std::string& k = options_key;
  if (k.size() < kQuoteLength)
    return result;  // kTooShort
  const size_t c = k.find(kOpeningQuote);
  if (c == std::string::npos) {
    result.verdict = ChainKeyVerdict::kNoOpeningQuote;
    return result;
  }
  if (k.find_first_not_of("0123456789") < c) {
    result.verdict = ChainKeyVerdict::kNotADigit;
    return result;
  }
  if (k.size() - kQuoteLength < c + 1) {
    result.verdict = ChainKeyVerdict::kNoRoomForName;
    return result;
  }
  // Any occurrence found from c + 1 on starts at or before size - 3, as it needs three bytes.
  const size_t e = k.find(kClosingQuote, c + 1);
  if (e == std::string::npos) {
    result.verdict = ChainKeyVerdict::kNoClosingQuote;
    return result;
  }
  const size_t name_begin = c + kQuoteLength;
  result.verdict = ChainKeyVerdict::kChainKey;
  result.position = LeadingNumber(k.substr(0, c));
  result.machine = e > name_begin ? k.substr(name_begin, e - name_begin) : std::string();
  result.key = ChainKeyText(result.position, result.machine);
  return result;
}

std::string MachineOfChainKey(const std::string& chain_key) {
  const size_t underscore = chain_key.find('_');
  return underscore == std::string::npos ? std::string() : chain_key.substr(underscore + 1);
}

FirmwareGroup CollectMachineFirmwareComps(const ComponentMap& components,
                                          const std::string& machine) {
  return machine.empty() ? CollectUnnamedMachine(components)
                         : CollectNamedMachine(components, machine);
}

void SortAndSaveAllFirmwareComps(const ComponentMap& components, FirmwareCompList* list) {
  // Main entries first, so that every sat entry finds its group whatever its place in the map.
  std::set<std::string> suffixes;
  for (const auto& component : components) {
    const std::string& name = component.first;
    if (!IsCandidate(name) || name.find(kSat) != std::string::npos)
      continue;
    const std::string suffix = SuffixAfterFirmwareConfig(name);
    suffixes.insert(suffix);
    Insert(&(*list)[suffix], 0, component);
  }
  // A sat entry can only match the one suffix it has; visiting the components once in map order
  // therefore gives every group the same first candidates as walking the suffixes one by one.
  for (const auto& component : components) {
    const std::string& name = component.first;
    if (!IsCandidate(name) || name.find(kSat) == std::string::npos)
      continue;
    const std::string suffix = SuffixAfterFirmwareConfig(name);
    if (suffixes.count(suffix) != 0)
      Insert(&(*list)[suffix], LeadingNumber(name.substr(kSatLength)), component);
  }
}

void CollectFirmwareCompsFromMaps(const ComponentMap& components, const OptionsMap& options,
                                  FirmwareCompList* list) {
  std::vector<std::string> chain_keys;
  for (const auto& option : options) {
    ChainKey chain = ParseChainKey(option.first);
    if (chain.verdict == ChainKeyVerdict::kChainKey)
      chain_keys.push_back(std::move(chain.key));
  }
  if (chain_keys.empty()) {
    SortAndSaveAllFirmwareComps(components, list);
    return;
  }
  // Many keys may name the same machine: each machine's group is computed once.
  std::map<std::string, FirmwareGroup> groups_by_machine;
  for (const std::string& key : chain_keys) {
    if (list->count(key) != 0)
      continue;  // the first key wins
    const std::string machine = MachineOfChainKey(key);
    auto found = groups_by_machine.find(machine);
    if (found == groups_by_machine.end())
      found = groups_by_machine.emplace(machine, CollectMachineFirmwareComps(components, machine))
                  .first;
    if (!found->second.empty())
      list->emplace(key, found->second);
  }
}

void CollectFirmwareComps(const ComponentMap& components, FirmwareCompList* list,
                          MTalkClient* client) {
  CollectFirmwareCompsFromMaps(components, client->GetOptionsMap(), list);
}
