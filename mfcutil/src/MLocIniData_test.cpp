// The .loc reader: its differences from the plain INI reader, its state after each outcome, its
// error texts and its read errors.
#include "MLocIniData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "diag_testing.h"
#include "fileio_testing.h"

using fileio_testing::ErrorContext;
using Lines = std::vector<std::string>;

namespace {

std::string DataPath(const char* name) {
  return fileio_testing::SourceFile(std::string("mfcutil/src/testdata/") + name);
}

std::string Raw(MLocIniData& doc, const char* section, const char* entry) {
  std::string value = "<missing>";
  doc.GetStringEntry(section, entry, &value);
  return value;
}

TEST(MLocIniData, ReadsMissingEmptyAndIndentedFilesAndJoinsMultiLineValues) {
  const std::string missing = DataPath("no_such_file.loc"), empty = DataPath("empty.loc");
  // path -> "open new clean name"
  const std::pair<const char*, std::string> cases[] = {{missing.c_str(), "1 1 0 " + missing},
                                                       {empty.c_str(), "1 0 1 " + empty},
                                                       {nullptr, "1 1 0 "}};
  for (const auto& [path, state] : cases) {
    MLocIniData doc;
    ASSERT_TRUE(doc.Open(path));
    EXPECT_EQ(state, std::to_string(doc.IsOpen()) + " " + std::to_string(doc.IsNewFile()) + " " +
                         std::to_string(doc.IsClean()) + " " + doc.GetFileName());
    EXPECT_TRUE(doc.prologue().empty() && doc.GetSection("") == nullptr);
  }
  MLocIniData doc;
  ASSERT_TRUE(doc.Open(DataPath("languages.loc").c_str()));
  EXPECT_EQ("  indented text\\t ", Raw(doc, "Indented.txt", "EN"));
  EXPECT_EQ("{{\nfirst line\n}}", Raw(doc, "Multi.txt", "EN"));
  // Continuation lines keep their blanks; only the start of the joined line loses them.
  EXPECT_EQ(" {{  erste\\tZeile\n  zweite Zeile  }}", Raw(doc, "Multi.txt", "DE"));
  // "{{" counts right after the '=' only; a comment is joined like any other line; empty lines
  // are stored.
  fileio_testing::TempFolder folder;
  const std::string path = folder.File("braces.loc");
  fileio_testing::WriteBytes(
      path, "[S]\r\nA= \t{{one}}\r\nB=x{{\r\nC={{two\r\n}} tail\r\n; c={{\r\nnote}}\r\n\r\n");
  ASSERT_TRUE(doc.Open(path.c_str()));
  Lines lines;
  for (const MIniDataLine* line : doc.GetSection("S")->lines())
    lines.emplace_back(line->text());
  EXPECT_EQ((Lines{"[S]", "A= \t{{one}}", "B=x{{", "C={{two\n}} tail", "; c={{\nnote}}", ""}),
            lines);
  EXPECT_EQ("{{two\n}} tail", Raw(doc, "S", "C"));
}

TEST(MLocIniData, FailuresNameTheLineAndStoreNoFileName) {
  const std::string v80(80, 'v'),
      cut = "no matching \"}}\" found in \"EN={{" + v80.substr(0, 45) + "\"";
  fileio_testing::TempFolder folder;
  fileio_testing::WriteBytes(folder.File("long.loc"), "[A]\r\nEN={{" + v80 + "\r\n");
  const struct {
    std::string path, error, entry;
  } cases[] = {
      {DataPath("unclosed.loc"), "no matching \"}}\" found in \"EN={{never\nclosed\"",
       "MLocIniData::Open(): no matching \"}}\" found in \"EN={{never\nclosed\""},
      // The text in the message is cut to 50 characters, the trace entry to 70.
      {folder.File("long.loc"), cut, ("MLocIniData::Open(): " + cut).substr(0, 21 + 70)},
      // No byte-order mark is recognised; a repeated section fails strictly.
      {DataPath("bom.loc"), "Possible entry \"\xEF\xBB\xBF[Error.txt]\" found before first section",
       "MLocIniData::Open(): parse_line(\xEF\xBB\xBF[Error.txt]) failed"},
      {DataPath("twice.loc"), "Section [A] seen twice",
       "MLocIniData::Open(): parse_line([A]) failed"},
      {folder.path(), "\"" + folder.path() + "\" is a folder, not a file",
       "MLocIniData::Open(): MFastFileReader::Open() failed"},
  };
  for (const auto& c : cases) {
    ErrorContext context;
    MLocIniData doc;
    EXPECT_FALSE(doc.Open(c.path.c_str()));
    EXPECT_FALSE(doc.IsOpen());
    EXPECT_EQ("", doc.GetFileName());
    EXPECT_EQ(c.error, doc.GetLastError());
    EXPECT_EQ(c.entry, context.Entries().back());
  }
}

// A read error is never taken for the end of the file, also when it comes right at a line end
// or inside a multi-line value. Each line is 256 bytes, so the first 8192-byte block ends at a
// line end: before the fix, 32 of 41 lines were read and the table passed off as complete.
TEST(MLocIniData, ReadErrorsFailTheOpenWhereverTheyHappen) {
  fileio_testing::TempFolder folder;
  const std::string path = folder.File("long.loc");
  // One header blank more moves the end of the block into a line.
  for (const auto& [value, blanks] : {std::pair{"=", 251}, {"={{", 251}, {"=", 252}}) {
    std::string text = "[t]" + std::string(blanks, ' ') + "\r\n";
    for (int i = 10; i < 50; ++i)
      text += "k" + std::to_string(i) + value + std::string(251 - strlen(value), 'v') + "\r\n";
    fileio_testing::WriteBytes(path, text + "}}\r\n");
    for (int good_fills : {0, 1}) {
      ErrorContext context;
      diag::CapturingSink quiet;  // IsEOF's own error-log entry
      MLocIniData doc;
      fileio_testing::FailingReader reader(good_fills);
      EXPECT_FALSE(doc.Open(path.c_str(), &reader)) << value << good_fills;
      EXPECT_FALSE(doc.IsOpen());
      EXPECT_EQ("read error in \"" + path + "\"", doc.GetLastError());
      EXPECT_EQ(blanks == 252 && good_fills == 1
                    ? "MLocIniData::Open(): MFastFileReader::ReadLine() failed"
                    : "MLocIniData::Open(): MFastFileReader::fill_buffer() failed",
                context.Entries().back());
    }
  }
}

}  // namespace
