// Update file resolution: relative and absolute names, folders, NUL bytes and empty files, with
// the summary each failure leaves in the error log. Expansion of %NAME% and the boxes are
// proven end to end (scenarios).
#include "update_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "diag_testing.h"
#include "fileio_testing.h"
#include "run_settings.h"

namespace {

TEST(UpdateFile, ResolvesAndReadsOrTellsWhy) {
  TheRunSettings().silent = true;  // boxes would wait for a click on Windows
  fileio_testing::TempFolder folder;
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  const std::string content("S0\r\n\0\xff", 6);
  fileio_testing::WriteBytes(folder.File("fw_1.2_x.s19"), content);
  fileio_testing::WriteBytes(folder.File("empty.s19"), "");
  std::filesystem::create_directory(folder.File("dir.s19"));
  const std::string absent = std::filesystem::current_path().string() + "/missing.s19";
  struct Case {
    std::string name;
    const char* data;  // null: the read fails
    std::string summary_start;
  } cases[] = {
      {"fw_1.2_x.s19", content.c_str(), ""},
      {"empty.s19", "", ""},
      {"missing.s19", nullptr,
       "CheckUpdateFileAndReadItOut(): cant find update file:missing.s19 in filesystem."},
      {absent, nullptr, "CheckUpdateFileAndReadItOut(): file " + absent + " does not exist"},
      {"dir.s19", nullptr, "CheckUpdateFileAndReadItOut(): MFastFile_ReadAtOnce("},
      {std::string("fw_1.2_x.s19\0.bak", 17), nullptr,
       "CheckUpdateFileAndReadItOut(): cant find update file:fw_1.2_x.s19 in filesystem."},
  };
  for (Case& c : cases) {
    diag::CapturingSink sink;
    std::string name = c.name, data = "old";
    EXPECT_EQ(CheckUpdateFileAndReadItOut(name, data), c.data != nullptr) << c.name;
    const std::vector<std::string> summaries = sink.Texts(diag::Kind::kDumpSummary);
    if (c.data != nullptr) {
      EXPECT_EQ(data, std::string(c.data, c.name == "empty.s19" ? 0 : content.size()));
      EXPECT_TRUE(std::filesystem::path(name).is_absolute()) << name;
      EXPECT_TRUE(summaries.empty());
    } else {
      ASSERT_EQ(summaries.size(), 1u) << c.name;
      EXPECT_EQ(summaries[0].rfind(c.summary_start, 0), 0u) << summaries[0];
    }
  }
  std::filesystem::current_path(previous);
}

}  // namespace
