// Update file resolution: environment references, relative and absolute names, folders and
// empty files, with the box texts and captions the operator sees.
#include "update_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "diag_testing.h"
#include "fileio_testing.h"
#include "run_settings.h"

namespace {

// `pattern` with at most one '*' standing for any text.
bool Matches(const std::string& text, const std::string& pattern) {
  const size_t star = pattern.find('*');
  if (star == std::string::npos)
    return text == pattern;
  const size_t tail = pattern.size() - star - 1;
  return text.size() >= star + tail && text.compare(0, star, pattern, 0, star) == 0 &&
         text.compare(text.size() - tail, tail, pattern, star + 1, tail) == 0;
}

void SetEnv(const char* name, const char* value) {
#ifdef _WIN32
  _putenv_s(name, value);
#else
  setenv(name, value, 1);
#endif
}

class UpdateFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TheRunSettings().silent = true;  // boxes would wait for a click on Windows
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    fileio_testing::WriteBytes(folder_.File("fw_1.2_x.s19"), std::string("S0\r\n\0\xff", 6));
    fileio_testing::WriteBytes(folder_.File("empty.s19"), "");
    std::filesystem::create_directory(folder_.File("dir.s19"));
  }
  void TearDown() override { std::filesystem::current_path(previous_); }

  fileio_testing::TempFolder folder_;
  std::filesystem::path previous_;
};

TEST_F(UpdateFileTest, ResolvesAndReadsOrTellsWhy) {
  const std::string base = std::filesystem::current_path().string();
  SetEnv("CU_UPDATE_FILES", base.c_str());
  struct Case {
    std::string name;
    bool read;
    std::string data;
    std::string summary;  // the dumped summary; "" when read
  } cases[] = {
      {"fw_1.2_x.s19", true, std::string("S0\r\n\0\xff", 6), ""},
      {"empty.s19", true, "", ""},
      {"%CU_UPDATE_FILES%/empty.s19", true, "", ""},
      {"missing.s19", false, "",
       "CheckUpdateFileAndReadItOut(): cant find update file:missing.s19 in filesystem."},
      {base + "/missing.s19", false, "",
       "CheckUpdateFileAndReadItOut(): file " + base + "/missing.s19 does not exist"},
      {"dir.s19", false, "", "CheckUpdateFileAndReadItOut(): MFastFile_ReadAtOnce(*) failed"},
      {std::string("fw_1.2_x.s19\0.bak", 17), false, "", "*in filesystem."},
  };
  for (Case& c : cases) {
    diag::CapturingSink sink;
    std::string name = c.name, data = "old";
    EXPECT_EQ(CheckUpdateFileAndReadItOut(name, data), c.read) << c.name;
    if (c.read) {
      EXPECT_EQ(data, c.data);
      EXPECT_EQ(name.find('%'), std::string::npos) << name;
      EXPECT_TRUE(std::filesystem::path(name).is_absolute()) << name;
      continue;
    }
    const std::vector<std::string> summaries = sink.Texts(diag::Kind::kDumpSummary);
    ASSERT_EQ(summaries.size(), 1u) << c.name;
    EXPECT_TRUE(Matches(summaries[0], c.summary)) << summaries[0];
  }
}

}  // namespace
