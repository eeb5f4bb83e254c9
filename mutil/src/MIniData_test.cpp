// Tests of the INI document: line classification, parse errors (verbatim), the parser options,
// typed reads, edits and deletions, Open's states, marks and read errors, and what Save does
// with the file (its bytes are checked by the golden files).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
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

Lines SectionLines(const MIniData& doc, const char* section) {
  const MIniDataSection* found = doc.GetSection(section);
  return found ? Texts(found->lines()) : Lines{"<missing>"};
}

std::string Raw(const MIniData& doc, const char* section, const char* entry) {
  std::string value = "<missing>";
  doc.GetStringEntry(section, entry, &value);
  return value;
}

}  // namespace

TEST(IniParse, LinesLandInPrologueOrSectionsAndHeadersNameTheBracketedText) {
  MIniData doc;
  ASSERT_EQ(-1, ParseLines(&doc, {"  ; indented", "# first", "   ", "[s]", "key = value ; c",
                                  "\t// note", "*x", "  ", "other=1", "[ a ]", "[]",
                                  "[x] trailing ] text", "[A]", "a b=5", "Z=1", "ab=2"}));
  EXPECT_EQ((Lines{"  ; indented", "# first", "   "}), Texts(doc.prologue()));
  EXPECT_EQ((Lines{"[s]", "key = value ; c", "\t// note", "*x", "  ", "other=1"}),
            SectionLines(doc, "s"));
  EXPECT_EQ(doc.GetSection("s"), doc.GetSection("s")->lines()[0]);  // the header is the section
  EXPECT_EQ(" value ; c", Raw(doc, "s", "key"));  // the raw value keeps blanks and comment
  EXPECT_TRUE(doc.HasEntry("s", "key"));
  EXPECT_FALSE(doc.HasEntry("s", "key "));
  EXPECT_EQ((Lines{"[x] trailing ] text"}), SectionLines(doc, "x"));
  Lines names{"stale"};
  doc.GetSectionNames(&names);
  EXPECT_EQ((Lines{"", " a ", "A", "s", "x"}), names);
  doc.GetEntryNames("A", &names);
  EXPECT_EQ((Lines{"Z", "a b", "ab"}), names);
  doc.GetEntryNames("a", &names);
  EXPECT_TRUE(names.empty());
}

TEST(IniParse, FailuresGiveTheirTextAndTraceEntry) {
  const std::string z80(80, 'z');
  const struct {
    Lines lines;
    std::string error;
  } cases[] = {
      {{"["}, "no matching ']' found in \"[\""},
      {{"[" + z80}, "no matching ']' found in \"[" + z80.substr(0, 49) + "\""},
      {{"[s]", "[s]"}, "Section [s] seen twice"},
      {{"k=v"}, "Possible entry \"k=v\" found before first section"},
      {{"  [h]"}, "Possible entry \"  [h]\" found before first section"},
      {{"[s] x", "  [h]"}, "No '=' found in \"  [h]\" in section [s] x"},
      {{"[s]", z80}, "No '=' found in \"" + z80.substr(0, 50) + "\" in section [s]"},
      {{"[s]", "  = 5"}, "No entry name found before '=' in \"  = 5\" in section [s]"},
      {{"[s]", "a=1", "a = 2"}, "Entry \"a\" seen twice in section [s]"},
      // The last error holds at most 1023 characters.
      {{std::string(2000, 'p')}, ("Possible entry \"" + std::string(2000, 'p')).substr(0, 1023)},
  };
  for (const auto& c : cases) {
    ErrorContext context;
    MIniData doc;
    EXPECT_EQ(static_cast<int>(c.lines.size()) - 1, ParseLines(&doc, c.lines)) << c.error;
    EXPECT_EQ(c.error, doc.GetLastError());
    EXPECT_EQ((Lines{"MIniData::parse_line(): " + c.error.substr(0, 70)}), context.Entries());
  }
}

