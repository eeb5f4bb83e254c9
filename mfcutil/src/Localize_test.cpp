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

TEST(CLocalize, ChoosesTheLanguageWithoutRegardToCaseAndFallsBackToEnglish) {
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
}

TEST(CLocalize, UntranslatedMarkersUseEnglishWhenThereIsOne) {
  CLocalize de("de", DataPath("languages.loc"), nullptr, "");
  EXPECT_EQ("Error", T(de, "Untranslated.txt"));           // DE=~~Error
  EXPECT_EQ("~~Error", T(de, "Blank before marker.txt"));  // DE= ~~Error
  EXPECT_EQ("lower english", T(de, "Only lower en.txt"));  // no EN: en is the English text
  EXPECT_EQ("~~Deutsch", T(de, "Empty EN.txt"));           // EN empty: en is not tried
  EXPECT_EQ("Star.txt", T(de, "Star.txt"));                // DE= ~~ : the key
  CLocalize en("en", DataPath("languages.loc"), nullptr, "");
  EXPECT_EQ("Star.txt", T(en, "Star.txt"));  // EN=*
}

TEST(CLocalize, CleansValuesInOrder) {
  CLocalize en("en", DataPath("languages.loc"), nullptr, "");
  CLocalize de("de", DataPath("languages.loc"), nullptr, "");
  EXPECT_EQ("indented text", T(en, "Indented.txt"));  // "\t" made a tab, then trimmed
  EXPECT_EQ("\nfirst line\n", T(en, "Multi.txt"));
  EXPECT_EQ("  erste\tZeile\n  zweite Zeile  ", T(de, "Multi.txt"));
  EXPECT_EQ(" a ", T(en, "Braces.txt"));
  EXPECT_EQ(" b ", T(de, "Braces.txt"));
  EXPECT_EQ("a\nb\tc", T(en, "Escapes.txt"));
}

TEST(CLocalize, LookupRules) {
  CLocalize de("de", DataPath("languages.loc"), nullptr, "");
  EXPECT_EQ("", T(de, ""));
  EXPECT_EQ(" ", T(de, " "));
  EXPECT_EQ("Abc", T(de, "donottranslate.Abc"));
  EXPECT_EQ("", T(de, "donottranslate."));
  EXPECT_EQ("Donottranslate.Abc", T(de, "Donottranslate.Abc"));  // exact case only
  EXPECT_EQ("Unknown key.txt", T(de, "Unknown key.txt"));
  EXPECT_EQ("error.txt", T(de, "error.txt"));  // keys are case-sensitive
  // Placeholders: a translation with fewer '%' than its key is never used.
  EXPECT_EQ("Wert %s", T(de, "Value %s.txt"));
  CLocalize en("en", DataPath("languages.loc"), nullptr, "");
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

TEST(CLocalize, UnreadableFilesGiveAnEmptyTableAndOneDump) {
  struct Case {
    const char* file;
    const char* error;
  } cases[] = {
      {"unclosed.loc", "no matching \"}}\" found in \"EN={{never\nclosed\""},
      {"bom.loc", "Possible entry \"\xEF\xBB\xBF[Error.txt]\" found before first section"},
  };
  for (const Case& c : cases) {
    diag::CapturingSink sink;
    const std::string path = DataPath(c.file);
    CLocalize table("en", path, nullptr, "");
    EXPECT_EQ(0u, table.size()) << c.file;
    EXPECT_EQ("Error.txt", T(table, "Error.txt")) << c.file;
    EXPECT_EQ(c.error, table.error_text()) << c.file;
    const std::vector<std::string> log = sink.ErrorLog();
    ASSERT_FALSE(log.empty()) << c.file;
    EXPECT_EQ("MLocIniData::Open() failed for '" + Lowered(path) + "'", log.back()) << c.file;
  }
}

TEST(CLocalize, MissingFileIsNoError) {
  diag::CapturingSink sink;
  CLocalize table("de", DataPath("absent.loc"), nullptr, "");
  EXPECT_EQ(0u, table.size());
  EXPECT_EQ("", table.error_text());
  EXPECT_EQ("Error.txt", T(table, "Error.txt"));
  EXPECT_TRUE(sink.ErrorLog().empty());
  EXPECT_EQ(Lowered(DataPath("absent.loc")), table.file_name());
}

TEST(CLocalize, CreateLoadsOnlyIntoAnEmptyTable) {
  CLocalize table("de", DataPath("languages.loc"), nullptr, "");
  table.Create("en", DataPath("twice.loc"));
  EXPECT_EQ("Fehler", T(table, "Error.txt"));
  EXPECT_EQ("A", T(table, "A"));
  EXPECT_EQ("de", table.language());

  CLocalize empty("de", DataPath("absent.loc"), nullptr, "");
  empty.Create("en", DataPath("twice.loc"));
  EXPECT_EQ("second", T(empty, "A"));
  EXPECT_EQ("en", empty.language());
}

TEST(ResolveLocFileName, LowerCasesAddsTheExtensionAndLooksInTheCurrentFolder) {
  std::string opened;
  EXPECT_EQ("component_updater.loc", ResolveLocFileName("Component_Updater", "", &opened));
  EXPECT_EQ(".\\component_updater.loc", opened);
  EXPECT_EQ("texts.loc", ResolveLocFileName("TEXTS.LOC", "ignored.exe", &opened));
  EXPECT_EQ(".\\texts.loc", opened);
  EXPECT_EQ("a.locx.loc", ResolveLocFileName("a.locx", "", &opened));
  EXPECT_EQ("tool.exe.loc", ResolveLocFileName("", "C:\\Programs\\Tool.EXE", &opened));
  EXPECT_EQ(".\\tool.exe.loc", opened);
  EXPECT_EQ("unnamedapplication.loc", ResolveLocFileName("", "", &opened));
  EXPECT_EQ("sub\\texts.loc", ResolveLocFileName("Sub\\Texts", "", &opened));
  EXPECT_EQ("sub\\texts.loc", opened);  // a folder part: relative to the current folder as is
  EXPECT_EQ("c:\\x\\a.loc", ResolveLocFileName("C:\\X\\A.loc", "", &opened));
  EXPECT_EQ("c:\\x\\a.loc", opened);
  EXPECT_EQ("/abs/a.loc", ResolveLocFileName("/abs/a", "", &opened));
  EXPECT_EQ("/abs/a.loc", opened);
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
