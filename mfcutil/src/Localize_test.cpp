// Text tables: language and "~~" fallbacks, value cleaning, lookup rules, file-name resolution,
// failure reporting, and the shipped component_updater.loc.
#include "Localize.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "diag_testing.h"
#include "errtrace.h"
#include "loc_test_support.h"

namespace {

using loc_test::DataPath;
using loc_test::TempLocFile;

std::string T(const CLocalize& table, const std::string& key) {
  return table.Translate(key);
}

// Table file names are lower-cased (a path under Wine starts with "Z:").
std::string Lowered(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return text;
}

TEST(CLocalize, ChoosesTheLanguageWithoutRegardToCaseAndFallsBackToEnglishAndMarkers) {
  const std::string path = DataPath("languages.loc");
  CLocalize de("de", path, nullptr, "");
  CLocalize upper("DE", path, nullptr, "");
  CLocalize fr("fr", path, nullptr, "");
  CLocalize en("en", path, nullptr, "");
  EXPECT_EQ("", de.error_text());
  EXPECT_EQ("Fehler", T(de, "Error.txt"));
  EXPECT_EQ("Fehler", T(upper, "Error.txt"));
  EXPECT_EQ("Error", T(fr, "Error.txt"));
  EXPECT_EQ("gemischt", T(de, "Mixed case.txt"));  // entry written De
  EXPECT_EQ("mixed", T(en, "Mixed case.txt"));
  EXPECT_EQ("lower english", T(en, "Empty EN.txt"));  // empty EN skipped, en taken
  EXPECT_EQ("Nothing.txt", T(de, "Nothing.txt"));     // no text at all: the key

  // Untranslated markers use English when there is one.
  EXPECT_EQ("Error", T(de, "Untranslated.txt"));           // DE=~~Error
  EXPECT_EQ("~~Error", T(de, "Blank before marker.txt"));  // DE= ~~Error
  EXPECT_EQ("lower english", T(de, "Only lower en.txt"));  // no EN: en is the English text
  EXPECT_EQ("~~Deutsch", T(de, "Empty EN.txt"));           // EN empty: en is not tried
  EXPECT_EQ("Star.txt", T(de, "Star.txt"));                // DE= ~~ : the key
  EXPECT_EQ("Star.txt", T(en, "Star.txt"));                // EN=*
}

TEST(CLocalize, LookupRulesAndValueCleaning) {
  CLocalize de("de", DataPath("languages.loc"), nullptr, "");
  CLocalize en("en", DataPath("languages.loc"), nullptr, "");
  // Values as cleaned before use.
  EXPECT_EQ("indented text", T(en, "Indented.txt"));  // "\t" made a tab, then trimmed
  EXPECT_EQ("\nfirst line\n", T(en, "Multi.txt"));
  EXPECT_EQ("  erste\tZeile\n  zweite Zeile  ", T(de, "Multi.txt"));
  EXPECT_EQ(" a ", T(en, "Braces.txt"));
  EXPECT_EQ(" b ", T(de, "Braces.txt"));
  EXPECT_EQ("a\nb\tc", T(en, "Escapes.txt"));
  // Keys without a translation: empty, "donottranslate." and unknown ones.
  EXPECT_EQ("", T(de, ""));
  EXPECT_EQ(" ", T(de, " "));
  EXPECT_EQ("Abc", T(de, "donottranslate.Abc"));
  EXPECT_EQ("", T(de, "donottranslate."));
  EXPECT_EQ("Donottranslate.Abc", T(de, "Donottranslate.Abc"));  // exact case only
  EXPECT_EQ("Unknown key.txt", T(de, "Unknown key.txt"));
  EXPECT_EQ("error.txt", T(de, "error.txt"));  // keys are case-sensitive
  // Placeholders: a translation with fewer '%' than its key is never used.
  EXPECT_EQ("Wert %s", T(de, "Value %s.txt"));
  EXPECT_EQ("Value %s.txt", T(en, "Value %s.txt"));
  EXPECT_EQ("%d Prozent", T(de, "Percent %d.txt"));
  // Folding: the section [Große] answers Größe and Grose, not Grosse.
  EXPECT_EQ("folded", T(en,
                        "Gr\xF6\xDF"
                        "e"));
  EXPECT_EQ("folded", T(en, "Grose"));
  EXPECT_EQ("not folded", T(en, "Grosse"));
}

TEST(CLocalize, RepeatedSectionIsReadLenientlyAndTheReasonKept) {
  diag::CapturingSink sink;
  CLocalize table("en", DataPath("twice.loc"), nullptr, "");
  EXPECT_EQ("second", T(table, "A"));
  EXPECT_EQ("b", T(table, "B"));
  EXPECT_EQ("Section [A] seen twice", table.error_text());
  for (const std::string& line : sink.ErrorLog())
    EXPECT_EQ(std::string::npos, line.find("MLocIniData::Open() failed")) << line;
}

TEST(CLocalize, UnreadableFileGivesAnEmptyTableAndOneDump) {
  diag::CapturingSink sink;
  const std::string path = DataPath("unclosed.loc");
  CLocalize table("en", path, nullptr, "");
  EXPECT_EQ(0u, table.size());
  EXPECT_EQ("Error.txt", T(table, "Error.txt"));
  EXPECT_EQ("no matching \"}}\" found in \"EN={{never\nclosed\"", table.error_text());
  const std::vector<std::string> log = sink.ErrorLog();
  ASSERT_FALSE(log.empty());
  EXPECT_EQ("MLocIniData::Open() failed for '" + Lowered(path) + "'", log.back());
}

// A missing file is an empty table without error, which Create may still fill; a filled table
// never reloads.
TEST(CLocalize, MissingFileIsNoErrorAndCreateLoadsOnlyIntoAnEmptyTable) {
  diag::CapturingSink sink;
  CLocalize empty("de", DataPath("absent.loc"), nullptr, "");
  EXPECT_EQ(0u, empty.size());
  EXPECT_EQ("", empty.error_text());
  EXPECT_EQ("Error.txt", T(empty, "Error.txt"));
  EXPECT_TRUE(sink.ErrorLog().empty());
  EXPECT_EQ(Lowered(DataPath("absent.loc")), empty.file_name());
  empty.Create("en", DataPath("twice.loc"));
  EXPECT_EQ("second", T(empty, "A"));
  EXPECT_EQ("en", empty.language());

  CLocalize table("de", DataPath("languages.loc"), nullptr, "");
  table.Create("en", DataPath("twice.loc"));
  EXPECT_EQ("Fehler", T(table, "Error.txt"));
  EXPECT_EQ("A", T(table, "A"));
  EXPECT_EQ("de", table.language());
}

TEST(ResolveLocFileName, LowerCasesAddsTheExtensionAndLooksInTheCurrentFolder) {
  const struct {
    const char *name, *exe, *file, *opened;
  } cases[] = {
      {"Component_Updater", "", "component_updater.loc", ".\\component_updater.loc"},
      {"TEXTS.LOC", "ignored.exe", "texts.loc", ".\\texts.loc"},
      {"a.locx", "", "a.locx.loc", ".\\a.locx.loc"},
      {"", "C:\\Programs\\Tool.EXE", "tool.exe.loc", ".\\tool.exe.loc"},
      {"", "", "unnamedapplication.loc", ".\\unnamedapplication.loc"},
      // A folder part: relative to the current folder as is.
      {"Sub\\Texts", "", "sub\\texts.loc", "sub\\texts.loc"},
      {"C:\\X\\A.loc", "", "c:\\x\\a.loc", "c:\\x\\a.loc"},
      {"/abs/a", "", "/abs/a.loc", "/abs/a.loc"},
  };
  for (const auto& c : cases) {
    std::string opened;
    EXPECT_EQ(c.file, ResolveLocFileName(c.name, c.exe, &opened)) << c.name << c.exe;
    EXPECT_EQ(c.opened, opened) << c.name << c.exe;
  }
  EXPECT_EQ("x.loc", ResolveLocFileName("x", "", nullptr));
}

TEST(CLocalize, BareNameIsReadFromTheCurrentFolder) {
  TempLocFile file("localize_cwd_probe.loc", "[Probe.txt]\r\nEN=found\r\n");
  const std::filesystem::path previous = std::filesystem::current_path();
  CLocalize elsewhere("en", "Localize_CWD_Probe", nullptr, "");
  std::filesystem::current_path(std::filesystem::path(file.path()).parent_path());
  CLocalize here("en", "Localize_CWD_Probe", nullptr, "");
  std::filesystem::current_path(previous);
  EXPECT_EQ("localize_cwd_probe.loc", here.file_name());
  EXPECT_EQ("found", T(here, "Probe.txt"));
  EXPECT_EQ("Probe.txt", T(elsewhere, "Probe.txt"));
}

// The shipped table: every key the program uses resolves in English and German and keeps the
// placeholders its callers format in.
TEST(ComponentUpdaterLoc, EveryKeyResolvesInEnglishAndGermanWithItsPlaceholders) {
  const std::string path =
      std::string(CU_SOURCE_DIR) + "/component_updater/src/component_updater.loc";
  struct Key {
    const char* key;
    long percents;
  } keys[] = {
      {"Connection error.txt", 0},
      {"No machine connection.txt", 0},
      {"Updating.txt", 0},
      {"Error.txt", 0},
      {"32_64_bitproblem.txt", 3},
      {"Versionsproblem.txt", 3},
      {"VersionsproblemFirmware.txt", 1},
      {"Attention.txt", 0},
      {"Syntax Error.txt", 0},
      {"No such option.txt", 0},
      {"Too few option arguments.txt", 0},
      {"Invalid option argument.txt", 0},
      {"SwithOffOn.txt", 0},
      {"Updating component failed.txt", 0},
  };
  diag::CapturingSink sink;
  CLocalize en("EN", path, nullptr, "");
  CLocalize de("DE", path, nullptr, "");
  EXPECT_EQ("", en.error_text());
  EXPECT_EQ(sizeof keys / sizeof keys[0], en.size());
  for (const Key& k : keys) {
    for (const CLocalize* table : {&en, &de}) {
      const std::string text = table->Translate(k.key);
      EXPECT_NE(k.key, text) << table->language();
      EXPECT_EQ(std::string::npos, text.find_first_of("{}\r~")) << k.key;
      long percents = 0;
      for (std::string::size_type p = text.find('%'); p != std::string::npos;
           p = text.find('%', p + 1)) {
        EXPECT_EQ('s', text[p + 1]) << k.key;
        ++percents;
      }
      EXPECT_EQ(k.percents, percents) << k.key << ": " << text;
    }
    EXPECT_NE(en.Translate(k.key), de.Translate(k.key)) << k.key;
  }
  EXPECT_TRUE(sink.ErrorLog().empty());
}

}  // namespace
