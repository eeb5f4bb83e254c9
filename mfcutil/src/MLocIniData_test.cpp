// The .loc reader: its differences from the plain INI reader, its state after each outcome and
// its error texts.
#include "MLocIniData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "diag_testing.h"
#include "errtrace.h"
#include "loc_test_support.h"

namespace {

using loc_test::DataPath;
using loc_test::TempLocFile;

std::string Raw(MLocIniData& doc, const char* section, const char* entry) {
  std::string value = "<missing>";
  doc.GetStringEntry(section, entry, &value);
  return value;
}

TEST(MLocIniData, MissingAndEmptyFilesGiveEmptyDocuments) {
  MLocIniData doc;
  const std::string missing = DataPath("no_such_file.loc");
  ASSERT_TRUE(doc.Open(missing.c_str()));
  EXPECT_TRUE(doc.IsOpen());
  EXPECT_TRUE(doc.IsNewFile());
  EXPECT_FALSE(doc.IsClean());
  EXPECT_EQ(missing, doc.GetFileName());

  const std::string empty = DataPath("empty.loc");
  ASSERT_TRUE(doc.Open(empty.c_str()));
  EXPECT_TRUE(doc.IsOpen());
  EXPECT_FALSE(doc.IsNewFile());
  EXPECT_TRUE(doc.IsClean());
  std::vector<std::string> names{"stale"};
  doc.GetSectionNames(&names);
  EXPECT_TRUE(names.empty());

  // A null path is the empty name, which no file has: an empty new document, not a crash.
  ASSERT_TRUE(doc.Open(nullptr));
  EXPECT_TRUE(doc.IsOpen());
  EXPECT_TRUE(doc.IsNewFile());
  EXPECT_EQ("", doc.GetFileName());
}

TEST(MLocIniData, AcceptsIndentationAndJoinsMultiLineValues) {
  MLocIniData doc;
  const std::string path = DataPath("languages.loc");
  ASSERT_TRUE(doc.Open(path.c_str()));
  EXPECT_EQ(path, doc.GetFileName());
  EXPECT_EQ("  indented text\\t ", Raw(doc, "Indented.txt", "EN"));
  EXPECT_EQ("{{\nfirst line\n}}", Raw(doc, "Multi.txt", "EN"));
  // Continuation lines keep their blanks; only the start of the joined line loses them.
  EXPECT_EQ(" {{  erste\\tZeile\n  zweite Zeile  }}", Raw(doc, "Multi.txt", "DE"));
}

TEST(MLocIniData, MultiLineDetectionNeedsBracesRightAfterTheEquals) {
  TempLocFile file("mlocinidata_braces.loc",
                   "[S]\r\nA= \t{{one}}\r\nB=x{{\r\nC={{two\r\n}} tail\r\n; c={{\r\nnote}}\r\n");
  MLocIniData doc;
  ASSERT_TRUE(doc.Open(file.path().c_str()));
  EXPECT_EQ(" \t{{one}}", Raw(doc, "S", "A"));
  EXPECT_EQ("x{{", Raw(doc, "S", "B"));
  EXPECT_EQ("{{two\n}} tail", Raw(doc, "S", "C"));
  // A comment with '=' and "{{" is joined like any other line and stays a comment.
  EXPECT_FALSE(doc.HasEntry("S", "; c"));
  EXPECT_FALSE(doc.HasEntry("S", "note}}"));
}

TEST(MLocIniData, UnclosedBracesFailWithTheJoinedText) {
  diag::CapturingSink sink;
  MErrTraceScope scope;
  MLocIniData doc;
  EXPECT_FALSE(doc.Open(DataPath("unclosed.loc").c_str()));
  EXPECT_EQ("no matching \"}}\" found in \"EN={{never\nclosed\"", doc.GetLastError());
  EXPECT_FALSE(doc.IsOpen());
  EXPECT_EQ("", doc.GetFileName());  // stored only after a complete read
  const std::vector<std::string> entries = diag::CurrentContextEntries();
  ASSERT_EQ(1u, entries.size());
  EXPECT_EQ("MLocIniData::Open(): no matching \"}}\" found in \"EN={{never\nclosed\"", entries[0]);

  // The text in the message is cut to 50 characters, the trace entry to 70.
  const std::string long_value(80, 'v');
  TempLocFile file("mlocinidata_unclosed_long.loc", "[A]\r\nEN={{" + long_value + "\r\n");
  MErrTrace_ClearContext();
  EXPECT_FALSE(doc.Open(file.path().c_str()));
  const std::string cut = "no matching \"}}\" found in \"EN={{" + std::string(45, 'v') + "\"";
  EXPECT_EQ(cut, doc.GetLastError());
  ASSERT_EQ(1u, diag::CurrentContextEntries().size());
  EXPECT_EQ(("MLocIniData::Open(): " + cut).substr(0, 21 + 70), diag::CurrentContextEntries()[0]);
}

// A byte-order mark is not recognised, and a repeated section fails strictly (leniency is
// what the text tables ask for, tested with them).
TEST(MLocIniData, ParseErrorsNameTheLine) {
  const struct {
    const char *file, *error, *entry;
  } cases[] = {
      {"bom.loc", "Possible entry \"\xEF\xBB\xBF[Error.txt]\" found before first section",
       "MLocIniData::Open(): parse_line(\xEF\xBB\xBF[Error.txt]) failed"},
      {"twice.loc", "Section [A] seen twice", "MLocIniData::Open(): parse_line([A]) failed"},
  };
  diag::CapturingSink sink;
  MErrTraceScope scope;
  for (const auto& c : cases) {
    MLocIniData doc;
    EXPECT_FALSE(doc.Open(DataPath(c.file).c_str()));
    EXPECT_EQ(c.error, doc.GetLastError());
    const std::vector<std::string> entries = diag::CurrentContextEntries();
    ASSERT_FALSE(entries.empty()) << c.file;
    EXPECT_EQ(c.entry, entries.back());
    MErrTrace_ClearContext();
  }
}

}  // namespace
