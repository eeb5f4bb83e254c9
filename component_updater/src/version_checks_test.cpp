// Forced update, installed version and base-package verdicts on the edge cases of their rules,
// and the base version kept in the run settings between calls.
#include "version_checks.h"

#include <gtest/gtest.h>

#include "engine_testing.h"
#include "run_settings.h"

namespace {

TEST(VersionChecks, ForceUpdateListIsCleanedAndExact) {
  const std::string value = " comp.a , comp.b ;comp.c";
  EXPECT_TRUE(IsListedForForceUpdate(value, "comp.a"));
  EXPECT_TRUE(IsListedForForceUpdate(value, "comp.b"));
  EXPECT_FALSE(IsListedForForceUpdate(value, "comp.c"));  // behind the comment
  EXPECT_FALSE(IsListedForForceUpdate(value, "Comp.a"));
  EXPECT_FALSE(IsListedForForceUpdate(",,", ""));
}

TEST(VersionChecks, InstalledVersionIsTheTextBeforeTheNextUnderscore) {
  struct Case {
    const char* base_name;
    const char* installed;
    InstalledVersionVerdict verdict;
  } cases[] = {
      {"fw_2.1_x.s19", "2.1", InstalledVersionVerdict::kInstalled},
      {"fw_2.10_x.s19", "2.1", InstalledVersionVerdict::kDiffers},
      {"fw_12.1_x.s19", "2.1", InstalledVersionVerdict::kInstalled},  // inside 12.1
      {"fw_2.2_x.s19", "2.1", InstalledVersionVerdict::kNotInFileName},
      {"fw-2.1.s19", "2.1", InstalledVersionVerdict::kNoUnderscoreAfter},
      {"fw_2.1_x.s19", "", InstalledVersionVerdict::kDiffers},  // an empty version never fits
  };
  for (const Case& c : cases)
    EXPECT_EQ(JudgeInstalledVersion(c.base_name, c.installed), c.verdict) << c.base_name;
  // Only the base name counts: a directory holding the version does not.
  EXPECT_FALSE(CompareVersionOfUpdateFile("/fw_2.1_/fw.s19", FirmwareComp{"c", "2.1"}));
  EXPECT_TRUE(CompareVersionOfUpdateFile("C:\\x\\fw_2.1_a.s19", FirmwareComp{"c", "2.1"}));
}

TEST(VersionChecks, BaseVersionsFromFileNamesAndTheirVerdicts) {
  struct Case {
    const char* file;
    const char* version;  // null: no version in the name
    BasePackageVerdict verdict;
  } cases[] = {
      {"quorvex_11.9.0_armhf.deb.gpg", "11.9.0", BasePackageVerdict::kRefusedWordSize},
      {"quorvex_12.0.17_armhf.deb.gpg", "12.0.17", BasePackageVerdict::kRefusedTooOld},
      {"pkg\\quorvex_12.0.18_armhf.deb.gpg ; base", "12.0.18", BasePackageVerdict::kAccepted},
      {"quorvex_12.50.1_armhf.deb.gpg", "12.50.1", BasePackageVerdict::kRefusedTooOld},
      {"quorvex_12.50.2_armhf.deb.gpg", "12.50.2", BasePackageVerdict::kAccepted},
      {"quorvex_12.3.0_armhf.deb.gpg", "12.3.0", BasePackageVerdict::kAccepted},
      {"quorvex_13.0.0_armhf.deb.gpg", "13.0.0", BasePackageVerdict::kAccepted},
      {"quorvex_12.0.18-5+deb11u1_armhf.deb.gpg", "12.0.18-5+", BasePackageVerdict::kAccepted},
      {"quorvex_12.0.18.1234567_armhf.deb.gpg", "12.0.18.1234567", BasePackageVerdict::kAccepted},
      {"_armhf.deb.gpg.quorvex_12.1", "12.1", BasePackageVerdict::kAccepted},  // ending first
      {"quorvex_12.0.18.deb.gpg", nullptr, BasePackageVerdict::kAccepted},
  };
  for (const Case& c : cases) {
    std::string version = "untouched";
    ASSERT_EQ(BaseVersionFromPackageFile(c.file, &version), c.version != nullptr) << c.file;
    if (c.version == nullptr)
      continue;
    EXPECT_EQ(version, c.version);
    EXPECT_EQ(JudgeBaseVersion(version), c.verdict) << c.file;
  }
}

TEST(VersionChecks, BaseVersionOfSixBytesIsTrustedShorterOnesAreReadAgain) {
  MIniData description;
  engine_testing::LoadDescription(&description,
                                  "[quorvex,armhf,deb.gpg]\nfile=quorvex_12.0.18_armhf.deb.gpg\n");
  MIniData empty;
  std::string& base_version = TheRunSettings().baseVersion;
  base_version = "12.0";  // a short "--version": the file name decides
  EXPECT_TRUE(CheckForBaseDowngradeProblems(description));
  EXPECT_EQ(base_version, "12.0.18");
  EXPECT_TRUE(CheckForBaseDowngradeProblems(empty));  // stored: the name is not read again
  base_version = "12.0.17";                           // "--version" wins over the name
  EXPECT_FALSE(CheckForBaseDowngradeProblems(description));
  base_version.clear();
  EXPECT_FALSE(CheckForBaseDowngradeProblems(empty));  // no base package section
}

}  // namespace
