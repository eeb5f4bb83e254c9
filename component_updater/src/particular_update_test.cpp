// The particular installation: which descriptions switch it on, and what stays of the list.
#include "particular_update.h"

#include <gtest/gtest.h>

#include "diag_testing.h"
#include "engine_testing.h"

namespace {

// The remaining component names, groups separated by "|".
std::string Remaining(const FirmwareCompList& list) {
  std::string text;
  for (const auto& group : list) {
    text += group.first + ":";
    for (const auto& entry : group.second)
      text += entry.second.name + " ";
    text += "|";
  }
  return text;
}

TEST(ParticularUpdate, KeepsOnlyListedComponentsAndDropsEmptiedGroups) {
  const FirmwareCompList station = {
      {"1_a", {{0, {"a.firmware.config", "1"}}, {1, {"a.sat1.firmware.config", "1"}}}},
      {"2_b", {{0, {"b.firmware.config", "1"}}}},
  };
  const std::string all = "1_a:a.firmware.config a.sat1.firmware.config |2_b:b.firmware.config |";
  struct Case {
    const char* general;
    std::string remaining;
    const char* error_log;  // "" for none
  } cases[] = {
      {"auto_update=1\npart_order=b.firmware.config", all, ""},
      {"part_order=b.firmware.config", all,
       "CheckForParticularUpdate(): GetLongEntry(auto_update) failed."},
      {"auto_update=2", all,
       "CheckForParticularUpdate(): GetStringEntry(part_order) failed. Particular update will be "
       "skipped."},
      {"auto_update=2\npart_order= ; nothing", "", ""},
      {"auto_update=2\npart_order=A.firmware.config, a.sat1.firmware.config ,x",
       "1_a:a.sat1.firmware.config |", ""},
      {"auto_update= 2 ; "
       "on\npart_order=b.firmware.config,,a.firmware.config,a.sat1.firmware.config",
       all, ""},
  };
  for (const Case& c : cases) {
    diag::CapturingSink sink;
    MIniData description;
    engine_testing::LoadDescription(&description, std::string("[general]\n") + c.general);
    FirmwareCompList list = station;
    CheckForParticularUpdate(description, list);
    EXPECT_EQ(Remaining(list), c.remaining) << c.general;
    const std::vector<std::string> log = sink.Texts(diag::Kind::kErrorLog);
    EXPECT_EQ(log,
              *c.error_log ? std::vector<std::string>{c.error_log} : std::vector<std::string>{})
        << c.general;
  }
}

}  // namespace
