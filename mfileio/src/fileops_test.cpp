// Tests of the path helpers: the pure string rules on both separators, and the file-system
// queries on real files and folders.
#include "fileops.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "fileio_testing.h"

using fileio_testing::ReadBytes;
using fileio_testing::TempFolder;
using fileio_testing::WriteBytes;

namespace {

std::string Shown(const char* result) {
  return result ? result : "(null)";
}

}  // namespace

TEST(FileOps, PathPartsTakeBothSeparators) {
  const struct {
    const char *path, *dirname, *basename, *topdir;
    bool absolute;
  } cases[] = {
      {"D:/data/x.ini", "D:/data\\", "x.ini", "D:", true},
      {"a\\b/c", "a\\b\\", "c", "a", false},
      {"/x", "\\", "x", "/", true},
      {"\\a\\b", "\\a\\", "b", "\\", true},
      {"dir/", "dir\\", "", "dir", false},
      {"x.ini", "(null)", "x.ini", "(null)", false},
      {"", "(null)", "(null)", "(null)", false},
      {"c:x", "(null)", "c:x", "(null)", true},
      {"x:", "(null)", "x:", "(null)", true},
      {"1:", "(null)", "1:", "(null)", false},
      {":x", "(null)", ":x", "(null)", false},
      {"@:", "(null)", "@:", "(null)", false},
  };
  for (const auto& c : cases) {
    char out[64], copy[64];
    strcpy(copy, c.path);
    EXPECT_EQ(c.dirname, Shown(file_dirname(c.path, out))) << c.path;
    EXPECT_EQ(c.basename, Shown(file_basename(c.path))) << c.path;
    EXPECT_EQ(c.topdir, Shown(file_topdir(copy, out))) << c.path;
    EXPECT_STREQ(c.path, copy) << "with an output buffer the path stays as it was";
    EXPECT_EQ(c.absolute, file_is_absolute(c.path)) << c.path;
  }
  // The base name points into the path; without an output buffer the path itself is cut.
  const char* path = "D:\\data/x.ini";
  EXPECT_EQ(path + 8, file_basename(path));
  char in_place[] = "top/rest";
  EXPECT_EQ(in_place, file_topdir(in_place, nullptr));
  EXPECT_STREQ("top", in_place);
}

TEST(FileOps, TypeSizeExistenceAndRenameOfFilesAndFolders) {
  TempFolder folder;
  const std::string file = folder.File("data.bin"), missing = folder.File("missing");
  WriteBytes(file, "12345");
  const struct {
    std::string path;
    int type;
    int64_t size;
    int exists;  // -1: not asked
  } cases[] = {
      {folder.path(), kFileTypeDirectory, 0, true},
      {file, kFileTypeFile, 5, true},
      {fileio_testing::WithSeparator(file, '\\'), kFileTypeFile, 5, true},
      {missing, kFileTypeNone, -1, false},
      // A find-first over a path with a trailing separator finds nothing, folder or not.
      {folder.path() + "/", kFileTypeNone, -1, -1},
      {folder.path() + "\\", kFileTypeNone, -1, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.type, file_type(c.path.c_str())) << c.path;
    EXPECT_EQ(c.size, file_size(c.path.c_str())) << c.path;
    if (c.exists >= 0) {
      EXPECT_EQ(c.exists != 0, file_exists(c.path.c_str())) << c.path;
    }
  }

  const std::string to = folder.File("to.txt");
  WriteBytes(to, "old");
  EXPECT_TRUE(file_rename(file.c_str(), to.c_str()));
  EXPECT_EQ("12345", ReadBytes(to));
  EXPECT_FALSE(file_exists(file.c_str()));
  fileio_testing::ErrorContext context;
  EXPECT_FALSE(file_rename(file.c_str(), to.c_str()));
  // A missing source is error 2 on both platforms.
  context.ExpectAndClear({"file_rename(): MoveFileEx(" + file + "," + to + ") failed: 2"});
  EXPECT_EQ("12345", ReadBytes(to));
}

TEST(FileOps, FullpathResolvesAgainstTheCurrentDirectory) {
  TempFolder folder;
  WriteBytes(folder.File("u.bin"), "u");
  std::filesystem::create_directory(folder.File("sub"));
  fileio_testing::CurrentDirectory cwd(folder.path());

  char out[260];
  ASSERT_EQ(out, file_fullpath("sub/../u.bin", out));
  EXPECT_TRUE(file_is_absolute(out)) << out;
  EXPECT_EQ("u", ReadBytes(out));
  const std::string file = out;
  EXPECT_EQ("u.bin", file.substr(file.size() - 5));
  ASSERT_EQ(out, file_fullpath("sub\\", out));
  EXPECT_EQ(file.substr(0, file.size() - 5) + "sub", out) << "the trailing separator goes";
  char* allocated = file_fullpath("u.bin", nullptr);
  ASSERT_NE(nullptr, allocated);
  EXPECT_EQ(file, allocated);
  free(allocated);
  EXPECT_EQ(nullptr, file_fullpath("/", out)) << "the root is no match for a find-first";
  EXPECT_EQ(nullptr, file_fullpath("missing.bin", out));
  EXPECT_EQ(nullptr, file_fullpath("missing.bin", nullptr));
}
