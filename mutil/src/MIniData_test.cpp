// Tests of the INI document: line classification, parse errors (verbatim), the parser options,
// typed reads, edits and deletions, Open's states and byte-order marks, and Save's output.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "MIniData_template_core.h"
#include "diag_testing.h"
#include "fileio_testing.h"
#include "fileops.h"

using fileio_testing::ErrorContext;
using fileio_testing::ReadBytes;
using fileio_testing::TempFolder;
using fileio_testing::WriteBytes;

namespace {

// Feeds lines to parse_line until one fails; returns the index of the failing line or -1.
int ParseLines(MIniData* doc, const std::vector<std::string>& lines) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (!doc->parse_line(lines[i]))
      return static_cast<int>(i);
  return -1;
}

std::vector<std::string> Texts(const std::vector<MIniDataLine*>& lines) {
  std::vector<std::string> texts;
  for (const MIniDataLine* line : lines)
    texts.emplace_back(line->text());
  return texts;
}

std::string Raw(const MIniData& doc, const char* section, const char* entry) {
  std::string value = "<missing>";
  doc.GetStringEntry(section, entry, &value);
  return value;
}

using Lines = std::vector<std::string>;
using namespace std::string_literals;

}  // namespace

TEST(IniParse, LinesLandInPrologueOrInTheCurrentSection) {
  MIniData doc;
  ASSERT_EQ(-1, ParseLines(&doc, {"  ; indented", "# first", "   ", "[s]", "key = value ; c",
                                  "\t// note", "*x", "  ", "other=1"}));
  EXPECT_EQ((Lines{"  ; indented", "# first", "   "}), Texts(doc.prologue()));
  const MIniDataSection* s = doc.GetSection("s");
  ASSERT_NE(nullptr, s);
  EXPECT_EQ((Lines{"[s]", "key = value ; c", "\t// note", "*x", "  ", "other=1"}),
            Texts(s->lines()));
  EXPECT_EQ(s, s->lines()[0]);  // the header line is the section object itself
  // The name loses trailing blanks only; the raw value keeps its blanks and comment.
  EXPECT_EQ(" value ; c", Raw(doc, "s", "key"));
  EXPECT_TRUE(doc.HasEntry("s", "key"));
  EXPECT_FALSE(doc.HasEntry("s", "key "));
}

TEST(IniParse, HeaderNamesAreTheBracketedTextUnchanged) {
  MIniData doc;
  ASSERT_EQ(-1, ParseLines(&doc, {"[ a ]", "[]", "[x] trailing ] text", "[A]", "[a]"}));
  std::vector<std::string> names{"stale"};
  doc.GetSectionNames(&names);
  EXPECT_EQ((Lines{"", " a ", "A", "a", "x"}), names);
  EXPECT_EQ(nullptr, doc.GetSection("a "));
  ASSERT_NE(nullptr, doc.GetSection("x"));
  EXPECT_EQ("[x] trailing ] text", doc.GetSection("x")->text());
}

TEST(IniParse, FailuresGiveTheirTextAndTraceEntry) {
  struct Case {
    Lines lines;
    std::string error;
  };
  const std::string long_line(80, 'z');
  const std::vector<Case> cases = {
      {{"["}, "no matching ']' found in \"[\""},
      {{"[open"}, "no matching ']' found in \"[open\""},
      {{"[" + long_line}, "no matching ']' found in \"[" + long_line.substr(0, 49) + "\""},
      {{"[s]", "[s]"}, "Section [s] seen twice"},
      {{"k=v"}, "Possible entry \"k=v\" found before first section"},
      {{"  [h]"}, "Possible entry \"  [h]\" found before first section"},
      {{"[s] x", "  [h]"}, "No '=' found in \"  [h]\" in section [s] x"},
      {{"[s]", "letters"}, "No '=' found in \"letters\" in section [s]"},
      {{"[s]", long_line}, "No '=' found in \"" + long_line.substr(0, 50) + "\" in section [s]"},
      {{"[s]", "=5"}, "No entry name found before '=' in \"=5\" in section [s]"},
      {{"[s]", "  = 5"}, "No entry name found before '=' in \"  = 5\" in section [s]"},
      {{"[s]", "a=1", "a = 2"}, "Entry \"a\" seen twice in section [s]"},
      // The last error holds at most 1023 characters.
      {{std::string(2000, 'p')}, ("Possible entry \"" + std::string(2000, 'p')).substr(0, 1023)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines.back());
    ErrorContext context;
    MIniData doc;
    EXPECT_EQ(static_cast<int>(c.lines.size()) - 1, ParseLines(&doc, c.lines));
    EXPECT_EQ(c.error, doc.GetLastError());
    EXPECT_EQ((Lines{"MIniData::parse_line(): " + c.error.substr(0, 70)}), context.Entries());
  }
}

