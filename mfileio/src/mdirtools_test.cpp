// Tests of the directory tools and the application-data folder: chains with "." and "..",
// relative paths against the current directory, and the entries failures leave.
#include "mdirtools.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#endif

#include "common_app_data.h"
#include "fileio_testing.h"
#include "fileops.h"
#include "os_error.h"

using fileio_testing::CurrentDirectory;
using fileio_testing::ErrorContext;
using fileio_testing::TempFolder;
using fileio_testing::WithSeparator;
using fileio_testing::WriteBytes;

namespace {

// Defines `name` with an empty value. The runtime's _putenv_s would remove it instead, so on
// Windows the variable is set in the process environment directly.
void SetEmptyEnv(const char* name) {
#ifdef _WIN32
  SetEnvironmentVariableA(name, "");
#else
  setenv(name, "", 1);
#endif
}

}  // namespace

TEST(CreateDirectoryRecursive, DotDotNeverCreatesTheFolderItLeavesAndRelativePathsStartHere) {
  TempFolder folder;
  const std::string wanted = folder.path() + "\\a\\b\\..\\c";
  EXPECT_TRUE(tevar::createDirectoryRecursive(wanted.c_str()));
  EXPECT_TRUE(dir_exists(folder.File("a").c_str()));
  EXPECT_TRUE(dir_exists(folder.File("a/c").c_str()));
  EXPECT_FALSE(file_exists(folder.File("a/b").c_str()));
  EXPECT_TRUE(tevar::createDirectoryRecursive(wanted.c_str())) << "an existing chain is fine";
  EXPECT_TRUE(tevar::createDirectoryRecursive(folder.File("./a//./d/").c_str()));
  EXPECT_TRUE(dir_exists(folder.File("a/d").c_str()));

  // Relative paths start at the current directory.
  std::filesystem::create_directories(folder.File("w/v"));
  CurrentDirectory cwd(folder.File("w/v"));
  char buffer[kMaxWorkingDir];
  ASSERT_EQ(dir_getwd(buffer), buffer);
  EXPECT_TRUE(dir_exists(buffer));

  EXPECT_TRUE(tevar::createDirectoryRecursive("a\\..\\..\\x"));
  EXPECT_TRUE(dir_exists(folder.File("w/x").c_str()));
  EXPECT_FALSE(file_exists(folder.File("w/v/a").c_str()));
  EXPECT_TRUE(tevar::createDirectoryRecursive("y/z"));
  EXPECT_TRUE(dir_exists(folder.File("w/v/y/z").c_str()));
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
  WriteBytes(file, "");
  const std::string wanted = file + "/sub";
  EXPECT_FALSE(tevar::createDirectoryRecursive(wanted.c_str()));
  const std::string built = WithSeparator(file, kPathSeparator);
  context.ExpectAndClear(
      {"createDirectoryRecursive(): dir_mk(" + built + ") failed",
       "createDirectoryRecursive(): want to create \"" + wanted + "\"",
       "createDirectoryRecursive(): system error: [17] \"" + ErrnoText(17) + "\""});
  EXPECT_FALSE(dir_exists(file.c_str()));
  EXPECT_FALSE(dir_mk(wanted.c_str()));
}

TEST(CommonAppData, OverrideFolderGetsTevarAndTheProduct) {
  TempFolder folder;
  const std::string config = folder.File("cfg");
  fileio_testing::SetEnv("TEVAR_CONFIGPATH", config.c_str());
  std::string common;
  EXPECT_TRUE(GetCommonAppDataFolder(common));
  EXPECT_EQ(common, config) << "taken as written";

  std::string product_folder;
  EXPECT_TRUE(GetCommonAppDataFolderForProduct(product_folder, "X"));
  const std::string sep(1, kPathSeparator);
  EXPECT_EQ(product_folder, config + sep + "Tevar" + sep + "X" + sep);
  EXPECT_TRUE(dir_exists(folder.File("cfg/Tevar/X").c_str()));

  // A file in the way: the built path stays in the folder string.
  WriteBytes(folder.File("blocker"), "");
  fileio_testing::SetEnv("TEVAR_CONFIGPATH", folder.File("blocker").c_str());
  ErrorContext context;
  EXPECT_FALSE(GetCommonAppDataFolderForProduct(product_folder, "X"));
  const std::string built = folder.File("blocker") + sep + "Tevar" + sep + "X" + sep;
  EXPECT_EQ(product_folder, built);
  ASSERT_FALSE(context.Entries().empty());
  EXPECT_EQ(context.Entries().back(),
            "GetCommonAppDataFolderForProduct createDirectoryRecursive(" + built + ") failed");
  context.Clear();

  for (const char* product : {static_cast<const char*>(nullptr), ""}) {
    EXPECT_FALSE(GetCommonAppDataFolderForProduct(product_folder, product));
    context.ExpectAndClear({"GetCommonAppDataFolderForProduct(): no company name"});
  }
  fileio_testing::UnsetEnv("TEVAR_CONFIGPATH");
}

TEST(CommonAppData, AnEmptyOverrideIsAnOverrideAndWithoutOneTheSystemFolderIsUsed) {
  SetEmptyEnv("TEVAR_CONFIGPATH");
  std::string common = "unchanged";
  EXPECT_TRUE(GetCommonAppDataFolder(common));
  EXPECT_EQ(common, "");
  fileio_testing::UnsetEnv("TEVAR_CONFIGPATH");
  ASSERT_TRUE(GetCommonAppDataFolder(common));
  ASSERT_FALSE(common.empty());
  EXPECT_TRUE(file_is_absolute(common.c_str())) << common;
  EXPECT_TRUE(dir_exists(common.c_str())) << common;
  const char last = common.back();
  EXPECT_TRUE(last != '\\' && last != '/') << common;
}
