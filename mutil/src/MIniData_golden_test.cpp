// Golden-file tests of the INI document: a file from testdata/ is read, optionally edited, saved
// into a scratch folder, and the bytes written must equal the matching ".golden" file exactly.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "MIniData_template_core.h"
#include "fileio_testing.h"

using fileio_testing::ReadBytes;
using fileio_testing::TempFolder;
using fileio_testing::WriteBytes;

namespace {

std::string TestData(const std::string& name) {
  return std::string(CU_SOURCE_DIR) + "/mutil/src/testdata/" + name;
}

// Copies `<name>.ini` into a scratch folder, opens it with `options`, applies `edit`, saves, and
// returns what was written. The source file is never written to.
std::string SaveCopy(const std::string& name, uint32_t options,
                     const std::function<void(MIniData*)>& edit) {
  TempFolder folder;
  const std::string input = ReadBytes(TestData(name + ".ini"));
  EXPECT_FALSE(input.empty()) << name;
  const std::string path = folder.File(name + ".ini");
  WriteBytes(path, input);
  MIniData doc;
  doc.SetOptions(options);
  EXPECT_TRUE(doc.Open(path.c_str())) << doc.GetLastError();
  EXPECT_TRUE(doc.IsClean());
  edit(&doc);
  EXPECT_TRUE(doc.Save());
  return ReadBytes(path);
}

std::string Golden(const std::string& name) {
  const std::string golden = ReadBytes(TestData(name + ".golden"));
  EXPECT_FALSE(golden.empty()) << name;
  return golden;
}

}  // namespace

TEST(IniGolden, UnchangedDocumentsSaveBackUnderTheFormatRules) {
  auto unchanged = [](MIniData*) {};
  // Mark, empty lines and mixed line ends go; sections come out sorted; all else is kept.
  EXPECT_EQ(Golden("roundtrip_update"), SaveCopy("roundtrip_update", 0, unchanged));
  // A file already in saved form is written back byte for byte.
  const std::string canonical = SaveCopy("canonical_settings", 0, unchanged);
  EXPECT_EQ(Golden("canonical_settings"), canonical);
  EXPECT_EQ(ReadBytes(TestData("canonical_settings.ini")), canonical);
}

TEST(IniGolden, EditedDocumentsMatchTheirExpectedFiles) {
  auto edit = [](MIniData* doc) {
    ASSERT_TRUE(doc->SetLongEntry("connection", "port", 4171));
    ASSERT_TRUE(doc->SetLongEntry("connection", "retries", 3));
    ASSERT_TRUE(doc->SetDoubleEntry("busy_thread", "duration", 0.1));
    ASSERT_TRUE(doc->GetSection("busy_thread")->DeleteEntry("old_entry"));
    ASSERT_TRUE(doc->SetLongEntry("common", "mtrace_level", -4));
    ASSERT_TRUE(doc->DeleteSection("obsolete"));
    EXPECT_FALSE(doc->IsClean());
  };
  EXPECT_EQ(Golden("edit_settings"), SaveCopy("edit_settings", 0, edit));
}

TEST(IniGolden, ReplacingOptionsKeepOnlyTheLastSectionAndEntry) {
  auto unchanged = [](MIniData*) {};
  EXPECT_EQ(Golden("replace_options"),
            SaveCopy("replace_options", kMIniReplaceSections | kMIniReplaceEntries, unchanged));
  // Without the options the same file is refused at its first repeat.
  MIniData strict;
  EXPECT_FALSE(strict.Open(TestData("replace_options.ini").c_str()));
  EXPECT_EQ("Entry \"x\" seen twice in section [a]", strict.GetLastError());
}