TEST(IniParse, OptionsAcceptLenientLinesAndReplaceRepeats) {
  MIniData lenient;
  lenient.SetOptions(kMIniLenientEntries);
  ASSERT_EQ(-1, ParseLines(&lenient, {"[s]", "just words  ", "=5"}));
  EXPECT_EQ("just words  ", Raw(lenient, "s", "just words"));  // value offset 0: whole line
  EXPECT_EQ("5", Raw(lenient, "s", ""));
  EXPECT_EQ(1, ParseLines(&lenient, {"[t]", "[t]"}));  // 0x01 alone does not replace sections
  MIniData before_section;
  before_section.SetOptions(kMIniLenientEntries | kMIniReplaceSections | kMIniReplaceEntries);
  EXPECT_EQ(0, ParseLines(&before_section, {"k=v"}));
  EXPECT_EQ("Possible entry \"k=v\" found before first section", before_section.GetLastError());

  MIniData sections;
  sections.SetOptions(kMIniReplaceSections);
  ASSERT_EQ(-1, ParseLines(&sections, {"[s]", "a=1", "; old", "[s] new", "words", "b=2"}));
  EXPECT_EQ((Lines{"[s] new", "words", "b=2"}), Texts(sections.GetSection("s")->lines()));
  EXPECT_FALSE(sections.HasEntry("s", "a"));
  EXPECT_EQ(2, ParseLines(&sections, {"[s]", "b=1", "b=2"}));  // entries still unique

  // Names are compared with all their bytes: a NUL inside one never makes it match another.
  TempFolder folder;
  const std::string path = folder.File("zero_bytes.ini");
  MIniData nul;
  ASSERT_TRUE(nul.Open(path.c_str()));
  nul.SetOptions(kMIniReplaceSections | kMIniReplaceEntries);
  ASSERT_EQ(-1,
            ParseLines(&nul, {"[a]", "k=1", "[a\0]"s, "x=1", "[a\0]"s, "k\0=2"s, "k=3", "k\0=4"s}));
  std::vector<std::string> names;
  nul.GetSectionNames(&names);
  EXPECT_EQ((Lines{"a", "a\0"s}), names);
  EXPECT_EQ((Lines{"[a]", "k=1"}), Texts(nul.GetSection("a")->lines()));
  ASSERT_TRUE(nul.Save());
  EXPECT_EQ("[a]\r\nk=1\r\n[a\0]\r\nk=3\r\nk\0=4\r\n"s, ReadBytes(path));

  MIniData entries;
  entries.SetOptions(kMIniReplaceEntries);
  ASSERT_EQ(-1, ParseLines(&entries, {"[s]", "a=1", "; c", "b=2", "a =3"}));
  EXPECT_EQ((Lines{"[s]", "; c", "b=2", "a =3"}), Texts(entries.GetSection("s")->lines()));
  EXPECT_EQ("3", Raw(entries, "s", "a"));

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
                                  "big=99999999999", "small=-99999999999", "d= 1.5e2", "word=abc",
                                  "Port=1", "port=2"}));
  EXPECT_EQ(" 10.0.0.1 ; lab", Raw(doc, "c", "host"));
  EXPECT_EQ("", Raw(doc, "c", "empty"));
  EXPECT_EQ("<missing>", Raw(doc, "c", "nothing"));
  EXPECT_EQ("<missing>", Raw(doc, "C", "host"));

  long n = 99;
  EXPECT_TRUE(doc.GetLongEntry("c", "n", &n));
  EXPECT_EQ(4711, n);
  EXPECT_TRUE(doc.GetLongEntry("c", "n \t", &n));  // trailing blanks of the name are dropped
  EXPECT_FALSE(doc.HasEntry("c", "n \t"));
  EXPECT_TRUE(doc.GetLongEntry("c", "neg", &n));
  EXPECT_EQ(-3, n);
  EXPECT_TRUE(doc.GetLongEntry("c", "big", &n));
  EXPECT_EQ(2147483647L, n);
  EXPECT_TRUE(doc.GetLongEntry("c", "small", &n));
  EXPECT_EQ(-2147483647L - 1, n);
  EXPECT_FALSE(doc.GetLongEntry("c", "empty", &n));
  EXPECT_EQ(0, n);
  n = 99;
  EXPECT_FALSE(doc.GetLongEntry("c", "absent", &n));
  EXPECT_EQ(99, n);
  EXPECT_TRUE(doc.GetLongEntry("c", "Port", &n));
  EXPECT_EQ(1, n);
  EXPECT_TRUE(doc.GetLongEntry("c", "port", &n));
  EXPECT_EQ(2, n);

  double d = 7;
  EXPECT_TRUE(doc.GetDoubleEntry("c", "d", &d));
  EXPECT_EQ(150.0, d);
  EXPECT_FALSE(doc.GetDoubleEntry("c", "word", &d));
  EXPECT_EQ(0.0, d);
  d = 7;
  EXPECT_FALSE(doc.GetDoubleEntry("x", "d", &d));
  EXPECT_EQ(7.0, d);
}

