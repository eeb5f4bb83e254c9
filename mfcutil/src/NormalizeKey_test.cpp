// Key folding and path splitting, the two pure helpers of the text tables.
#include "NormalizeKey.h"
#include "split_path.h"

#include <gtest/gtest.h>

namespace {

TEST(NormalizeKey, FoldsTheNineLettersOneForOneAndKeepsTheRest) {
  const struct {
    std::string key, folded;
  } cases[] = {
      {"\xE4\xFC\xF6\xC4\xDC\xD6\xDF\xB2\xB3", "auoAUOs23"},
      {"Gr\xF6\xDF"
       "e",
       "Grose"},
      {"Grosse", "Grosse"},
      {"Error.txt", "Error.txt"},                                // case stays
      {"\xE3\xE5\xFB\xB1\xB4\xE9", "\xE3\xE5\xFB\xB1\xB4\xE9"},  // neighbouring bytes stay
      {std::string("\xE4\0b", 3), std::string("a\0b", 3)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.folded, NormalizeKey(c.key)) << c.key;
}

TEST(SplitPath, SplitsDriveFolderNameAndExtension) {
  const struct {
    const char *path, *parts;
  } cases[] = {
      {"C:\\Programs\\Tevar\\component_updater.EXE",
       "C:|\\Programs\\Tevar\\|component_updater|.EXE"},
      {"/usr/bin/archive.tar.gz", "|/usr/bin/|archive.tar|.gz"},
      {"mixed/sep\\name", "|mixed/sep\\|name|"},
      {"dir.d\\", "|dir.d\\||"},
      {".loc", "|||.loc"},
      {"1:x", "||1:x|"},  // only a letter makes a drive
  };
  for (const auto& c : cases) {
    const SplitPathParts p = SplitPath(c.path);
    EXPECT_EQ(c.parts, p.drive + "|" + p.directory + "|" + p.name + "|" + p.extension) << c.path;
  }
}

}  // namespace
