// Station files: value trimming and escapes, the trimming of names and lists, and the error texts
// an operator sees for a broken file. Where each section and switch lands is checked end to end
// through the simulator (the bundled example included), and so is a file that cannot be read.
#include "station_file.h"

#include <gtest/gtest.h>

namespace sim {
namespace {

TEST(StationValue, TrimsBlanksAndReplacesEscapesOrNamesTheBadOne) {
  const struct {
    const char *raw, *value, *error;
  } cases[] = {
      {"  V 2.3.1 \t", "V 2.3.1", ""},
      {"   ", "", ""},
      {" line1\\nline2\\r\\n\\tx\\\\y ", "line1\nline2\r\n\tx\\y", ""},
      {"\\t", "\t", ""},  // an escaped blank at an end survives the trim
      {"a;b # not a comment", "a;b # not a comment", ""},
      {"a\\xb", "", "unknown escape \"\\x\""},
      {"abc\\", "", "backslash at the end of the value"},
  };
  for (const auto& c : cases) {
    std::string value, error;
    EXPECT_EQ(UnescapeStationValue(c.raw, &value, &error), *c.error == '\0') << c.raw;
    EXPECT_EQ(value, c.value);
    EXPECT_EQ(error, c.error);
  }
}

RawSections FullStation() {
  return {{"machine", {{"name", " DriveUnit.PH 150 "}}},
          {"values", {{"bsp.response", "hw=A\\nbsp=2.1"}}},
          {"faults", {{"refuse", "0"}, {"send_error", " ipo , plc,,"}, {"send_seconds", "2.5"}}}};
}

TEST(StationBuild, TrimsTheNameAndLists) {
  Station s;
  std::string error;
  ASSERT_TRUE(BuildStation(FullStation(), &s, &error)) << error;
  EXPECT_EQ("DriveUnit.PH 150", s.machine_name);
  EXPECT_EQ((std::set<std::string>{"ipo", "plc"}), s.faults.send_error);
  EXPECT_EQ(2.5, s.faults.send_seconds);
}

TEST(StationBuild, RejectsWhatWouldSilentlyChangeARehearsal) {
  const char* const kSeconds = "[faults] send_seconds must be a number of seconds from 0 to 3600";
  const struct {
    std::string section, key, value, error;
  } cases[] = {
      {"faults", "refuse", "yes", "[faults] refuse must be 0 or 1, not \"yes\""},
      {"faults", "send_eror", "x", "unknown entry \"send_eror\" in [faults]"},
      {"machine", "model", "x", "unknown entry \"model\" in [machine]"},
      {"machine", "name", "  ", "[machine] needs a name"},
      {"component", "ipo", "1", "unknown section [component]"},
      {"values", "bsp", "a\\qb", "[values] bsp: unknown escape \"\\q\""},
      {"faults", "send_seconds", "", std::string(kSeconds) + ", not \"\""},
      {"faults", "send_seconds", "-1", std::string(kSeconds) + ", not \"-1\""},
      {"faults", "send_seconds", "1.5s", std::string(kSeconds) + ", not \"1.5s\""},
      {"faults", "send_seconds", "3601", std::string(kSeconds) + ", not \"3601\""},
  };
  for (const auto& c : cases) {
    RawSections sections = FullStation();
    sections[c.section][c.key] = c.value;
    Station s;
    std::string error;
    EXPECT_FALSE(BuildStation(sections, &s, &error)) << c.key;
    EXPECT_EQ(c.error, error);
  }
  Station s;
  std::string error;
  EXPECT_FALSE(BuildStation({{"values", {}}}, &s, &error));
  EXPECT_EQ("[machine] needs a name", error);
}

}  // namespace
}  // namespace sim