TEST(IniParse, OptionsAcceptLenientLinesAndReplaceRepeats) {
  const struct {
    uint32_t options;
    Lines lines;
    int failing;
    Lines section_s;
  } cases[] = {
      // Lenient: a line without '=' is an entry whose value is the whole line.
      {kMIniLenientEntries, {"[s]", "just words  ", "=5"}, -1, {"[s]", "just words  ", "=5"}},
      {kMIniLenientEntries, {"[s]", "[s]"}, 1, {"[s]"}},  // 0x01 alone does not replace
      {kMIniLenientEntries | kMIniReplaceSections | kMIniReplaceEntries, {"k=v"}, 0, {"<missing>"}},
      {kMIniReplaceSections,
       {"[s]", "a=1", "; old", "[s] new", "words", "b=2"},
       -1,
       {"[s] new", "words", "b=2"}},
      {kMIniReplaceSections, {"[s]", "b=1", "b=2"}, 2, {"[s]", "b=1"}},  // entries still unique
      {kMIniReplaceEntries,
       {"[s]", "a=1", "; c", "b=2", "a =3"},
       -1,
       {"[s]", "; c", "b=2", "a =3"}},
      // Names are compared with all their bytes: a NUL inside one never makes it match another.
      {kMIniReplaceSections | kMIniReplaceEntries,
       {"[s]", "k=1", "[s\0]"s, "x=1", "[s\0]"s, "k\0=2"s, "k=3", "k\0=4"s},
       -1,
       {"[s]", "k=1"}},
  };
  for (const auto& c : cases) {
    MIniData doc;
    doc.SetOptions(c.options);
    EXPECT_EQ(c.failing, ParseLines(&doc, c.lines)) << c.lines.back();
    EXPECT_EQ(c.section_s, SectionLines(doc, "s")) << c.lines.back();
  }
  MIniData lenient;
  lenient.SetOptions(kMIniLenientEntries);
  ASSERT_EQ(-1, ParseLines(&lenient, {"[s]", "just words  ", "=5"}));
  EXPECT_EQ("just words  ", Raw(lenient, "s", "just words"));
  EXPECT_EQ("5", Raw(lenient, "s", ""));

  // Replacing scans the lines for the name; a lenient line without '=' stops that scan.
  ErrorContext context;
  MIniData blocked;
  blocked.SetOptions(kMIniLenientEntries | kMIniReplaceEntries);
  EXPECT_EQ(3, ParseLines(&blocked, {"[s]", "bare", "a=1", "a=2"}));
  EXPECT_EQ("Entry \"a\" deleting previous version failed", blocked.GetLastError());
  EXPECT_EQ((Lines{"MIniDataSectionT::DeleteEntry(): no '=' found in \"bare\"",
                   "MIniData::parse_line(): DeleteEntry() failed"}),
            context.Entries());
}

TEST(IniRead, TypedReadsSliceAndConvertTheRawValue) {
  MIniData doc;
  ASSERT_EQ(-1, ParseLines(&doc, {"[c]", "host = 10.0.0.1 ; lab", "n=4711abc", "empty=", "neg= -3",
                                  "big=99999999999", "small=-99999999999", "d= 1.5e2", "Port=1",
                                  "port=2"}));
  const struct {
    const char *section, *entry, *raw;
    bool long_ok;
    long long_value;
    bool double_ok;
    double double_value;
  } cases[] = {
      {"c", "host", " 10.0.0.1 ; lab", true, 10, true, 10.0},
      {"c", "n", "4711abc", true, 4711, true, 4711},
      {"c", "n \t", "4711abc", true, 4711, true, 4711},  // the name loses trailing blanks
      {"c", "empty", "", false, 0, false, 0},            // nothing converted: 0
      {"c", "neg", " -3", true, -3, true, -3},
      {"c", "big", "99999999999", true, 2147483647L, true, 99999999999.0},
      {"c", "small", "-99999999999", true, -2147483647L - 1, true, -99999999999.0},
      {"c", "d", " 1.5e2", true, 1, true, 150},
      {"c", "Port", "1", true, 1, true, 1},
      {"c", "port", "2", true, 2, true, 2},
      {"c", "absent", "<missing>", false, 99, false, 99},  // missing: untouched
      {"C", "host", "<missing>", false, 99, false, 99},
  };
  for (const auto& c : cases) {
    long n = 99;
    double d = 99;
    EXPECT_EQ(c.raw, Raw(doc, c.section, c.entry)) << c.entry;
    EXPECT_EQ(c.long_ok, doc.GetLongEntry(c.section, c.entry, &n)) << c.entry;
    EXPECT_EQ(c.long_value, n) << c.entry;
    EXPECT_EQ(c.double_ok, doc.GetDoubleEntry(c.section, c.entry, &d)) << c.entry;
    EXPECT_EQ(c.double_value, d) << c.entry;
  }
  EXPECT_FALSE(doc.HasEntry("c", "n \t"));
}