TEST(IniRead, LongLinesAreKeptWholeBesideShortOnes) {
  MIniData doc;
  const std::string huge(300000, 'v');
  ASSERT_EQ(-1, ParseLines(&doc, {"[s]", "a=1", "big=" + huge, "b=2", "; " + huge, "c=3"}));
  EXPECT_EQ(huge, Raw(doc, "s", "big"));
  EXPECT_EQ("; " + huge, doc.GetSection("s")->lines()[4]->text());
  long value = 0;
  for (const char* name : {"a", "b", "c"})
    EXPECT_TRUE(doc.GetLongEntry("s", name, &value)) << name;
  EXPECT_EQ(3, value);
}

TEST(IniRead, NameListsAreByteWiseSorted) {
  MIniData doc;
  ASSERT_EQ(-1, ParseLines(&doc, {"[b]", "z=1", "Z=2", "a=3", "ab=4", "a b=5", "[B]", "[a]"}));
  std::vector<std::string> names{"stale"};
  doc.GetSectionNames(&names);
  EXPECT_EQ((Lines{"B", "a", "b"}), names);
  doc.GetEntryNames("b", &names);
  EXPECT_EQ((Lines{"Z", "a", "a b", "ab", "z"}), names);
  doc.GetEntryNames("missing", &names);
  EXPECT_TRUE(names.empty());
}

