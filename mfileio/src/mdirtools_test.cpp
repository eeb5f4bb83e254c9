// Tests of the directory tools and the application-data folder: chains with "." and "..",
// relative paths against the current directory, the override, and the entries failures leave.
#include "mdirtools.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

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
  EXPECT_TRUE(dir_exists(dir_getwd(buffer)));
  // path (the first twice: an existing chain is fine), a folder it creates, one it must not
  const std::tuple<std::string, const char*, const char*> cases[] = {
      {folder.path() + "\\a\\b\\..\\c", "a/c", "a/b"},
      {folder.path() + "\\a\\b\\..\\c", "a/c", "a/b"},
      {folder.File("./a//./d/"), "a/d", "d"},
      {"a\\..\\..\\x", "w/x", "w/v/a"},
      {"y/z", "w/v/y/z", "w/y"}};
  for (const auto& [path, created, never] : cases) {
    EXPECT_TRUE(tevar::createDirectoryRecursive(path.c_str())) << path;
    EXPECT_TRUE(dir_exists(folder.File(created).c_str())) << path;
    EXPECT_FALSE(file_exists(folder.File(never).c_str())) << path;
  }
}

TEST(CreateDirectoryRecursive, FailuresLeaveTheirEntries) {
  ErrorContext context;
  EXPECT_FALSE(tevar::createDirectoryRecursive("D:\\w\\v\\..\\..\\..\\.."));
  context.ExpectAndClear(
      {"tevar::createDirectoryRecursive(): Malformed path \"D:\\w\\v\\..\\..\\..\\..\""});
  // A file where a folder should be: dir_mk fails with EEXIST (17 on both runtimes).
  TempFolder folder;
  const std::string file = folder.File("file"), wanted = file + "/sub";
  fileio_testing::WriteBytes(file, "");
  std::string built = file;
  for (char& c : built)
    c = c == '/' || c == '\\' ? kPathSeparator : c;
  EXPECT_FALSE(tevar::createDirectoryRecursive(wanted.c_str()));
  context.ExpectAndClear(
      {"createDirectoryRecursive(): dir_mk(" + built + ") failed",
       "createDirectoryRecursive(): want to create \"" + wanted + "\"",
       "createDirectoryRecursive(): system error: [17] \"" + ErrnoText(17) + "\""});
  EXPECT_FALSE(dir_mk(wanted.c_str()));
}

TEST(CommonAppData, TheOverrideIsTakenAsWrittenAndGetsTevarAndTheProduct) {
  TempFolder folder;
  const std::string sep(1, kPathSeparator),
      cfg = folder.File("cfg"), blocked = folder.File("blocker") + sep + "Tevar" + sep + "X" + sep;
  fileio_testing::WriteBytes(folder.File("blocker"), "");
  // override, product, the folder string afterwards, the last entry ("" for success)
  const std::tuple<std::string, const char*, std::string, std::string> cases[] = {
      {cfg, "X", cfg + sep + "Tevar" + sep + "X" + sep, ""},
      {folder.File("blocker"), "X", blocked,  // a file in the way: the built path stays
       "GetCommonAppDataFolderForProduct createDirectoryRecursive(" + blocked + ") failed"},
      {cfg, "", "unchanged", "GetCommonAppDataFolderForProduct(): no company name"},
      {cfg, nullptr, "unchanged", "GetCommonAppDataFolderForProduct(): no company name"}};
  for (const auto& [override_folder, product, product_folder, entry] : cases) {
    ErrorContext context;
    ScopedEnv env("TEVAR_CONFIGPATH", override_folder.c_str());
    std::string common, built = "unchanged";
    EXPECT_TRUE(GetCommonAppDataFolder(common));
    EXPECT_EQ(override_folder, common);
    EXPECT_EQ(entry.empty(), GetCommonAppDataFolderForProduct(built, product));
    EXPECT_EQ(product_folder, built);
    // A path with a trailing separator names nothing for the file-system queries.
    EXPECT_EQ(entry.empty(), dir_exists(built.substr(0, built.size() - 1).c_str()));
    EXPECT_EQ(entry, entry.empty() ? "" : context.Entries().back());
  }
  {
    ScopedEnv empty("TEVAR_CONFIGPATH", "");  // an empty override is an override
    std::string common = "unchanged";
    EXPECT_TRUE(GetCommonAppDataFolder(common));
    EXPECT_EQ("", common);
  }
  ScopedEnv none("TEVAR_CONFIGPATH", nullptr);
  std::string common;
  ASSERT_TRUE(GetCommonAppDataFolder(common));
  EXPECT_TRUE(file_is_absolute(common.c_str()) && dir_exists(common.c_str())) << common;
  EXPECT_TRUE(common.back() != '\\' && common.back() != '/') << common;
}
