// The platform update's small rules on the edges their texts name.
#include "platform_rules.h"

#include <gtest/gtest.h>

#include "engine_testing.h"

namespace {

TEST(PlatformRules, DerivedNames) {
  EXPECT_EQ(BspComponentName("table.sat1.firmware.config"), "table.sat1.bsp");
  EXPECT_EQ(BspComponentName("firmware.config.firmware.config"), "bsp.firmware.config");
  EXPECT_EQ(CompensationChannelOf("firmware.config"), "compensation");
  EXPECT_EQ(CompensationChannelOf("table.sat1.firmware.config"), "compensationware.config");
  EXPECT_EQ(CompensationChannelOf("short"), "compensation");
  EXPECT_EQ(FileVersionOfUpdateFile("/u/fw_2.1_x.s19"), "2.1");
  EXPECT_EQ(FileVersionOfUpdateFile("C:\\my_dir\\fw.s19"), "C:\\my");
  EXPECT_EQ(FileVersionOfUpdateFile("_a.s19"), "");
  EXPECT_EQ(FileVersionOfUpdateFile("fw.s19"), "fw.s19");
}

TEST(PlatformRules, StrictModeAndBaseFirmwareGate) {
  EXPECT_TRUE(IsStrictErrorHandling(" error ; stop at the first failure"));
  EXPECT_FALSE(IsStrictErrorHandling("Error"));
  EXPECT_FALSE(IsStrictErrorHandling(""));
  EXPECT_FALSE(IsStrictErrorHandling("errors"));
  const std::string coldfire = "X,quorvex,coldfire,s19", armhf = "Y,quorvex,armhf,deb.gpg";
  EXPECT_EQ(JudgeBaseFirmware("firmware.config", "Z,other"),
            BaseFirmwareGate::kUnsupportedIdentifier);
  EXPECT_EQ(JudgeBaseFirmware("firmware.config", coldfire), BaseFirmwareGate::kSupportedIdentifier);
  EXPECT_EQ(JudgeBaseFirmware("firmware.config", coldfire + armhf),
            BaseFirmwareGate::kCheckBasePackage);
  EXPECT_EQ(JudgeBaseFirmware("a.firmware.config", "Z,other"), BaseFirmwareGate::kNotBaseFirmware);
}

TEST(PlatformRules, SendDurationTakesTheValueReadLast) {
  struct Case {
    const char* description;
    double seconds;
    DurationSource source;
  } cases[] = {
      {"[I]\nduration=45\n[general]\nduration=20", 45.0, DurationSource::kIdentifierSection},
      {"[I]\nfile=x\n[general]\nduration=20", 20.0, DurationSource::kGeneralSection},
      {"[I]\nfile=x", 60.0, DurationSource::kNeither},
      {"[I]\nduration=soon", 0.0, DurationSource::kNeither},
      {"[I]\n[general]\nduration=later", 0.0, DurationSource::kNeither},
  };
  for (const Case& c : cases) {
    MIniData description;
    engine_testing::LoadDescription(&description, c.description);
    const SendDuration duration = ChooseSendDuration(description, "I");
    EXPECT_EQ(duration.seconds, c.seconds) << c.description;
    EXPECT_EQ(duration.source, c.source) << c.description;
  }
}

TEST(PlatformRules, SectionNamesHoldingNulNameNoSection) {
  MIniData description;
  engine_testing::LoadDescription(&description, "[hw,1]\n[I]");
  EXPECT_TRUE(HasSectionNamed(description, BspSectionName("hw", "1")));
  EXPECT_FALSE(HasSectionNamed(description, std::string("I\0x", 3)));
  EXPECT_FALSE(HasSectionNamed(description, BspSectionName(std::string("hw,1\0", 5), "2")));
}

}  // namespace
