// Tests of the path helpers: the pure string rules on both separators, and the file-system
// queries on real files and folders.
#include "fileops.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "fileio_testing.h"

using fileio_testing::ReadBytes;
using fileio_testing::WriteBytes;

TEST(FileOps, PathPartsTakeBothSeparators) {
  // "dirname|basename|topdir|absolute" of each path, "-" for null.
  const std::pair<const char*, const char*> cases[] = {{"D:/data/x.ini", "D:/data\\|x.ini|D:|1"},
                                                       {"a\\b/c", "a\\b\\|c|a|0"},
                                                       {"/x", "\\|x|/|1"},
                                                       {"\\a\\b", "\\a\\|b|\\|1"},
                                                       {"dir/", "dir\\||dir|0"},
                                                       {"x.ini", "-|x.ini|-|0"},
                                                       {"", "-|-|-|0"},
                                                       {"c:x", "-|c:x|-|1"},
                                                       {"x:", "-|x:|-|1"},
                                                       {"1:", "-|1:|-|0"},
                                                       {":x", "-|:x|-|0"},
                                                       {"@:", "-|@:|-|0"}};
  auto shown = [](const char* text) { return std::string(text ? text : "-"); };
  for (const auto& [path, parts] : cases) {
    char out[64], topdir[64], copy[64];
    strcpy(copy, path);
    EXPECT_EQ(parts, shown(file_dirname(path, out)) + "|" + shown(file_basename(path)) + "|" +
                         shown(file_topdir(copy, topdir)) + "|" +
                         std::to_string(file_is_absolute(path)));
    EXPECT_STREQ(path, copy) << "with an output buffer the path stays as it was";
  }
  // The base name points into the path; without an output buffer the path itself is cut.
  const char* path = "D:\\data/x.ini";
  EXPECT_EQ(path + 8, file_basename(path));
  char in_place[] = "top/rest";
  EXPECT_EQ(in_place, file_topdir(in_place, nullptr));
  EXPECT_STREQ("top", in_place);
}

TEST(FileOps, TypeSizeExistenceAndRenameOfFilesAndFolders) {
  fileio_testing::TempFolder folder;
  const std::string file = folder.File("data.bin"), to = folder.File("to.txt");
  std::string backslashed = file;
  for (char& c : backslashed)
    c = c == '/' ? '\\' : c;
  WriteBytes(file, "12345");
  // "type size exists"; a find-first over a path with a trailing separator finds nothing.
  const std::pair<std::string, std::string> cases[] = {
      {folder.path(), "100 0 1"},       {file, "45 5 1"},
      {backslashed, "45 5 1"},          {folder.File("missing"), "-1 -1 0"},
      {file + " .", "45 5 1"},  // trailing blanks and dots of a name drop, as Windows drops them
      {folder.path() + "/", "-1 -1 1"}, {folder.path() + "\\", "-1 -1 1"}};
  for (const auto& [path, facts] : cases)
    EXPECT_EQ(facts, std::to_string(file_type(path.c_str())) + " " +
                         std::to_string(file_size(path.c_str())) + " " +
                         std::to_string(file_exists(path.c_str())))
        << path;

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
  fileio_testing::TempFolder folder;
  WriteBytes(folder.File("u.bin"), "u");
  std::filesystem::create_directory(folder.File("sub"));
  fileio_testing::CurrentDirectory cwd(folder.path());
  char out[260];
  ASSERT_EQ(out, file_fullpath("sub/../u.bin", out));
  const std::string file = out;
  EXPECT_TRUE(file_is_absolute(out)) << out;
  EXPECT_EQ("u", ReadBytes(out));
  EXPECT_EQ("u.bin", file.substr(file.size() - 5));
  ASSERT_EQ(out, file_fullpath("sub\\", out));
  EXPECT_EQ(file.substr(0, file.size() - 5) + "sub", out) << "the trailing separator goes";
  char* allocated = file_fullpath("u.bin", nullptr);
  EXPECT_EQ(file, allocated ? allocated : "");
  free(allocated);
  EXPECT_EQ(nullptr, file_fullpath("/", out)) << "the root is no match for a find-first";
  EXPECT_EQ(nullptr, file_fullpath("missing.bin", out));
  EXPECT_EQ(nullptr, file_fullpath("missing.bin", nullptr));
}
