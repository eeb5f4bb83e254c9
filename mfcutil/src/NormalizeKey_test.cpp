// Key folding and path splitting, the two pure helpers of the text tables.
#include "NormalizeKey.h"
#include "split_path.h"

#include <gtest/gtest.h>

namespace {

TEST(NormalizeKey, FoldsTheNineLettersOneForOneAndKeepsTheRest) {
  EXPECT_EQ("auoAUOs23", NormalizeKey("\xE4\xFC\xF6\xC4\xDC\xD6\xDF\xB2\xB3"));
  EXPECT_EQ("Grose", NormalizeKey("Gr\xF6\xDF"
                                  "e"));
  EXPECT_EQ("Grose", NormalizeKey("Gro\xDF"
                                  "e"));
  EXPECT_NE(NormalizeKey("Gr\xF6\xDF"
                         "e"),
            NormalizeKey("Grosse"));
  EXPECT_EQ("Error.txt", NormalizeKey("Error.txt"));  // case stays
  EXPECT_NE(NormalizeKey("error.txt"), NormalizeKey("Error.txt"));
  // Neighbouring bytes and other accented letters are not folded.
  EXPECT_EQ("\xE3\xE5\xFB\xB1\xB4\xE9", NormalizeKey("\xE3\xE5\xFB\xB1\xB4\xE9"));
  EXPECT_EQ(std::string("a\0b", 3), NormalizeKey(std::string("\xE4\0b", 3)));
}

TEST(SplitPath, SplitsDriveFolderNameAndExtension) {
  const struct {
    const char *path, *drive, *directory, *name, *extension;
  } cases[] = {
      {"C:\\Programs\\Tevar\\component_updater.EXE", "C:", "\\Programs\\Tevar\\",
       "component_updater", ".EXE"},
      {"/usr/bin/archive.tar.gz", "", "/usr/bin/", "archive.tar", ".gz"},
      {"mixed/sep\\name", "", "mixed/sep\\", "name", ""},
      {"dir.d\\", "", "dir.d\\", "", ""},
      {".loc", "", "", "", ".loc"},
      {"1:x", "", "", "1:x", ""},  // only a letter makes a drive
  };
  for (const auto& c : cases) {
    const SplitPathParts p = SplitPath(c.path);
    EXPECT_EQ(c.drive, p.drive) << c.path;
    EXPECT_EQ(c.directory, p.directory) << c.path;
    EXPECT_EQ(c.name, p.name) << c.path;
    EXPECT_EQ(c.extension, p.extension) << c.path;
  }
}

}  // namespace
