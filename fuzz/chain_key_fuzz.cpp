// Feeds arbitrary options keys and component names to firmware discovery. Each input line is an
// options key and a component name; for every machine a line names, its main and a sat
// component are added, so that chain mode finds real groups. Checks what the rules promise: a
// chain key is its position, "_" and the machine named between the quotes; every listed entry
// is a reported firmware component with its reported version; chain groups hold only their
// machine's components; fallback groups are keyed by their main entry's suffix.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "firmware_discovery.h"

namespace {

void Check(bool condition) {
  if (!condition)
    std::abort();
}

void CheckChainKey(const std::string& key, const ChainKey& chain) {
  if (chain.verdict != ChainKeyVerdict::kChainKey)
    return;
  const size_t c = key.find(": '");
  Check(c != std::string::npos && key.find_first_not_of("0123456789") >= c);
  Check(chain.position >= 0);
  Check(chain.key == std::to_string(chain.position) + "_" + chain.machine);
  Check(MachineOfChainKey(chain.key) == chain.machine);
  // The machine name stands right after the opening quote and is closed by "': ".
  Check(key.compare(c + 3, chain.machine.size(), chain.machine) == 0);
  Check(key.find("': ", c + 1) == c + 3 + chain.machine.size() ||
        (chain.machine.empty() && key.find("': ", c + 1) == c + 2));
}

void CheckList(const ComponentMap& components, const std::set<std::string>& chain_keys,
               const FirmwareCompList& list) {
  for (const auto& group : list) {
    Check(!group.second.empty());
    if (chain_keys.empty()) {
      const auto main = group.second.find(0);
      Check(main != group.second.end() && main->second.name.find("sat") == std::string::npos);
      const std::string& name = main->second.name;
      Check(name.substr(name.find(kFirmwareConfig) + kFirmwareConfigLength) == group.first);
    } else {
      Check(chain_keys.count(group.first) == 1);
    }
    const std::string machine = MachineOfChainKey(group.first);
    for (const auto& entry : group.second) {
      const auto reported = components.find(entry.second.name);
      Check(reported != components.end() && reported->second == entry.second.version);
      Check(entry.second.name.find(kFirmwareConfig) != std::string::npos);
      if (!chain_keys.empty() && !machine.empty())
        Check(entry.second.name.compare(0, machine.size() + 1, machine + ".") == 0);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  ComponentMap components;
  OptionsMap options;
  std::set<std::string> chain_keys;
  size_t begin = 0;
  while (begin <= input.size()) {
    size_t end = input.find('\n', begin);
    if (end == std::string::npos)
      end = input.size();
    const std::string line = input.substr(begin, end - begin);
    begin = end + 1;
    const ChainKey chain = ParseChainKey(line);
    CheckChainKey(line, chain);
    options[line] = "on";
    components.emplace(line, std::to_string(line.size()));
    if (chain.verdict == ChainKeyVerdict::kChainKey) {
      chain_keys.insert(chain.key);
      const std::string prefix = chain.machine.empty() ? "" : chain.machine + ".";
      components.emplace(prefix + kFirmwareConfig, "main");
      components.emplace(prefix + "sat" + std::to_string(line.size() % 5) + "." + kFirmwareConfig,
                         "sat");
    }
  }
  FirmwareCompList list;
  CollectFirmwareCompsFromMaps(components, options, &list);
  CheckList(components, chain_keys, list);
  return 0;
}
