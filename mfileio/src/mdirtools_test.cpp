// Tests of the directory tools and the application-data folder: chains with "." and "..",
// relative paths against the current directory, the override, and the entries failures leave.
#include "mdirtools.h"

#include <gtest/gtest.h>

#include <string>

#include "common_app_data.h"
#include "fileio_testing.h"
#include "fileops.h"
#include "os_error.h"

using fileio_testing::ErrorContext;
using fileio_testing::ScopedEnv;
using fileio_testing::TempFolder;

TEST(CreateDirectoryRecursive, DotDotNeverCreatesTheFolderItLeavesAndRelativePathsStartHere) {
  TempFolder folder;
  std::filesystem::create_directories(folder.File("w/v"));
  fileio_testing::CurrentDirectory cwd(folder.File("w/v"));
  char buffer[kMaxWorkingDir];
  ASSERT_EQ(dir_getwd(buffer), buffer);
  EXPECT_TRUE(dir_exists(buffer));
  const struct {
    std::string path;
    const char *created, *never;
  } cases[] = {
      {folder.path() + "\\a\\b\\..\\c", "a/c", "a/b"},
      {folder.path() + "\\a\\b\\..\\c", "a/c", "a/b"},  // an existing chain is fine
      {folder.File("./a//./d/"), "a/d", "d"},
      {"a\\..\\..\\x", "w/x", "w/v/a"},
      {"y/z", "w/v/y/z", "w/y"},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(tevar::createDirectoryRecursive(c.path.c_str())) << c.path;
    EXPECT_TRUE(dir_exists(folder.File(c.created).c_str())) << c.path;
    EXPECT_FALSE(file_exists(folder.File(c.never).c_str())) << c.path;
  }
}

TEST(CreateDirectoryRecursive, FailuresLeaveTheirEntries) {
  ErrorContext context;
  // More ".." than names above them.
  EXPECT_FALSE(tevar::createDirectoryRecursive("D:\\w\\v\\..\\..\\..\\.."));
  context.ExpectAndClear(
      {"tevar::createDirectoryRecursive(): Malformed path \"D:\\w\\v\\..\\..\\..\\..\""});

  // A file where a folder should be: dir_mk fails with EEXIST (17 on both runtimes).
  TempFolder folder;
  const std::string file = folder.File("file");
  fileio_testing::WriteBytes(file, "");
  const std::string wanted = file + "/sub";
  EXPECT_FALSE(tevar::createDirectoryRecursive(wanted.c_str()));
  context.ExpectAndClear(
      {"createDirectoryRecursive(): dir_mk(" + fileio_testing::WithSeparator(file, kPathSeparator) +
           ") failed",
       "createDirectoryRecursive(): want to create \"" + wanted + "\"",
       "createDirectoryRecursive(): system error: [17] \"" + ErrnoText(17) + "\""});
  EXPECT_FALSE(dir_mk(wanted.c_str()));
}

TEST(CommonAppData, TheOverrideIsTakenAsWrittenAndGetsTevarAndTheProduct) {
  TempFolder folder;
  const std::string sep(1, kPathSeparator);
  const std::string blocked = folder.File("blocker") + sep + "Tevar" + sep + "X" + sep;
  fileio_testing::WriteBytes(folder.File("blocker"), "");
  const struct {
    std::string override_folder;
    const char* product;
    bool created;
    std::string product_folder, entry;
  } cases[] = {
      {folder.File("cfg"), "X", true, folder.File("cfg") + sep + "Tevar" + sep + "X" + sep, ""},
      // A file in the way: the built path stays in the folder string.
      {folder.File("blocker"), "X", false, blocked,
       "GetCommonAppDataFolderForProduct createDirectoryRecursive(" + blocked + ") failed"},
      {folder.File("cfg"), "", false, "unchanged",
       "GetCommonAppDataFolderForProduct(): no company name"},
      {folder.File("cfg"), nullptr, false, "unchanged",
       "GetCommonAppDataFolderForProduct(): no company name"},
  };
  for (const auto& c : cases) {
    ErrorContext context;
    ScopedEnv env("TEVAR_CONFIGPATH", c.override_folder.c_str());
    std::string common, product_folder = "unchanged";
    EXPECT_TRUE(GetCommonAppDataFolder(common));
    EXPECT_EQ(c.override_folder, common);
    EXPECT_EQ(c.created, GetCommonAppDataFolderForProduct(product_folder, c.product));
    EXPECT_EQ(c.product_folder, product_folder);
    // A path with a trailing separator names nothing for the file-system queries.
    EXPECT_EQ(c.created, dir_exists(product_folder.substr(0, product_folder.size() - 1).c_str()));
    EXPECT_EQ(c.entry, c.created ? "" : context.Entries().back());
  }
}

TEST(CommonAppData, AnEmptyOverrideIsAnOverrideAndWithoutOneTheSystemFolderIsUsed) {
  std::string common = "unchanged";
  {
    ScopedEnv empty("TEVAR_CONFIGPATH", "");
    EXPECT_TRUE(GetCommonAppDataFolder(common));
    EXPECT_EQ("", common);
  }
  ScopedEnv none("TEVAR_CONFIGPATH", nullptr);
  ASSERT_TRUE(GetCommonAppDataFolder(common));
  EXPECT_TRUE(file_is_absolute(common.c_str())) << common;
  EXPECT_TRUE(dir_exists(common.c_str())) << common;
  EXPECT_TRUE(common.back() != '\\' && common.back() != '/') << common;
}
