// Key folding: the nine letters one for one, everything else (case included) kept. Path
// splitting is proven through the table's file names (Localize_test).
#include "NormalizeKey.h"

#include <gtest/gtest.h>

TEST(NormalizeKey, FoldsTheNineLettersOneForOneAndKeepsTheRest) {
  EXPECT_EQ("auoAUOs23", NormalizeKey("\xE4\xFC\xF6\xC4\xDC\xD6\xDF\xB2\xB3"));
  EXPECT_EQ("Error.txt", NormalizeKey("Error.txt"));
  EXPECT_EQ("\xE3\xE5\xFB\xB1\xB4\xE9", NormalizeKey("\xE3\xE5\xFB\xB1\xB4\xE9"));  // neighbours
  EXPECT_EQ(std::string("a\0b", 3), NormalizeKey(std::string("\xE4\0b", 3)));
}
