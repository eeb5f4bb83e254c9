// Tests of the INI document: line classification, parse errors (verbatim), the parser options,
// typed reads, edits and deletions, Open's states, marks and read errors, and what Save does
// with the file (its bytes are checked by the golden files).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "MIniData_template_core.h"
#include "diag_testing.h"
#include "fileio_testing.h"

using fileio_testing::ErrorContext;
using fileio_testing::ReadBytes;
using fileio_testing::TempFolder;
using fileio_testing::WriteBytes;
using Lines = std::vector<std::string>;
using namespace std::string_literals;

namespace {

// Feeds lines to parse_line until one fails; returns the index of the failing line or -1.
int ParseLines(MIniData* doc, const Lines& lines) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (!doc->parse_line(lines[i]))
      return static_cast<int>(i);
  return -1;
}

Lines Texts(const std::vector<MIniDataLine*>& lines) {
  Lines texts;
  for (const MIniDataLine* line : lines)
    texts.emplace_back(line->text());
  return texts;
}

Lines SectionLines(const MIniData& doc, const std::string& section) {
  const MIniDataSection* found = doc.GetSection(section.c_str());
  return found ? Texts(found->lines()) : Lines{"<missing>"};
}

std::string Raw(const MIniData& doc, const char* section, const char* entry) {
  std::string value = "<missing>";
  doc.GetStringEntry(section, entry, &value);
  return value;
}

}  // namespace

// Classification, parse errors, options and typed reads of single lines are the parse cases of
// the golden test; here what those cannot show.
TEST(IniParse, NamesKeepAllTheirBytesAndLookupsTrimOnlyWhereTheySay) {
  MIniData doc;
  // A NUL inside a name never makes it match another name.
  doc.SetOptions(kMIniReplaceSections | kMIniReplaceEntries);
  ASSERT_EQ(-1, ParseLines(&doc, {"[s]", "k=1", "[s\0]"s, "k\0=2"s, "k=3", "[s\0]"s, "n=1"}));
  EXPECT_EQ((Lines{"[s]", "k=1"}), SectionLines(doc, "s"));
  EXPECT_EQ(doc.GetSection("s"), doc.GetSection("s")->lines()[0]);  // the header is the section
  long value = 99;
  EXPECT_TRUE(doc.GetLongEntry("s", "k \t", &value) && value == 1);  // entry names lose blanks
  EXPECT_FALSE(doc.HasEntry("s", "k \t"));                           // but not here
  EXPECT_FALSE(doc.GetLongEntry("S", "k", &value) || value != 1);    // missing: untouched
  Lines names{"stale"};
  doc.GetEntryNames("missing", &names);
  EXPECT_TRUE(names.empty());
}

TEST(IniRead, LongLinesAndLargeSectionsInAnyOrderStayWholeSortedAndFindable) {
  MIniData doc;
  const Lines lines{
      "[s]", "a=1",  "big=" + std::string(300000, 'v'), "b=2", "; " + std::string(300000, 'c'),
      "c=3", "[big]"};
  ASSERT_EQ(-1, ParseLines(&doc, lines));
  EXPECT_EQ(Lines(lines.begin(), lines.end() - 1), SectionLines(doc, "s"));
  Lines expected;
  for (int i = 1000; i > 0; --i) {  // descending: every insert lands in front
    expected.push_back("k" + std::to_string(i * 7919 % 10007));
    ASSERT_TRUE(doc.parse_line(expected.back() + "=" + std::to_string(i)));
  }
  std::sort(expected.begin(), expected.end());
  Lines names;
  doc.GetEntryNames("big", &names);
  EXPECT_EQ(expected, names);
  EXPECT_EQ("5", Raw(doc, "big", ("k" + std::to_string(5 * 7919 % 10007)).c_str()));
  EXPECT_FALSE(doc.parse_line(expected.front() + "=again"));
  ASSERT_TRUE(doc.GetSection("big")->DeleteEntry(expected.front().c_str()));
  EXPECT_FALSE(doc.HasEntry("big", expected.front().c_str()));
  EXPECT_TRUE(doc.HasEntry("big", expected.back().c_str()));
}