TEST(IniRead, LargeSectionsInAnyOrderStaySortedAndFindable) {
  MIniData doc;
  ASSERT_TRUE(doc.parse_line("[big]"));
  const int count = static_cast<int>(MIniDataEntryIndex::kMaxVectorSize) * 3;
  std::vector<std::string> expected;
  for (int i = count; i > 0; --i) {  // descending: every insert lands in front
    const std::string name = "k" + std::to_string(i * 7919 % 10007);
    ASSERT_TRUE(doc.parse_line(name + "=" + std::to_string(i))) << name;
    expected.push_back(name);
  }
  std::sort(expected.begin(), expected.end());
  std::vector<std::string> names;
  doc.GetEntryNames("big", &names);
  EXPECT_EQ(expected, names);
  long value = 0;
  EXPECT_TRUE(doc.GetLongEntry("big", ("k" + std::to_string(5 * 7919 % 10007)).c_str(), &value));
  EXPECT_EQ(5, value);
  EXPECT_FALSE(doc.parse_line(expected.front() + "=again"));
  EXPECT_EQ("Entry \"" + expected.front() + "\" seen twice in section [big]", doc.GetLastError());
  ASSERT_TRUE(doc.GetSection("big")->DeleteEntry(expected.front().c_str()));
  EXPECT_FALSE(doc.HasEntry("big", expected.front().c_str()));
  EXPECT_TRUE(doc.HasEntry("big", expected.back().c_str()));
}

TEST(IniEdit, SettingAValueKeepsTheNameAndAppendsNewEntries) {
  MIniData doc;
  ASSERT_EQ(-1, ParseLines(&doc, {"[net]", "port = 5 ; test", "; closing comment"}));
  EXPECT_FALSE(doc.IsClean());
  ASSERT_TRUE(doc.SetLongEntry("net", "port", 7));
  ASSERT_TRUE(doc.SetLongEntry("net", "retries  ", -12));
  ASSERT_TRUE(doc.SetDoubleEntry("net", "ratio", 0.1));
  ASSERT_TRUE(doc.SetDoubleEntry("busy_thread", "duration", 120));
  ASSERT_TRUE(doc.SetDoubleEntry("busy_thread", "duration", 2.5));
  EXPECT_EQ(
      (Lines{"[net]", "port =7", "; closing comment", "retries=-12", "ratio=0.10000000000000001"}),
      Texts(doc.GetSection("net")->lines()));
  EXPECT_EQ((Lines{"[busy_thread]", "duration=2.5"}),
            Texts(doc.GetSection("busy_thread")->lines()));
  long value = 0;
  EXPECT_TRUE(doc.GetLongEntry("net", "retries", &value));
  EXPECT_EQ(-12, value);
  double ratio = 0;
  EXPECT_TRUE(doc.GetDoubleEntry("net", "ratio", &ratio));
  EXPECT_EQ(0.1, ratio);  // %.17g reads back exactly

  // "%ld" writes 32-bit numbers on every platform; where long is wider, values beyond that range
  // are clamped as reads clamp them.
  ASSERT_TRUE(doc.SetLongEntry("n", "min", -2147483647L - 1));
  long long beyond = 1LL << 40;
  ASSERT_TRUE(doc.SetLongEntry("n", "hi", sizeof(long) > 4 ? static_cast<long>(beyond) : 7L));
  ASSERT_TRUE(doc.SetLongEntry("n", "lo", sizeof(long) > 4 ? static_cast<long>(-beyond) : -7L));
  const Lines expected_wide{"[n]", "min=-2147483648", "hi=2147483647", "lo=-2147483648"};
  const Lines expected_narrow{"[n]", "min=-2147483648", "hi=7", "lo=-7"};
  EXPECT_EQ(sizeof(long) > 4 ? expected_wide : expected_narrow,
            Texts(doc.GetSection("n")->lines()));
}

TEST(IniEdit, CommentNamesAreRefusedAndChangeNothing) {
  MIniData doc;
  ErrorContext context;
  EXPECT_FALSE(doc.SetLongEntry("s", " ;x", 5));
  EXPECT_EQ("cannot add comment as an entry: \" ;x=5\"", doc.GetLastError());
  EXPECT_FALSE(doc.SetDoubleEntry("s", "#d", 2.5));
  EXPECT_EQ("cannot add comment as an entry: \"#d=2.5\"", doc.GetLastError());
  EXPECT_EQ((Lines{"MIniDataT<struct MIniDataCaseSensitiveCompare>::SetLongEntry(): cannot add "
                   "comment as an entry: \" ;x=5\"",
                   "MIniDataT<struct MIniDataCaseSensitiveCompare>::SetDoubleEntry(): cannot add "
                   "comment as an entry: \"#d=2.5\""}),
            context.Entries());
  EXPECT_EQ(nullptr, doc.GetSection("s"));
  for (const char* name : {"*a", "/a", "\t;a"})
    EXPECT_FALSE(doc.SetLongEntry("s", name, 1)) << name;
  EXPECT_TRUE(doc.SetLongEntry("s", "a;b", 1));  // only the first non-blank counts
}

