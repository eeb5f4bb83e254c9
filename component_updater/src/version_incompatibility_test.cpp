// Board verdicts of the group check: hardware lines, exact BSP sections and the version offered
// by another section that names the hardware.
#include "version_incompatibility.h"

#include <gtest/gtest.h>

#include "engine_testing.h"

namespace {

TEST(VersionIncompatibility, BoardVerdicts) {
  MIniData description;
  engine_testing::LoadDescription(&description,
                                  "[hw17,2.3.0]\n[hw17,2.4.0]\n[xhw9,9.0]\n[zz]\n[other]\n");
  struct Case {
    const char* response;
    const char* bsp_version;
    BspBoardVerdict verdict;
    const char* hardware;
    const char* offered;
  } cases[] = {
      {"hw17\r\nnetdrv,2.1.4,", "2.3.0", BspBoardVerdict::kDescribed, "hw17", ""},
      {"hw17\nnetdrv,2.1.4,", "2.5.0", BspBoardVerdict::kOtherVersion, "hw17", "2.3.0"},
      {"hw9\r", "1.0", BspBoardVerdict::kOtherVersion, "hw9", "9.0"},     // inside "xhw9,9.0"
      {"\nmodules", "1.0", BspBoardVerdict::kOtherVersion, "", "2.3.0"},  // "" is in every name
      {"hw5\nx", "1.0", BspBoardVerdict::kNotDescribed, "hw5", ""},
      {"hw17,2.3.0 complete", "2.3.0", BspBoardVerdict::kNoSeparator, "", ""},
      {"", "2.3.0", BspBoardVerdict::kNoSeparator, "", ""},
  };
  for (const Case& c : cases) {
    const BspBoard board = JudgeBspBoard(description, c.response, c.bsp_version);
    EXPECT_EQ(board.verdict, c.verdict) << c.response;
    EXPECT_EQ(board.hardware, c.hardware) << c.response;
    EXPECT_EQ(board.offered, c.offered) << c.response;
  }
  EXPECT_EQ(BspVersionOfReported("vv2.3"), "v2.3");
  EXPECT_EQ(BspVersionOfReported("V2.3"), "V2.3");
  EXPECT_EQ(BspVersionOfReported(""), "");
}

}  // namespace