// Replacing a value, appending entries and sections and "%.17g" show in the golden files.
TEST(IniEdit, SetClampsLongsToThirtyTwoBitsAndRefusesCommentNames) {
  MIniData doc;
  ErrorContext context;
  const long wide = sizeof(long) > 4 ? static_cast<long>(1LL << 40) : 7L;
  EXPECT_TRUE(doc.SetLongEntry("n", "min", -2147483647L - 1));
  EXPECT_TRUE(doc.SetLongEntry("n", "hi", wide));  // "%ld" of 32 bits, clamped as reads clamp
  EXPECT_TRUE(doc.SetLongEntry("n", "lo", -wide));
  EXPECT_TRUE(doc.SetLongEntry("n", "a;b  ", 1));  // only the first non-blank counts
  EXPECT_EQ((Lines{"[n]", "min=-2147483648", wide == 7 ? "hi=7" : "hi=2147483647",
                   wide == 7 ? "lo=-7" : "lo=-2147483648", "a;b=1"}),
            SectionLines(doc, "n"));
  const std::string prefix = "MIniDataT<struct MIniDataCaseSensitiveCompare>::";
  const std::pair<bool, const char*> refused[] = {{true, " ;x"}, {false, "#d"}, {true, "\t*a"}};
  for (const auto& [is_long, name] : refused) {
    EXPECT_FALSE(is_long ? doc.SetLongEntry("s", name, 5) : doc.SetDoubleEntry("s", name, 2.5));
    const std::string text =
        "cannot add comment as an entry: \""s + name + (is_long ? "=5\"" : "=2.5\"");
    EXPECT_EQ(text, doc.GetLastError());
    EXPECT_EQ(prefix + (is_long ? "SetLongEntry(): " : "SetDoubleEntry(): ") + text,
              context.Entries().back());
  }
  EXPECT_EQ(3u, context.Entries().size());
  EXPECT_EQ(nullptr, doc.GetSection("s"));
}

TEST(IniEdit, DeletionsRemoveLinesOrExplainWhyNot) {
  ErrorContext context;
  MIniData doc;
  doc.SetOptions(kMIniLenientEntries);
  ASSERT_EQ(-1, ParseLines(&doc, {"[s]", "a=1", "# c", "b = 2", "[t]", "=x", "k=1", "[u]", "bare",
                                  "k=1"}));
  ASSERT_TRUE(doc.SetLongEntry("s", " lead", 1));  // stored under " lead", scanned as "lead"
  ASSERT_TRUE(doc.GetSection("s")->DeleteEntry("b"));
  EXPECT_EQ((Lines{"[s]", "a=1", "# c", " lead=1"}), SectionLines(doc, "s"));
  EXPECT_FALSE(doc.GetSection("s")->DeleteEntry("b"));
  EXPECT_FALSE(doc.GetSection("t")->DeleteEntry("k"));
  EXPECT_FALSE(doc.GetSection("u")->DeleteEntry("k"));
  EXPECT_FALSE(doc.GetSection("s")->DeleteEntry(" lead"));
  EXPECT_TRUE(doc.HasEntry("s", " lead"));
  EXPECT_FALSE(doc.DeleteSection("nope"));
  EXPECT_EQ((Lines{"MIniDataSectionT::DeleteEntry(): entry \"b\" not found in entry_map",
                   "MIniDataSectionT::DeleteEntry(): no entry name in \"=x\"",
                   "MIniDataSectionT::DeleteEntry(): no '=' found in \"bare\"",
                   "MIniDataSectionT::DeleteEntry(): entry \" lead\" not found in line_vec",
                   "MIniData::DeleteSection(): section \"nope\" not found"}),
            context.Entries());
  ASSERT_TRUE(doc.DeleteSection("t"));
  EXPECT_EQ(nullptr, doc.GetSection("t"));
  // The section being filled was deleted: a following body line has no section.
  ASSERT_TRUE(doc.DeleteSection("u"));
  EXPECT_FALSE(doc.parse_line("k=2"));
  EXPECT_EQ("Possible entry \"k=2\" found before first section", doc.GetLastError());
}

