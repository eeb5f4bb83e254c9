// Golden-file tests of the INI document. A file from testdata/ is read, optionally edited, saved
// into a scratch folder, and the bytes written must equal the matching ".golden" file exactly
// (the only checks of the saved bytes). And the cases of testdata/parse_cases.ini are parsed
// line by line; what each leaves (outcome and last error, error-trace entries, prologue, section
// lines, every entry read as text, long and double) must equal its part of parse_cases.golden.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "MIniData_template_core.h"
#include "fileio_testing.h"

using fileio_testing::ReadBytes;

namespace {

std::string TestData(const std::string& name) {
  return fileio_testing::SourceFile("mutil/src/testdata/" + name);
}

// Copies `<name>.ini` into a scratch folder, opens it with `options`, applies `edit`, saves, and
// returns what was written next to the golden bytes.
void ExpectGolden(const std::string& name, uint32_t options,
                  const std::function<void(MIniData*)>& edit) {
  fileio_testing::TempFolder folder;
  const std::string path = folder.File(name + ".ini");
  fileio_testing::WriteBytes(path, ReadBytes(TestData(name + ".ini")));
  MIniData doc;
  doc.SetOptions(options);
  ASSERT_TRUE(doc.Open(path.c_str())) << doc.GetLastError();
  EXPECT_TRUE(doc.IsClean());
  edit(&doc);
  ASSERT_TRUE(doc.Save());
  const std::string golden = ReadBytes(TestData(name + ".golden"));
  ASSERT_FALSE(golden.empty()) << name;
  EXPECT_EQ(golden, ReadBytes(path)) << name;
}

const auto kUnchanged = [](MIniData*) {};

// What parsing `lines` under `options` leaves, one fact a line.
std::string Parsed(uint32_t options, const std::vector<std::string>& lines) {
  fileio_testing::ErrorContext context;
  MIniData doc;
  doc.SetOptions(options);
  size_t parsed = 0;
  while (parsed < lines.size() && doc.parse_line(lines[parsed]))
    ++parsed;
  std::ostringstream out;
  out << (parsed == lines.size() ? "parsed" : "line " + std::to_string(parsed + 1) + " failed: ")
      << (parsed == lines.size() ? "" : doc.GetLastError()) << "\n";
  for (const std::string& entry : context.Entries())
    out << "trace: " << entry << "\n";
  for (const MIniDataLine* line : doc.prologue())
    out << "prologue: " << line->text() << "\n";
  std::vector<std::string> sections, entries;
  doc.GetSectionNames(&sections);
  for (const std::string& section : sections) {
    for (const MIniDataLine* line : doc.GetSection(section.c_str())->lines())
      out << "[" << section << "]: " << line->text() << "\n";
    doc.GetEntryNames(section.c_str(), &entries);
    for (const std::string& entry : entries) {
      std::string raw;
      long number = 0;
      double real = 0;
      doc.GetStringEntry(section.c_str(), entry.c_str(), &raw);
      const bool is_long = doc.GetLongEntry(section.c_str(), entry.c_str(), &number);
      const bool is_double = doc.GetDoubleEntry(section.c_str(), entry.c_str(), &real);
      out << "  \"" << entry << "\" = \"" << raw << "\" long " << (is_long ? "" : "none ") << number
          << " double " << (is_double ? "" : "none ") << real << "\n";
    }
  }
  return out.str();
}

// The cases of a file of "=== title" lines, each with the lines that follow it.
std::vector<std::pair<std::string, std::vector<std::string>>> Cases(const std::string& name) {
  std::vector<std::pair<std::string, std::vector<std::string>>> cases;
  std::istringstream in(ReadBytes(TestData(name)));
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("=== ", 0) == 0)
      cases.emplace_back(line.substr(4), std::vector<std::string>());
    else if (!cases.empty())
      cases.back().second.push_back(line);
  }
  return cases;
}

}  // namespace

TEST(IniGolden, ParseCasesLeaveWhatTheirGoldenPartSays) {
  const auto cases = Cases("parse_cases.ini"), golden = Cases("parse_cases.golden");
  ASSERT_EQ(cases.size(), golden.size());
  for (size_t i = 0; i < cases.size(); ++i) {
    std::string expected;
    for (const std::string& line : golden[i].second)
      expected += line + "\n";
    EXPECT_EQ(cases[i].first, golden[i].first);
    EXPECT_EQ(expected, Parsed(std::stoul(cases[i].first, nullptr, 16), cases[i].second))
        << cases[i].first;
  }
}

TEST(IniGolden, UnchangedDocumentsSaveBackUnderTheFormatRules) {
  // Mark and empty lines go, line ends become CR LF, sections come out sorted; all else stays,
  // NUL bytes inside a line included.
  ExpectGolden("roundtrip_update", 0, kUnchanged);
  // A file already in saved form is written back byte for byte.
  EXPECT_EQ(ReadBytes(TestData("canonical_settings.ini")),
            ReadBytes(TestData("canonical_settings.golden")));
  ExpectGolden("canonical_settings", 0, kUnchanged);
}

TEST(IniGolden, EditedDocumentsMatchTheirExpectedFiles) {
  ExpectGolden("edit_settings", 0, [](MIniData* doc) {
    ASSERT_TRUE(doc->SetLongEntry("connection", "port", 4171));
    ASSERT_TRUE(doc->SetLongEntry("connection", "retries", 3));
    ASSERT_TRUE(doc->SetDoubleEntry("busy_thread", "duration", 0.1));
    ASSERT_TRUE(doc->GetSection("busy_thread")->DeleteEntry("old_entry"));
    ASSERT_TRUE(doc->SetLongEntry("common", "mtrace_level", -4));
    ASSERT_TRUE(doc->DeleteSection("obsolete"));
    EXPECT_FALSE(doc->IsClean());
  });
}

TEST(IniGolden, ReplacingOptionsKeepOnlyTheLastSectionAndEntry) {
  ExpectGolden("replace_options", kMIniReplaceSections | kMIniReplaceEntries, kUnchanged);
  // Without the options the same file is refused at its first repeat.
  MIniData strict;
  EXPECT_FALSE(strict.Open(TestData("replace_options.ini").c_str()));
  EXPECT_EQ("Entry \"x\" seen twice in section [a]", strict.GetLastError());
}