TEST(IniEdit, DeletionsRemoveLinesOrExplainWhyNot) {
  ErrorContext context;
  MIniData doc;
  doc.SetOptions(kMIniLenientEntries);
  ASSERT_EQ(-1, ParseLines(&doc, {"[s]", "a=1", "# c", "b = 2", "[t]", "=x", "k=1", "[u]", "bare",
                                  "k=1"}));
  MIniDataSection* s = doc.GetSection("s");
  ASSERT_TRUE(s->DeleteEntry("b"));
  EXPECT_EQ((Lines{"[s]", "a=1", "# c"}), Texts(s->lines()));
  EXPECT_FALSE(s->DeleteEntry("b"));
  EXPECT_FALSE(doc.GetSection("t")->DeleteEntry("k"));
  EXPECT_FALSE(doc.GetSection("u")->DeleteEntry("k"));
  EXPECT_FALSE(doc.DeleteSection("nope"));
  EXPECT_EQ((Lines{"MIniDataSectionT::DeleteEntry(): entry \"b\" not found in entry_map",
                   "MIniDataSectionT::DeleteEntry(): no entry name in \"=x\"",
                   "MIniDataSectionT::DeleteEntry(): no '=' found in \"bare\"",
                   "MIniData::DeleteSection(): section \"nope\" not found"}),
            context.Entries());
  EXPECT_EQ((Lines{"[u]", "bare", "k=1"}), Texts(doc.GetSection("u")->lines()));

  ASSERT_TRUE(doc.DeleteSection("t"));
  EXPECT_EQ(nullptr, doc.GetSection("t"));
  EXPECT_FALSE(doc.IsClean());
  // The section being filled was deleted: a following body line has no section.
  ASSERT_TRUE(doc.DeleteSection("u"));
  EXPECT_FALSE(doc.parse_line("k=2"));
  EXPECT_EQ("Possible entry \"k=2\" found before first section", doc.GetLastError());
}

TEST(IniEdit, AnEntryNameTheScanCannotSeeIsNotFoundInTheLines) {
  ErrorContext context;
  MIniData doc;
  ASSERT_TRUE(doc.SetLongEntry("s", " lead", 1));  // stored under " lead", scanned as "lead"
  EXPECT_TRUE(doc.HasEntry("s", " lead"));
  EXPECT_FALSE(doc.GetSection("s")->DeleteEntry(" lead"));
  EXPECT_EQ((Lines{"MIniDataSectionT::DeleteEntry(): entry \" lead\" not found in line_vec"}),
            context.Entries());
  EXPECT_TRUE(doc.HasEntry("s", " lead"));
}