TEST(IniFile, OpenCloseAndEditsSetTheStateFlags) {
  TempFolder folder;
  const std::string missing = folder.File("missing.ini"), empty = folder.File("empty.ini"),
                    good = folder.File("good.ini");
  WriteBytes(empty, "");
  WriteBytes(good, "; p\r\n\r\n[b]\nx=1\r[a]\r\n\0ignored\r\ny=2"s);
  MIniData doc;
  // "open new clean" after each step; a deletion through a section changes the document too.
  const std::pair<std::function<bool()>, const char*> steps[] = {
      {[] { return true; }, "-+-"},
      {[&] { return doc.Open(missing.c_str()); }, "++-"},
      {[&] { return doc.Open(empty.c_str()); }, "+-+"},
      {[&] { return doc.Open(good.c_str()); }, "+-+"},
      {[&] { return !doc.GetSection("b")->DeleteEntry("y"); }, "+-+"},
      {[&] { return doc.GetSection("b")->DeleteEntry("x"); }, "+--"},
      {[&] { return doc.Open(good.c_str()); }, "+-+"},
      {[&] { return doc.SetLongEntry("a", "y", 3); }, "+--"},
      {[&] { return doc.Close(); }, "-+-"}};
  for (const auto& [act, flags] : steps) {
    EXPECT_TRUE(act()) << flags;
    EXPECT_EQ(flags,
              std::string() + "-+"[doc.IsOpen()] + "-+"[doc.IsNewFile()] + "-+"[doc.IsClean()]);
  }
  EXPECT_EQ("", doc.GetFileName());
  EXPECT_EQ(0u, doc.GetOptions());
  ASSERT_TRUE(doc.Open(good.c_str()));
  EXPECT_EQ((Lines{"; p"}), Texts(doc.prologue()));
  EXPECT_EQ("2", Raw(doc, "a", "y"));  // empty lines and NUL-led lines are dropped
}

TEST(IniFile, AFailedOpenKeepsTheLinesBeforeStaysClosedAndSaysWhy) {
  TempFolder folder;
  const std::string bad = folder.File("bad.ini");
  WriteBytes(bad, "[s]\r\na=1\r\nnot an entry\r\nb=2\r\n");
  ErrorContext context;
  MIniData doc;
  EXPECT_FALSE(doc.Open(bad.c_str()));
  EXPECT_FALSE(doc.IsOpen() || doc.IsNewFile() || doc.IsClean());
  EXPECT_EQ("No '=' found in \"not an entry\" in section [s]", doc.GetLastError());
  EXPECT_EQ("MIniData::Open(): parse_line(not an entry) failed", context.Entries().back());
  EXPECT_TRUE(doc.HasEntry("s", "a"));
  EXPECT_FALSE(doc.HasEntry("s", "b"));
  // A folder is no document, whether the system refuses to open it or to read it.
  EXPECT_FALSE(doc.Open(folder.path().c_str()));
  EXPECT_FALSE(doc.IsOpen());
  EXPECT_EQ(nullptr, doc.GetSection("s"));
  EXPECT_EQ("\"" + folder.path() + "\" is a folder, not a file", doc.GetLastError());
  EXPECT_EQ("MIniData::Open(): MFastFileReader::Open() failed", context.Entries().back());
}

// A read error is never taken for the end of the file, also when it comes right at a line end
// (there the reader's IsEOF alone counts it as the end). Lines of 256 bytes make the first
// 8192-byte block end at a line end; one more header blank moves that end into the next block.
TEST(IniFile, ReadErrorsFailTheOpenWhereverTheyHappen) {
  TempFolder folder;
  const std::string path = folder.File("long.ini");
  const std::tuple<size_t, int, const char*> cases[] = {
      {251, 0, "MIniData::Open(): MFastFileReader::fill_buffer() failed"},
      {251, 1, "MIniData::Open(): MFastFileReader::fill_buffer() failed"},
      {252, 1, "MIniData::Open(): MFastFileReader::ReadLine() failed"}};
  for (const auto& [header_blanks, good_fills, entry] : cases) {
    std::string text = "[t]" + std::string(header_blanks, ' ') + "\r\n";
    for (int i = 10; i < 50; ++i)
      text += "k" + std::to_string(i) + "=" + std::string(250, 'v') + "\r\n";
    WriteBytes(path, text);
    ErrorContext context;
    diag::CapturingSink quiet;  // IsEOF's own error-log entry
    MIniData doc;
    fileio_testing::FailingReader reader(good_fills);
    EXPECT_FALSE(doc.Open(path.c_str(), &reader)) << good_fills;
    EXPECT_FALSE(doc.IsOpen());
    EXPECT_EQ("read error in \"" + path + "\"", doc.GetLastError());
    EXPECT_EQ(entry, context.Entries().back());
    ASSERT_TRUE(doc.Open(path.c_str()));
    EXPECT_TRUE(doc.HasEntry("t", "k49"));
  }
}

