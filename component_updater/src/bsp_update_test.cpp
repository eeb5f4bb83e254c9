// BSP module verdicts: entries taken apart, installed versions found in responses, the send
// target by firmware version, and the module list with its duration fallbacks.
#include "bsp_update.h"

#include <gtest/gtest.h>

#include "engine_testing.h"

namespace {

TEST(BspUpdate, ModuleEntriesGiveNameAndVersion) {
  struct Case {
    const char* entry;
    const char* module;
    const char* version;
  } cases[] = {
      {"bsp/netdrv_2.1.4_armhf.deb", "netdrv", "2.1.4"},
      {"netdrv_2.1.4_armhf.deb", "netdrv", "2.1.4"},
      {"C:\\bsp\\fpga_1.7", "fpga", "1.7"},                               // one "_": all behind it
      {"fpga.bin", "fpga.bin", "fpga.bin"},                               // none: the whole entry
      {"my_bsp/netdrv.deb", "netdrv.deb", "bsp/netdrv.deb"},              // "_" only in the folder
      {"my_bsp/netdrv_2.1_x.deb", "netdrv_2.1_x.deb", "bsp/netdrv_2.1"},  // "_" in the folder
  };
  for (const Case& c : cases) {
    const BspModuleRecord record = ParseBspModuleEntry(c.entry);
    EXPECT_EQ(record.module, c.module) << c.entry;
    EXPECT_EQ(record.version, c.version) << c.entry;
    EXPECT_EQ(record.file, c.entry);
  }
}

TEST(BspUpdate, InstalledVersionIsFoundAtTheFirstOccurrence) {
  const std::string response = "imx6-netdrv-rev3\r\nnetdrv,2.1.3,\nmotionctl,4.0.1\nfpga";
  struct Case {
    const char* module;
    InstalledModuleVerdict verdict;
    const char* installed;
  } cases[] = {
      {"motionctl", InstalledModuleVerdict::kFound, "4.0.1\nfpga"},  // to the end of the text
      {"netdrv", InstalledModuleVerdict::kFound, "2.1.3"},  // the hardware line's comma is next
      {"scanner", InstalledModuleVerdict::kNew, ""},
      {"fpga", InstalledModuleVerdict::kNoSeparator, ""},
  };
  for (const Case& c : cases) {
    std::string installed = "stale";
    EXPECT_EQ(FindInstalledModuleVersion(response, c.module, &installed), c.verdict) << c.module;
    EXPECT_EQ(installed, c.installed) << c.module;
  }
}

TEST(BspUpdate, TargetFollowsTheFirmwareVersion) {
  const ComponentMap components = {{"a", "11.0.15"}, {"b", "11.1.0"},   {"c", "11.0.14"},
                                   {"d", "10.9.99"}, {"e", "12.0.0.1"}, {"f", "v12.1"}};
  EXPECT_EQ(JudgeBspTarget("a", components), BspTargetVerdict::kBspComponent);
  EXPECT_EQ(JudgeBspTarget("b", components), BspTargetVerdict::kBspComponent);
  EXPECT_EQ(JudgeBspTarget("c", components), BspTargetVerdict::kFirmwareTooOld);
  EXPECT_EQ(JudgeBspTarget("d", components), BspTargetVerdict::kFirmwareTooOld);
  EXPECT_EQ(JudgeBspTarget("e", components), BspTargetVerdict::kBspComponent);
  EXPECT_EQ(JudgeBspTarget("f", components), BspTargetVerdict::kFirmwareTooOld);  // "v12" is 0
  EXPECT_EQ(JudgeBspTarget("g", components), BspTargetVerdict::kFirmwareNotInMap);
}

TEST(BspUpdate, ModuleListAndDurationFallbacks) {
  MIniData description;
  engine_testing::LoadDescription(&description,
                                  "[general]\nduration=33\n"
                                  "[hw,1]\nfile=a_1_x.deb, b_2_y.deb\nduration=7\n"
                                  "[hw,2]\nfile=a_1_x.deb\n"
                                  "[hw,3]\nfile=\n"
                                  "[hw,4]\nduration=5\n");
  MIniData no_general;
  engine_testing::LoadDescription(&no_general, "[hw,2]\nfile=a_1_x.deb\n");
  struct Case {
    MIniData* description;
    const char* section;
    bool result;
    std::vector<std::string> files;
    double duration;
  } cases[] = {
      {&description, "hw,1", true, {"a_1_x.deb", " b_2_y.deb"}, 7.0},  // entries stay untrimmed
      {&description, "hw,2", true, {"a_1_x.deb"}, 33.0},
      {&description, "hw,3", true, {}, -1.0},  // empty: the duration is not read
      {&description, "hw,4", false, {}, -1.0},
      {&no_general, "hw,2", false, {"a_1_x.deb"}, -1.0},
  };
  for (const Case& c : cases) {
    std::vector<std::string> files;
    double duration = -1.0;
    EXPECT_EQ(GetBspFilesForUpdate(c.section, *c.description, files, duration), c.result)
        << c.section;
    EXPECT_EQ(files, c.files) << c.section;
    EXPECT_EQ(duration, c.duration) << c.section;
  }
}

}  // namespace
