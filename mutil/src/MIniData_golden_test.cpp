// Golden-file tests of the INI document: a file from testdata/ is read, optionally edited, saved
// into a scratch folder, and the bytes written must equal the matching ".golden" file exactly.
// These are the only checks of the saved bytes.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "MIniData_template_core.h"
#include "fileio_testing.h"

using fileio_testing::ReadBytes;

namespace {

std::string TestData(const std::string& name) {
  return fileio_testing::SourceFile("mutil/src/testdata/" + name);
}

// Copies `<name>.ini` into a scratch folder, opens it with `options`, applies `edit`, saves, and
// returns what was written next to the golden bytes.
void ExpectGolden(const std::string& name, uint32_t options,
                  const std::function<void(MIniData*)>& edit) {
  fileio_testing::TempFolder folder;
  const std::string path = folder.File(name + ".ini");
  fileio_testing::WriteBytes(path, ReadBytes(TestData(name + ".ini")));
  MIniData doc;
  doc.SetOptions(options);
  ASSERT_TRUE(doc.Open(path.c_str())) << doc.GetLastError();
  EXPECT_TRUE(doc.IsClean());
  edit(&doc);
  ASSERT_TRUE(doc.Save());
  const std::string golden = ReadBytes(TestData(name + ".golden"));
  ASSERT_FALSE(golden.empty()) << name;
  EXPECT_EQ(golden, ReadBytes(path)) << name;
}

const auto kUnchanged = [](MIniData*) {};

}  // namespace

TEST(IniGolden, UnchangedDocumentsSaveBackUnderTheFormatRules) {
  // Mark and empty lines go, line ends become CR LF, sections come out sorted; all else stays,
  // NUL bytes inside a line included.
  ExpectGolden("roundtrip_update", 0, kUnchanged);
  // A file already in saved form is written back byte for byte.
  EXPECT_EQ(ReadBytes(TestData("canonical_settings.ini")),
            ReadBytes(TestData("canonical_settings.golden")));
  ExpectGolden("canonical_settings", 0, kUnchanged);
}

TEST(IniGolden, EditedDocumentsMatchTheirExpectedFiles) {
  ExpectGolden("edit_settings", 0, [](MIniData* doc) {
    ASSERT_TRUE(doc->SetLongEntry("connection", "port", 4171));
    ASSERT_TRUE(doc->SetLongEntry("connection", "retries", 3));
    ASSERT_TRUE(doc->SetDoubleEntry("busy_thread", "duration", 0.1));
    ASSERT_TRUE(doc->GetSection("busy_thread")->DeleteEntry("old_entry"));
    ASSERT_TRUE(doc->SetLongEntry("common", "mtrace_level", -4));
    ASSERT_TRUE(doc->DeleteSection("obsolete"));
    EXPECT_FALSE(doc->IsClean());
  });
}

TEST(IniGolden, ReplacingOptionsKeepOnlyTheLastSectionAndEntry) {
  ExpectGolden("replace_options", kMIniReplaceSections | kMIniReplaceEntries, kUnchanged);
  // Without the options the same file is refused at its first repeat.
  MIniData strict;
  EXPECT_FALSE(strict.Open(TestData("replace_options.ini").c_str()));
  EXPECT_EQ("Entry \"x\" seen twice in section [a]", strict.GetLastError());
}