TEST(IniRead, LongLinesAndLargeSectionsInAnyOrderStayWholeSortedAndFindable) {
  MIniData doc;
  const std::string huge(300000, 'v');
  ASSERT_EQ(-1, ParseLines(&doc, {"[s]", "a=1", "big=" + huge, "b=2", "; " + huge, "c=3"}));
  EXPECT_EQ(huge, Raw(doc, "s", "big"));
  EXPECT_EQ((Lines{"[s]", "a=1", "big=" + huge, "b=2", "; " + huge, "c=3"}),
            SectionLines(doc, "s"));

  ASSERT_TRUE(doc.parse_line("[big]"));
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

TEST(IniEdit, SetReplacesOnlyTheValueOrAppendsAndRefusesCommentNames) {
  MIniData doc;
  ASSERT_EQ(-1, ParseLines(&doc, {"[net]", "port = 5 ; test", "; closing comment"}));
  const bool wide = sizeof(long) > 4;
  const long beyond = wide ? static_cast<long>(1LL << 40) : 7L;
  const struct {
    const char *section, *entry;
    bool is_long;
    double value;
    bool ok;
    const char* error;
  } cases[] = {
      {"net", "port", true, 7, true, ""},
      {"net", "retries  ", true, -12, true, ""},
      {"net", "ratio", false, 0.1, true, ""},
      {"n", "min", true, -2147483648.0, true, ""},
      {"n", "hi", true, static_cast<double>(beyond), true, ""},
      {"n", "lo", true, static_cast<double>(-beyond), true, ""},
      {"n", "a;b", true, 1, true, ""},  // only the first non-blank counts
      {"s", " ;x", true, 5, false, "cannot add comment as an entry: \" ;x=5\""},
      {"s", "#d", false, 2.5, false, "cannot add comment as an entry: \"#d=2.5\""},
      {"s", "\t*a", true, 1, false, "cannot add comment as an entry: \"\t*a=1\""},
  };
  ErrorContext context;
  for (const auto& c : cases) {
    const bool ok = c.is_long ? doc.SetLongEntry(c.section, c.entry, static_cast<long>(c.value))
                              : doc.SetDoubleEntry(c.section, c.entry, c.value);
    EXPECT_EQ(c.ok, ok) << c.entry;
    if (!c.ok) {
      EXPECT_EQ(c.error, doc.GetLastError());
    }
  }
  // "%ld" writes 32-bit numbers on every platform, clamping a wider long as reads clamp it;
  // "%.17g" reads back exactly.
  EXPECT_EQ(
      (Lines{"[net]", "port =7", "; closing comment", "retries=-12", "ratio=0.10000000000000001"}),
      SectionLines(doc, "net"));
  EXPECT_EQ((Lines{"[n]", "min=-2147483648", wide ? "hi=2147483647" : "hi=7",
                   wide ? "lo=-2147483648" : "lo=-7", "a;b=1"}),
            SectionLines(doc, "n"));
  EXPECT_EQ(nullptr, doc.GetSection("s"));
  const std::string prefix = "MIniDataT<struct MIniDataCaseSensitiveCompare>::";
  EXPECT_EQ((Lines{prefix + "SetLongEntry(): cannot add comment as an entry: \" ;x=5\"",
                   prefix + "SetDoubleEntry(): cannot add comment as an entry: \"#d=2.5\"",
                   prefix + "SetLongEntry(): cannot add comment as an entry: \"\t*a=1\""}),
            context.Entries());
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
  // open, new file, clean after each step; deletions through a section change the document
  // too, failed ones do not.
  const struct {
    const char* step;
    std::function<bool()> act;
    bool open, new_file, clean;
  } steps[] = {
      {"new", [] { return true; }, false, true, false},
      {"missing", [&] { return doc.Open(missing.c_str()); }, true, true, false},
      {"empty", [&] { return doc.Open(empty.c_str()); }, true, false, true},
      {"good", [&] { return doc.Open(good.c_str()); }, true, false, true},
      {"failed delete", [&] { return !doc.GetSection("b")->DeleteEntry("y"); }, true, false, true},
      {"delete", [&] { return doc.GetSection("b")->DeleteEntry("x"); }, true, false, false},
      {"reopen", [&] { return doc.Open(good.c_str()); }, true, false, true},
      {"set", [&] { return doc.SetLongEntry("a", "y", 3); }, true, false, false},
      {"close", [&] { return doc.Close(); }, false, true, false},
  };
  for (const auto& s : steps) {
    EXPECT_TRUE(s.act()) << s.step;
    EXPECT_EQ(s.open, doc.IsOpen()) << s.step;
    EXPECT_EQ(s.new_file, doc.IsNewFile()) << s.step;
    EXPECT_EQ(s.clean, doc.IsClean()) << s.step;
    if (std::string(s.step) == "good") {
      EXPECT_EQ((Lines{"; p"}), Texts(doc.prologue()));
      EXPECT_EQ("2", Raw(doc, "a", "y"));  // empty lines and NUL-led lines are dropped
    }
  }
  EXPECT_EQ("", doc.GetFileName());
  EXPECT_EQ(nullptr, doc.GetSection("a"));
  EXPECT_EQ(0u, doc.GetOptions());
}

TEST(IniFile, AFailedOpenKeepsTheLinesBeforeStaysClosedAndSaysWhy) {
  TempFolder folder;
  const std::string bad = folder.File("bad.ini");
  WriteBytes(bad, "[s]\r\na=1\r\nnot an entry\r\nb=2\r\n");
  ErrorContext context;
  MIniData doc;
  EXPECT_FALSE(doc.Open(bad.c_str()));
  EXPECT_FALSE(doc.IsOpen());
  EXPECT_FALSE(doc.IsNewFile());
  EXPECT_FALSE(doc.IsClean());
  EXPECT_EQ("No '=' found in \"not an entry\" in section [s]", doc.GetLastError());
  EXPECT_EQ("MIniData::Open(): parse_line(not an entry) failed", context.Entries().back());
  EXPECT_TRUE(doc.HasEntry("s", "a"));
  EXPECT_FALSE(doc.HasEntry("s", "b"));

  // A folder is no document, whether the system refuses to open it or to read it.
  context.Clear();
  EXPECT_FALSE(doc.Open(folder.path().c_str()));
  EXPECT_FALSE(doc.IsOpen());
  EXPECT_EQ(nullptr, doc.GetSection("s"));
  EXPECT_EQ("\"" + folder.path() + "\" is a folder, not a file", doc.GetLastError());
  EXPECT_EQ("MIniData::Open(): MFastFileReader::Open() failed", context.Entries().back());
}

// A read error is never taken for the end of the file, also when it comes right at a line end
// (there the reader's IsEOF alone would count it as the end). Each line is 256 bytes, so the
// first 8192-byte block ends at a line end.
TEST(IniFile, ReadErrorsFailTheOpenWhereverTheyHappen) {
  TempFolder folder;
  const std::string path = folder.File("long.ini");
  const struct {
    size_t header_blanks;
    int good_fills;
    const char* entry;
  } cases[] = {
      {251, 0, "MIniData::Open(): MFastFileReader::fill_buffer() failed"},
      {251, 1, "MIniData::Open(): MFastFileReader::fill_buffer() failed"},
      {252, 1, "MIniData::Open(): MFastFileReader::ReadLine() failed"},  // mid-line
  };
  for (const auto& c : cases) {
    std::string text = "[t]" + std::string(c.header_blanks, ' ') + "\r\n";
    for (int i = 10; i < 50; ++i)
      text += "k" + std::to_string(i) + "=" + std::string(250, 'v') + "\r\n";
    WriteBytes(path, text);
    ErrorContext context;
    diag::CapturingSink quiet;  // IsEOF's own error-log entry
    MIniData doc;
    fileio_testing::FailingReader reader(c.good_fills);
    EXPECT_FALSE(doc.Open(path.c_str(), &reader)) << c.good_fills;
    EXPECT_FALSE(doc.IsOpen());
    EXPECT_EQ("read error in \"" + path + "\"", doc.GetLastError());
    EXPECT_EQ(c.entry, context.Entries().back());
    ASSERT_TRUE(doc.Open(path.c_str()));
    EXPECT_TRUE(doc.HasEntry("t", "k49"));
  }
}

TEST(IniFile, ByteOrderMarks) {
  TempFolder folder;
  const std::string path = folder.File("bom.ini");
  const struct {
    std::string bytes;
    bool opens;
    std::string error;
  } cases[] = {
      {"\xEF\xBB\xBF[s]\r\nk=v\r\n", true, ""},
      // Only the first line's mark goes.
      {"\xEF\xBB\xBF\r\n\xEF\xBB\xBF[s]\r\n", false,
       "Possible entry \"\xEF\xBB\xBF[s]\" found before first section"},
      {std::string("\xFF\xFE[\0s\0]\0\r\n", 10), false, "UTF16/32 Unicode format not supported."},
      {std::string("\xFE\xFF\0[\0s\0]\r\n", 10), false, "UTF16/32 Unicode format not supported."},
      {std::string("\xFF\xFE\0\0[\0\0\0\r\n", 10), false, "UTF16/32 Unicode format not supported."},
      {std::string("\0\0\xFE\xFF\0\0\0[\r\n", 10), false, "UTF16/32 Unicode format not supported."},
      // A one-byte first line has no mark: it is an entry.
      {"\xFF\r\n[s]\r\n", false, "Possible entry \"\xFF\" found before first section"},
  };
  for (const auto& c : cases) {
    WriteBytes(path, c.bytes);
    ErrorContext context;
    MIniData doc;
    EXPECT_EQ(c.opens, doc.Open(path.c_str())) << c.error;
    EXPECT_EQ(c.opens ? "v" : "<missing>", Raw(doc, "s", "k"));
    if (c.opens)
      continue;
    EXPECT_EQ(c.error, doc.GetLastError());
    if (c.error[0] == 'U') {
      EXPECT_EQ((Lines{"MIniData::Open(\"" + path + "\"): UTF16/32 Unicode format not supported"}),
                context.Entries());
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
    ASSERT_TRUE(doc.Open(path.c_str()));
    ASSERT_TRUE(doc.SetLongEntry("a", "n", 2));
    ASSERT_TRUE(doc.Save()) << options;
    EXPECT_TRUE(doc.IsClean());
    EXPECT_EQ("[a]\r\nn=2\r\n", ReadBytes(path));
    EXPECT_EQ(options & kMIniSaveViaTemp ? "[a]\r\nn=1\r\n" : "[a]\r\nn=2\r\n",
              ReadBytes(folder.File("link.ini")))
        << options;
    Lines names = folder.Names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ((Lines{"link.ini", "settings.ini"}), names) << "no temporary file is left";
  }

  TempFolder folder;
  const std::string path = folder.File("no_such_folder/x.ini");
  ErrorContext context;
  MIniData doc;
  ASSERT_TRUE(doc.Open(path.c_str()));
  ASSERT_TRUE(doc.SetLongEntry("s", "k", 1));
  EXPECT_FALSE(doc.Save());
  EXPECT_TRUE(doc.IsNewFile());
  EXPECT_FALSE(doc.IsClean());
  EXPECT_EQ("MIniData::Save(): MFastFile_WriteLinesAtOnce(\"" + path.substr(0, 40) + "\") failed",
            context.Entries().back());
  ASSERT_TRUE(doc.Open(folder.File("new.ini").c_str()));
  ASSERT_TRUE(doc.SetLongEntry("s", "k", 1));
  ASSERT_TRUE(doc.Save());
  EXPECT_FALSE(doc.IsNewFile());
  EXPECT_TRUE(doc.IsOpen());
}
