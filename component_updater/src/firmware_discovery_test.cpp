// Discovery: the chain key rule on its edge cases, machine groups, the fallback grouping and the
// choice between chain mode and fallback.
#include "firmware_discovery.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "key{order=name ...}" per group, in list order, so a whole list compares as one text.
std::string Describe(const FirmwareCompList& list) {
  std::string text;
  for (const auto& group : list) {
    text += group.first + "{";
    for (const auto& entry : group.second)
      text += std::to_string(entry.first) + "=" + entry.second.name + " ";
    text += "}";
  }
  return text;
}

ComponentMap Components(const std::vector<std::string>& names) {
  ComponentMap map;
  for (const std::string& name : names)
    map[name] = "1.0";
  return map;
}

OptionsMap Options(const std::vector<std::string>& keys) {
  OptionsMap map;
  for (const std::string& key : keys)
    map[key] = "on";
  return map;
}

TEST(ChainKey, RuleOnWorkedExamplesAndEdges) {
  struct Case {
    std::string key;
    ChainKeyVerdict verdict;
    std::string chain_key;
  } cases[] = {
      {"3: 'table': on", ChainKeyVerdict::kChainKey, "3_table"},
      {"07: '': x", ChainKeyVerdict::kChainKey, "7_"},
      {": 'm': ", ChainKeyVerdict::kChainKey, "0_m"},  // empty digit run
      {"1: ': on", ChainKeyVerdict::kChainKey, "1_"},  // one apostrophe closes and opens
      {"99999999999: 'big': x", ChainKeyVerdict::kChainKey, "2147483647_big"},
      {"1: 'a: 'b': x", ChainKeyVerdict::kChainKey, "1_a: 'b"},  // first closing quote wins
      {std::string("2: 'n\0ul': x", 12), ChainKeyVerdict::kChainKey, std::string("2_n\0ul", 6)},
      {"a3: 'table': on", ChainKeyVerdict::kNotADigit, ""},
      {"-1: 'table': on", ChainKeyVerdict::kNotADigit, ""},
      {"3:'table': on", ChainKeyVerdict::kNoOpeningQuote, ""},
      {"3: 'table'", ChainKeyVerdict::kNoClosingQuote, ""},
      {"3: '", ChainKeyVerdict::kNoRoomForName, ""},
      {": '", ChainKeyVerdict::kNoRoomForName, ""},
      {"1:", ChainKeyVerdict::kTooShort, ""},
  };
  for (const Case& c : cases) {
    const ChainKey chain = ParseChainKey(c.key);
    EXPECT_EQ(chain.verdict, c.verdict) << c.key;
    EXPECT_EQ(chain.key, c.chain_key) << c.key;
    if (chain.verdict == ChainKeyVerdict::kChainKey) {
      EXPECT_EQ(MachineOfChainKey(chain.key), chain.machine) << c.key;
    }
  }
}

TEST(FirmwareDiscovery, GroupsByChainKeyOrFallback) {
  const ComponentMap station = Components(
      {"firmware.config", "sat1.firmware.config", "table.firmware.config",
       "table.sat2.firmware.config", "table.sat1.firmware.config", "tablex.firmware.config",
       "table.firmware.config.bak", "satnav.firmware.config", "satnav.sat1.firmware.config",
       "head.sat3.firmware.config", "head.sat03.firmware.config", "x.sat1.fw"});
  struct Case {
    const char* what;
    ComponentMap components;
    std::vector<std::string> options;
    std::string expected;
  } cases[] = {
      {"named and empty machines",
       station,
       {"1: 'table': on", "2: '': on", "x.y"},
       "1_table{0=table.firmware.config 1=table.sat1.firmware.config "
       "2=table.sat2.firmware.config }2_{0=firmware.config 1=sat1.firmware.config }"},
      {"the first 'sat' must follow the prefix",
       station,
       {"1: 'satnav': on"},
       "1_satnav{0=satnav.firmware.config }"},
      {"sat03 sorts first and wins number 3",
       station,
       {"4: 'head': on"},
       "4_head{3=head.sat03.firmware.config }"},
      {"same machine under two positions",
       station,
       {"1: 'head': x", "2: 'head': x"},
       "1_head{3=head.sat03.firmware.config }2_head{3=head.sat03.firmware.config }"},
      {"chain mode never falls back", station, {"1: 'nobody': on"}, ""},
      {"fallback by suffix",
       Components({"firmware.config_b", "sat1.firmware.config_b", "firmware.configuration",
                   "sat2.firmware.config_c"}),
       {"3:'no quote': on"},
       "_b{0=firmware.config_b 1=sat1.firmware.config_b }"
       "uration{0=firmware.configuration }"},
      {"fallback numbers sat entries from position 3",
       Components({"firmware.config", "sat1.firmware.config", "sat2firmware.config"}),
       {},
       "{0=firmware.config 1=sat1.firmware.config 2=sat2firmware.config }"},
  };
  for (const Case& c : cases) {
    FirmwareCompList list;
    CollectFirmwareCompsFromMaps(c.components, Options(c.options), &list);
    EXPECT_EQ(Describe(list), c.expected) << c.what;
  }
}

}  // namespace