TEST(IniFile, OpenSetsTheStateFlags) {
  TempFolder folder;
  MIniData doc;
  EXPECT_FALSE(doc.IsOpen());
  EXPECT_TRUE(doc.IsNewFile());
  EXPECT_FALSE(doc.IsClean());
  EXPECT_EQ(0u, doc.GetOptions());

  const std::string missing = folder.File("missing.ini");
  ASSERT_TRUE(doc.Open(missing.c_str()));
  EXPECT_TRUE(doc.IsOpen());
  EXPECT_TRUE(doc.IsNewFile());
  EXPECT_FALSE(doc.IsClean());
  EXPECT_EQ(missing, doc.GetFileName());

  const std::string empty = folder.File("empty.ini");
  WriteBytes(empty, "");
  ASSERT_TRUE(doc.Open(empty.c_str()));
  EXPECT_TRUE(doc.IsOpen());
  EXPECT_FALSE(doc.IsNewFile());
  EXPECT_TRUE(doc.IsClean());

  const std::string good = folder.File("good.ini");
  WriteBytes(good, "; p\r\n\r\n[b]\nx=1\r[a]\r\n\0ignored\r\ny=2"s);
  ASSERT_TRUE(doc.Open(good.c_str()));
  EXPECT_TRUE(doc.IsOpen());
  EXPECT_TRUE(doc.IsClean());
  EXPECT_EQ((Lines{"; p"}), Texts(doc.prologue()));
  EXPECT_EQ("2", Raw(doc, "a", "y"));
  // Deleting through a section changes the document too, so a settings reader saves it; a
  // deletion that fails changes nothing.
  EXPECT_FALSE(doc.GetSection("b")->DeleteEntry("y"));
  EXPECT_TRUE(doc.IsClean());
  ASSERT_TRUE(doc.GetSection("b")->DeleteEntry("x"));
  EXPECT_FALSE(doc.IsClean());
  ASSERT_TRUE(doc.Open(good.c_str()));
  ASSERT_TRUE(doc.SetLongEntry("a", "y", 3));
  EXPECT_FALSE(doc.IsClean());

  ASSERT_TRUE(doc.Close());
  EXPECT_FALSE(doc.IsOpen());
  EXPECT_TRUE(doc.IsNewFile());
  EXPECT_FALSE(doc.IsClean());  // Close leaves clean as it was
  EXPECT_EQ("", doc.GetFileName());
  EXPECT_EQ(nullptr, doc.GetSection("a"));
}

TEST(IniFile, AFailedOpenKeepsTheLinesBeforeAndStaysClosed) {
  TempFolder folder;
  const std::string path = folder.File("bad.ini");
  WriteBytes(path, "[s]\r\na=1\r\nnot an entry\r\nb=2\r\n");
  ErrorContext context;
  MIniData doc;
  EXPECT_FALSE(doc.Open(path.c_str()));
  EXPECT_FALSE(doc.IsOpen());
  EXPECT_FALSE(doc.IsNewFile());
  EXPECT_FALSE(doc.IsClean());
  EXPECT_EQ("No '=' found in \"not an entry\" in section [s]", doc.GetLastError());
  EXPECT_EQ((Lines{"MIniData::parse_line(): No '=' found in \"not an entry\" in section [s]",
                   "MIniData::Open(): parse_line(not an entry) failed"}),
            context.Entries());
  EXPECT_TRUE(doc.HasEntry("s", "a"));
  EXPECT_FALSE(doc.HasEntry("s", "b"));

  // A path that exists but cannot be read as a file (a folder) never looks like a complete
  // document: Windows refuses to open it, POSIX refuses to read it.
  context.Clear();
  diag::CapturingSink quiet;  // the reader's own error-log entry stays out of the test output
  EXPECT_FALSE(doc.Open(folder.path().c_str()));
  EXPECT_FALSE(doc.IsOpen());
  EXPECT_EQ(nullptr, doc.GetSection("s"));
  const std::vector<std::string> entries = context.Entries();
  ASSERT_FALSE(entries.empty());
  EXPECT_TRUE(entries.back() == "MIniData::Open(): MFastFileReader::Open() failed" ||
              entries.back() == "MIniData::Open(): MFastFileReader::fill_buffer() failed")
      << entries.back();

  // A file that opens but fails its first read (a process's own memory file reads address 0):
  // the reader's end-of-file check takes the error for the end, and the Open still fails rather
  // than passing off an empty document as the complete, clean file.
  const char* unreadable = "/proc/self/mem";
  if (file_exists(unreadable)) {
    context.Clear();
    EXPECT_FALSE(doc.Open(unreadable));
    EXPECT_FALSE(doc.IsOpen());
    EXPECT_FALSE(doc.IsClean());
    ASSERT_FALSE(context.Entries().empty());
  }
}

