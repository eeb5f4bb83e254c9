// Station files: value trimming and escapes, every section, fault switches, and the error texts
// an operator sees for a broken file.
#include "station_file.h"

#include <gtest/gtest.h>

#include "test_files.h"

namespace sim {
namespace {

std::string Unescape(const std::string& raw) {
  std::string value = "unchanged";
  std::string error;
  EXPECT_TRUE(UnescapeStationValue(raw, &value, &error)) << raw << ": " << error;
  return value;
}

std::string UnescapeError(const std::string& raw) {
  std::string value;
  std::string error;
  EXPECT_FALSE(UnescapeStationValue(raw, &value, &error)) << raw;
  return error;
}

TEST(StationValue, TrimsBlanksAndReplacesEscapes) {
  EXPECT_EQ("V 2.3.1", Unescape("  V 2.3.1 \t"));
  EXPECT_EQ("", Unescape("   "));
  EXPECT_EQ("line1\nline2\r\n\tx\\y", Unescape(" line1\\nline2\\r\\n\\tx\\\\y "));
  // An escaped blank at an end survives the trim because the trim sees the escape, not a blank.
  EXPECT_EQ("\t", Unescape("\\t"));
  EXPECT_EQ("a;b # not a comment", Unescape("a;b # not a comment"));
  EXPECT_EQ("unknown escape \"\\x\"", UnescapeError("a\\xb"));
  EXPECT_EQ("backslash at the end of the value", UnescapeError("abc\\"));
}

RawSections FullStation() {
  return {{"machine", {{"name", " DriveUnit.PH 150 "}}},
          {"components", {{"ipo", "V 1.2"}, {"plc", "V 3.0"}}},
          {"options", {{"machine.count", "1"}}},
          {"values", {{"bsp.response", "hw=A\\nbsp=2.1"}}},
          {"channels", {{"compensation", "on"}, {"X", ""}}},
          {"after_send", {{"ipo", "V 1.3"}}},
          {"faults",
           {{"refuse", "1"},
            {"send_error", " ipo , plc,,"},
            {"receive_error", "a"},
            {"set_error", "X,Y"},
            {"drop_during_send", "big"},
            {"send_seconds", "2.5"}}}};
}

TEST(StationBuild, TrimsNamesAndListsAndNeedsOnlyTheMachine) {
  Station s;
  std::string error;
  ASSERT_TRUE(BuildStation(FullStation(), &s, &error)) << error;
  // Where each section and switch lands is checked end to end through the simulator; here the
  // trimming of the name and the lists with blanks and empty items.
  EXPECT_EQ("DriveUnit.PH 150", s.machine_name);
  EXPECT_EQ((std::set<std::string>{"ipo", "plc"}), s.faults.send_error);
  EXPECT_EQ((std::set<std::string>{"X", "Y"}), s.faults.set_error);

  // Only [machine] is required; refuse=0 is the default spelled out.
  ASSERT_TRUE(
      BuildStation({{"machine", {{"name", "M"}}}, {"faults", {{"refuse", "0"}}}}, &s, &error))
      << error;
  EXPECT_FALSE(s.faults.refuse);
  EXPECT_TRUE(s.components.empty());
  EXPECT_EQ(0.0, s.faults.send_seconds);
}

std::string BuildError(RawSections sections) {
  Station s;
  std::string error;
  EXPECT_FALSE(BuildStation(sections, &s, &error));
  return error;
}

TEST(StationBuild, RejectsWhatWouldSilentlyChangeARehearsal) {
  const struct {
    const char *section, *key, *value, *error;
  } cases[] = {
      {"faults", "refuse", "yes", "[faults] refuse must be 0 or 1, not \"yes\""},
      {"faults", "send_eror", "x", "unknown entry \"send_eror\" in [faults]"},
      {"machine", "model", "x", "unknown entry \"model\" in [machine]"},
      {"machine", "name", "  ", "[machine] needs a name"},
      {"component", "ipo", "1", "unknown section [component]"},
      {"values", "bsp", "a\\qb", "[values] bsp: unknown escape \"\\q\""},
  };
  for (const auto& c : cases) {
    RawSections s = FullStation();
    s[c.section][c.key] = c.value;
    EXPECT_EQ(c.error, BuildError(s)) << c.key;
  }
  for (const char* bad : {"", "-1", "abc", "1.5s", "3601"}) {
    RawSections s = FullStation();
    s["faults"]["send_seconds"] = bad;
    EXPECT_EQ(std::string("[faults] send_seconds must be a number of seconds from 0 to 3600, "
                          "not \"") +
                  bad + "\"",
              BuildError(s));
  }
  RawSections s = FullStation();
  s.erase("machine");
  EXPECT_EQ("[machine] needs a name", BuildError(s));
}

TEST(StationFile, ReadsAnIniDocument) {
  const std::string path = test_files::Write(
      "station_good.ini",
      "; rehearsal controller\r\n[machine]\r\nname = DriveUnit.PH 150\r\n\r\n"
      "[components]\r\nipo = V 1.2 \r\n[values]\r\nbsp = a=1\\nb=2\r\n[faults]\r\n"
      "send_error = ipo\r\n");
  Station s;
  std::string error;
  ASSERT_TRUE(ReadStationFile(path, &s, &error)) << error;
  EXPECT_EQ("DriveUnit.PH 150", s.machine_name);
  EXPECT_EQ("V 1.2", s.components.at("ipo"));
  EXPECT_EQ("a=1\nb=2", s.values.at("bsp"));
  EXPECT_EQ(1u, s.faults.send_error.count("ipo"));
}

TEST(StationFile, BundledExampleStationIsValid) {
  Station s;
  std::string error;
  ASSERT_TRUE(ReadStationFile(std::string(CU_SOURCE_DIR) + "/examples/station.ini", &s, &error))
      << error;
  EXPECT_EQ("DriveUnit.PH 150", s.machine_name);
  EXPECT_EQ("imx6-table-rev3\nnetdrv,2.1.3,\nmotionctl,4.0.1,\nfpga,1.7,",
            s.values.at("table.bsp"));
  EXPECT_EQ("1", s.options.at("1: 'table': on"));
  EXPECT_EQ(1u, s.channels.count("compensation"));
  EXPECT_FALSE(s.faults.refuse);
}

TEST(StationFile, ErrorsNameTheFile) {
  Station s;
  std::string error;
  const std::string missing = test_files::FreshPath("station_missing.ini");
  EXPECT_FALSE(ReadStationFile(missing, &s, &error));
  EXPECT_EQ("station file '" + missing + "': cannot be read", error);

  const std::string no_equals = test_files::Write("station_noeq.ini", "[machine]\nname\n");
  EXPECT_FALSE(ReadStationFile(no_equals, &s, &error));
  EXPECT_EQ("station file '" + no_equals + "': No '=' found in \"name\" in section [machine]",
            error);
  // A station that reads but does not build is named the same way: checked end to end through
  // the simulator program.
}

}  // namespace
}  // namespace sim