TEST(IniFile, ByteOrderMarks) {
  TempFolder folder;
  const std::string path = folder.File("bom.ini"), utf = "UTF16/32 Unicode format not supported";
  const std::pair<std::string, std::string> cases[] = {
      {"\xEF\xBB\xBF[s]\r\nk=v\r\n", ""},
      {"\xEF\xBB\xBF\r\n\xEF\xBB\xBF[s]\r\n",  // only the first line's mark goes
       "Possible entry \"\xEF\xBB\xBF[s]\" found before first section"},
      {std::string("\xFF\xFE[\0s\0]\0\r\n", 10), utf + "."},
      {std::string("\xFE\xFF\0[\0s\0]\r\n", 10), utf + "."},
      {std::string("\xFF\xFE\0\0[\0\0\0\r\n", 10), utf + "."},
      {std::string("\0\0\xFE\xFF\0\0\0[\r\n", 10), utf + "."},
      // A one-byte first line has no mark: it is an entry.
      {"\xFF\r\n[s]\r\n", "Possible entry \"\xFF\" found before first section"}};
  for (const auto& [bytes, error] : cases) {
    WriteBytes(path, bytes);
    ErrorContext context;
    MIniData doc;
    EXPECT_EQ(error.empty(), doc.Open(path.c_str())) << error;
    EXPECT_EQ(error.empty() ? "v" : "<missing>", Raw(doc, "s", "k"));
    EXPECT_EQ(error, doc.GetLastError());
    if (error == utf + ".") {
      EXPECT_EQ((Lines{"MIniData::Open(\"" + path + "\"): " + utf}), context.Entries());
    }
  }
}

// The save-through-a-temporary-file option replaces the target, so another name of the old file
// (a hard link) keeps the old bytes; without it the target itself is rewritten.
TEST(IniFile, SaveWritesInTheModeTheOptionsChooseAndSetsTheFlags) {
  for (uint32_t options : {0x00u, 0x08u, 0x10u, 0x18u}) {
    TempFolder folder;
    const std::string path = folder.File("settings.ini");
    WriteBytes(path, "[a]\r\nn=1\r\n");
    std::filesystem::create_hard_link(path, folder.File("link.ini"));
    MIniData doc;
    doc.SetOptions(options);
    ASSERT_TRUE(doc.Open(path.c_str()) && doc.SetLongEntry("a", "n", 2));
    ASSERT_TRUE(doc.Save()) << options;
    EXPECT_TRUE(doc.IsClean());
    EXPECT_EQ("[a]\r\nn=2\r\n", ReadBytes(path));
    EXPECT_EQ(options & kMIniSaveViaTemp ? "[a]\r\nn=1\r\n" : "[a]\r\nn=2\r\n",
              ReadBytes(folder.File("link.ini")))
        << options;
    EXPECT_EQ(2u, folder.Names().size()) << "no temporary file is left";
  }
  TempFolder folder;
  const std::string path = folder.File("no_such_folder/x.ini");
  ErrorContext context;
  MIniData doc;
  ASSERT_TRUE(doc.Open(path.c_str()) && doc.SetLongEntry("s", "k", 1));
  EXPECT_FALSE(doc.Save());
  EXPECT_TRUE(doc.IsNewFile());
  EXPECT_FALSE(doc.IsClean());
  EXPECT_EQ("MIniData::Save(): MFastFile_WriteLinesAtOnce(\"" + path.substr(0, 40) + "\") failed",
            context.Entries().back());
  ASSERT_TRUE(doc.Open(folder.File("new.ini").c_str()) && doc.SetLongEntry("s", "k", 1));
  ASSERT_TRUE(doc.Save());
  EXPECT_FALSE(doc.IsNewFile());
  EXPECT_TRUE(doc.IsOpen());
}