TEST(IniFile, ByteOrderMarks) {
  TempFolder folder;
  const std::string path = folder.File("bom.ini");
  WriteBytes(path, "\xEF\xBB\xBF[s]\r\nk=v\r\n");
  MIniData doc;
  ASSERT_TRUE(doc.Open(path.c_str()));
  EXPECT_EQ("v", Raw(doc, "s", "k"));
  WriteBytes(path, "\xEF\xBB\xBF\r\n\xEF\xBB\xBF[s]\r\n");  // only the first line's mark goes
  EXPECT_FALSE(doc.Open(path.c_str()));
  EXPECT_EQ("Possible entry \"\xEF\xBB\xBF[s]\" found before first section", doc.GetLastError());

  const std::vector<std::string> refused = {
      std::string("\xFF\xFE[\0s\0]\0", 8), std::string("\xFE\xFF\0[\0s\0]", 8),
      std::string("\xFF\xFE\0\0[\0\0\0", 8), std::string("\0\0\xFE\xFF\0\0\0[", 8)};
  for (const std::string& bytes : refused) {
    ErrorContext context;
    WriteBytes(path, bytes + "\r\n");
    EXPECT_FALSE(doc.Open(path.c_str()));
    EXPECT_FALSE(doc.IsOpen());
    EXPECT_EQ("UTF16/32 Unicode format not supported.", doc.GetLastError());
    EXPECT_EQ((Lines{"MIniData::Open(\"" + path + "\"): UTF16/32 Unicode format not supported"}),
              context.Entries());
  }
  WriteBytes(path, "\xFF\r\n[s]\r\n");  // a one-byte first line has no mark: it is an entry
  EXPECT_FALSE(doc.Open(path.c_str()));
  EXPECT_EQ("Possible entry \"\xFF\" found before first section", doc.GetLastError());
}

TEST(IniFile, SaveWritesSortedSectionsWithCrLfAndSetsTheFlags) {
  TempFolder folder;
  const std::string path = folder.File("settings.ini");
  MIniData doc;
  ASSERT_TRUE(doc.Open(path.c_str()));
  ASSERT_TRUE(doc.SetDoubleEntry("busy_thread", "duration", 120));
  ASSERT_TRUE(doc.Save());
  EXPECT_EQ("[busy_thread]\r\nduration=120\r\n", ReadBytes(path));
  EXPECT_FALSE(doc.IsNewFile());
  EXPECT_TRUE(doc.IsClean());
  EXPECT_TRUE(doc.IsOpen());

  for (uint32_t options : {0x08u, 0x10u, 0x18u}) {
    MIniData other;
    other.SetOptions(options);
    ASSERT_TRUE(other.Open(path.c_str()));
    ASSERT_TRUE(other.SetLongEntry("a", "n", static_cast<long>(options)));
    ASSERT_TRUE(other.Save()) << options;
    EXPECT_EQ("[a]\r\nn=" + std::to_string(options) + "\r\n[busy_thread]\r\nduration=120\r\n",
              ReadBytes(path));
    ASSERT_TRUE(other.DeleteSection("a"));
    ASSERT_TRUE(other.Save());
  }
  EXPECT_EQ((std::vector<std::string>{"settings.ini"}), folder.Names());  // no temporary left
}

TEST(IniFile, ASaveThatCannotWriteLeavesTheFlags) {
  TempFolder folder;
  const std::string path = folder.File("no_such_folder/x.ini");
  ErrorContext context;
  MIniData doc;
  ASSERT_TRUE(doc.Open(path.c_str()));
  ASSERT_TRUE(doc.SetLongEntry("s", "k", 1));
  EXPECT_FALSE(doc.Save());
  EXPECT_TRUE(doc.IsNewFile());
  EXPECT_FALSE(doc.IsClean());
  const std::vector<std::string> entries = context.Entries();
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ("MIniData::Save(): MFastFile_WriteLinesAtOnce(\"" + path.substr(0, 40) + "\") failed",
            entries.back());
}
