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
  SplitPathParts p = SplitPath("C:\\Programs\\Tevar\\component_updater.EXE");
  EXPECT_EQ("C:", p.drive);
  EXPECT_EQ("\\Programs\\Tevar\\", p.directory);
  EXPECT_EQ("component_updater", p.name);
  EXPECT_EQ(".EXE", p.extension);

  p = SplitPath("/usr/bin/archive.tar.gz");
  EXPECT_EQ("", p.drive);
  EXPECT_EQ("/usr/bin/", p.directory);
  EXPECT_EQ("archive.tar", p.name);
  EXPECT_EQ(".gz", p.extension);

  p = SplitPath("mixed/sep\\name");
  EXPECT_EQ("mixed/sep\\", p.directory);
  EXPECT_EQ("name", p.name);
  EXPECT_EQ("", p.extension);

  p = SplitPath("dir.d\\");
  EXPECT_EQ("dir.d\\", p.directory);
  EXPECT_EQ("", p.name);
  EXPECT_EQ("", p.extension);

  p = SplitPath(".loc");
  EXPECT_EQ("", p.name);
  EXPECT_EQ(".loc", p.extension);

  p = SplitPath("1:x");  // only a letter makes a drive
  EXPECT_EQ("", p.drive);
  EXPECT_EQ("1:x", p.name);
}

}  // namespace
