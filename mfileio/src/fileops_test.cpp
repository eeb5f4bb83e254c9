// Tests of the path helpers: the pure string rules on both separators, and the file-system
// queries on real files and folders.
#include "fileops.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "fileio_testing.h"

using fileio_testing::CurrentDirectory;
using fileio_testing::ErrorContext;
using fileio_testing::ReadBytes;
using fileio_testing::TempFolder;
using fileio_testing::WriteBytes;

namespace {

// file_dirname as a string, "(null)" when it gives null.
std::string Dirname(const char* path) {
  char out[64];
  memset(out, '#', sizeof out);
  const char* result = file_dirname(path, out);
  if (result == nullptr)
    return "(null)";
  EXPECT_EQ(result, out);
  return result;
}

// file_topdir on a copy, as a string; "(null)" when it gives null.
std::string Topdir(const char* path) {
  char out[64];
  char copy[64];
  strcpy(copy, path);
  const char* result = file_topdir(copy, out);
  EXPECT_STREQ(copy, path) << "with an output buffer the path stays as it was";
  return result ? result : "(null)";
}

}  // namespace

TEST(FileOps, PathPartsTakeBothSeparators) {
  EXPECT_EQ(Dirname("D:/data/x.ini"), "D:/data\\");
  EXPECT_EQ(Dirname("a\\b/c"), "a\\b\\");
  EXPECT_EQ(Dirname("/x"), "\\");
  EXPECT_EQ(Dirname("dir/"), "dir\\");
  EXPECT_EQ(Dirname("x.ini"), "(null)");
  EXPECT_EQ(Dirname(""), "(null)");

  // The base name points into the path itself.
  const char* path = "D:\\data/x.ini";
  EXPECT_EQ(file_basename(path), path + 8);
  EXPECT_STREQ(file_basename("a\\b"), "b");
  EXPECT_STREQ(file_basename("dir/"), "");
  const char* bare = "x.ini";
  EXPECT_EQ(file_basename(bare), bare);
  EXPECT_EQ(file_basename(""), nullptr);

  // The top folder is cut at the first separator.
  EXPECT_EQ(Topdir("a\\b\\c.loc"), "a");
  EXPECT_EQ(Topdir("a/b"), "a");
  EXPECT_EQ(Topdir("\\a\\b"), "\\");
  EXPECT_EQ(Topdir("/"), "/");
  EXPECT_EQ(Topdir("name.loc"), "(null)");

  char in_place[] = "top/rest";
  EXPECT_EQ(file_topdir(in_place, nullptr), in_place);
  EXPECT_STREQ(in_place, "top");
}

TEST(FileOps, AbsolutePathsStartWithASeparatorOrADrive) {
  for (const char* path : {"c:x", "x:", "Z:\\a", "/usr", "\\share"})
    EXPECT_TRUE(file_is_absolute(path)) << path;
  for (const char* path : {"1:", "x", "", "a/b", ":x", "@:"})
    EXPECT_FALSE(file_is_absolute(path)) << path;
}

TEST(FileOps, TypeSizeAndExistenceOfFilesAndFolders) {
  TempFolder folder;
  const std::string file = folder.File("data.bin");
  const std::string missing = folder.File("missing");
  WriteBytes(file, "12345");

  EXPECT_EQ(file_type(folder.path().c_str()), kFileTypeDirectory);
  EXPECT_EQ(file_type(file.c_str()), kFileTypeFile);
  EXPECT_EQ(file_type(missing.c_str()), kFileTypeNone);
  EXPECT_EQ(file_size(file.c_str()), 5);
  EXPECT_EQ(file_size(folder.path().c_str()), 0);
  EXPECT_EQ(file_size(missing.c_str()), -1);
  EXPECT_TRUE(file_exists(file.c_str()));
  EXPECT_TRUE(file_exists(folder.path().c_str()));
  EXPECT_FALSE(file_exists(missing.c_str()));
  // A find-first over a path with a trailing separator finds nothing, folder or not.
  for (const char separator : {'/', '\\'}) {
    const std::string trailing = folder.path() + separator;
    EXPECT_EQ(file_type(trailing.c_str()), kFileTypeNone) << trailing;
    EXPECT_EQ(file_size(trailing.c_str()), -1) << trailing;
  }
  // Backslashes name the same file on every platform.
  const std::string backslashed = fileio_testing::WithSeparator(file, '\\');
  EXPECT_EQ(file_size(backslashed.c_str()), 5);
  EXPECT_TRUE(file_exists(backslashed.c_str()));
}

TEST(FileOps, RenameReplacesTheTarget) {
  TempFolder folder;
  const std::string from = folder.File("from.txt");
  const std::string to = folder.File("to.txt");
  WriteBytes(from, "new");
  WriteBytes(to, "old");
  EXPECT_TRUE(file_rename(from.c_str(), to.c_str()));
  EXPECT_EQ(ReadBytes(to), "new");
  EXPECT_FALSE(file_exists(from.c_str()));

  ErrorContext context;
  EXPECT_FALSE(file_rename(from.c_str(), to.c_str()));
  // A missing source is error 2 on both platforms.
  context.ExpectAndClear({"file_rename(): MoveFileEx(" + from + "," + to + ") failed: 2"});
  EXPECT_EQ(ReadBytes(to), "new");
}

TEST(FileOps, FullpathResolvesAgainstTheCurrentDirectory) {
  TempFolder folder;
  WriteBytes(folder.File("u.bin"), "u");
  std::filesystem::create_directory(folder.File("sub"));
  CurrentDirectory cwd(folder.path());

  char out[260];
  ASSERT_EQ(file_fullpath("sub/../u.bin", out), out);
  EXPECT_TRUE(file_is_absolute(out)) << out;
  EXPECT_STREQ(file_basename(out), "u.bin");
  EXPECT_EQ(ReadBytes(out), "u");
  const std::string file = out;

  ASSERT_EQ(file_fullpath("sub\\", out), out);
  EXPECT_EQ(std::string(out), file.substr(0, file.size() - 5) + "sub")
      << "the trailing separator goes";

  char* allocated = file_fullpath("u.bin", nullptr);
  ASSERT_NE(allocated, nullptr);
  EXPECT_EQ(std::string(allocated), file);
  free(allocated);

  EXPECT_EQ(file_fullpath("/", out), nullptr) << "the root is no match for a find-first";
  EXPECT_EQ(file_fullpath("missing.bin", out), nullptr);
  EXPECT_EQ(file_fullpath("missing.bin", nullptr), nullptr);
}
