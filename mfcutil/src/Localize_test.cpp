// Text tables: language and "~~" fallbacks, value cleaning, lookup rules, file-name resolution,
// failure reporting, and the shipped component_updater.loc.
#include "Localize.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "diag_testing.h"
#include "fileio_testing.h"

namespace {

std::string DataPath(const char* name) {
  return fileio_testing::SourceFile(std::string("mfcutil/src/testdata/") + name);
}

// Table file names are lower-cased (a path under Wine starts with "Z:").
std::string Lowered(std::string text) {
  for (char& c : text)
    c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return text;
}

TEST(CLocalize, LanguagesFallBacksCleaningAndLookupRules) {
  std::map<std::string, std::unique_ptr<CLocalize>> tables;
  for (const char* language : {"de", "DE", "fr", "en"})
    tables[language] =
        std::make_unique<CLocalize>(language, DataPath("languages.loc"), nullptr, "");
  EXPECT_EQ("", tables["de"]->error_text());
  const struct {
    const char *language, *key, *text;
  } cases[] = {
      {"de", "Error.txt", "Fehler"},
      {"DE", "Error.txt", "Fehler"},                 // languages match without regard to case
      {"fr", "Error.txt", "Error"},                  // no such language: English
      {"de", "Mixed case.txt", "gemischt"},          // entry written De
      {"en", "Empty EN.txt", "lower english"},       // empty EN skipped, en taken
      {"de", "Nothing.txt", "Nothing.txt"},          // no text at all: the key
      {"de", "Untranslated.txt", "Error"},           // DE=~~Error: English
      {"de", "Blank before marker.txt", "~~Error"},  // DE= ~~Error is a text
      {"de", "Only lower en.txt", "lower english"},  // no EN: en is the English text
      {"de", "Empty EN.txt", "~~Deutsch"},           // EN empty: en is not tried
      {"de", "Star.txt", "Star.txt"},                // DE= ~~ : the key
      {"en", "Star.txt", "Star.txt"},                // EN=*
      {"en", "Indented.txt", "indented text"},       // "\t" made a tab, then trimmed
      {"en", "Multi.txt", "\nfirst line\n"},
      {"de", "Multi.txt", "  erste\tZeile\n  zweite Zeile  "},
      {"en", "Braces.txt", " a "},
      {"de", "Braces.txt", " b "},
      {"en", "Escapes.txt", "a\nb\tc"},
      {"de", "", ""},
      {"de", " ", " "},
      {"de", "donottranslate.Abc", "Abc"},
      {"de", "donottranslate.", ""},
      {"de", "Donottranslate.Abc", "Donottranslate.Abc"},  // exact case only
      {"de", "error.txt", "error.txt"},                    // keys are case-sensitive
      // A translation with fewer '%' than its key is never used.
      {"de", "Value %s.txt", "Wert %s"},
      {"en", "Value %s.txt", "Value %s.txt"},
      {"de", "Percent %d.txt", "%d Prozent"},
      // Folding: the section [Große] answers Größe and Grose, not Grosse.
      {"en",
       "Gr\xF6\xDF"
       "e",
       "folded"},
      {"en", "Grose", "folded"},
      {"en", "Grosse", "not folded"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.text, tables[c.language]->Translate(c.key)) << c.language << " " << c.key;
}

TEST(CLocalize, FilesThatCannotBeReadStrictlyOrAtAll) {
  diag::CapturingSink sink;
  // A repeated section is read leniently; the reason of the strict failure stays.
  CLocalize twice("en", DataPath("twice.loc"), nullptr, "");
  EXPECT_EQ("second", twice.Translate("A"));
  EXPECT_EQ("b", twice.Translate("B"));
  EXPECT_EQ("Section [A] seen twice", twice.error_text());
  EXPECT_TRUE(sink.ErrorLog().empty());

  // Unreadable in both attempts: an empty table and one dump.
  const std::string path = DataPath("unclosed.loc");
  CLocalize unclosed("en", path, nullptr, "");
  EXPECT_EQ(0u, unclosed.size());
  EXPECT_EQ("Error.txt", unclosed.Translate("Error.txt"));
  EXPECT_EQ("no matching \"}}\" found in \"EN={{never\nclosed\"", unclosed.error_text());
  EXPECT_EQ("MLocIniData::Open() failed for '" + Lowered(path) + "'", sink.ErrorLog().back());

  // A missing file is no error, and Create may still fill that empty table; a filled table
  // never reloads.
  sink.Clear();
  CLocalize empty("de", DataPath("absent.loc"), nullptr, "");
  EXPECT_EQ(0u, empty.size());
  EXPECT_EQ("", empty.error_text());
  EXPECT_TRUE(sink.ErrorLog().empty());
  EXPECT_EQ(Lowered(DataPath("absent.loc")), empty.file_name());
  empty.Create("en", DataPath("twice.loc"));
  EXPECT_EQ("second", empty.Translate("A"));
  EXPECT_EQ("en", empty.language());
  twice.Create("de", DataPath("languages.loc"));
  EXPECT_EQ("Error.txt", twice.Translate("Error.txt"));
  EXPECT_EQ("en", twice.language());
}

TEST(CLocalize, FileNamesAreLowerCasedGetTheExtensionAndBareOnesAreReadHere) {
  const struct {
    const char *name, *exe, *file, *opened;
  } cases[] = {
      {"Component_Updater", "", "component_updater.loc", ".\\component_updater.loc"},
      {"TEXTS.LOC", "ignored.exe", "texts.loc", ".\\texts.loc"},
      {"a.locx", "", "a.locx.loc", ".\\a.locx.loc"},
      {"", "C:\\Programs\\Tool.EXE", "tool.exe.loc", ".\\tool.exe.loc"},
      {"", "", "unnamedapplication.loc", ".\\unnamedapplication.loc"},
      {"Sub\\Texts", "", "sub\\texts.loc", "sub\\texts.loc"},  // a folder part: as it is
      {"C:\\X\\A.loc", "", "c:\\x\\a.loc", "c:\\x\\a.loc"},
      {"/abs/a", "", "/abs/a.loc", "/abs/a.loc"},
  };
  for (const auto& c : cases) {
    std::string opened;
    EXPECT_EQ(c.file, ResolveLocFileName(c.name, c.exe, &opened)) << c.name << c.exe;
    EXPECT_EQ(c.opened, opened) << c.name << c.exe;
  }
  EXPECT_EQ("x.loc", ResolveLocFileName("x", "", nullptr));

  fileio_testing::TempFolder folder;
  fileio_testing::WriteBytes(folder.File("localize_probe.loc"), "[Probe.txt]\r\nEN=found\r\n");
  CLocalize elsewhere("en", "Localize_Probe", nullptr, "");
  fileio_testing::CurrentDirectory cwd(folder.path());
  CLocalize here("en", "Localize_Probe", nullptr, "");
  EXPECT_EQ("localize_probe.loc", here.file_name());
  EXPECT_EQ("found", here.Translate("Probe.txt"));
  EXPECT_EQ("Probe.txt", elsewhere.Translate("Probe.txt"));
}

// The shipped table: every key the program uses resolves in English and German and keeps the
// placeholders its callers format in.
TEST(ComponentUpdaterLoc, EveryKeyResolvesInEnglishAndGermanWithItsPlaceholders) {
  const std::string path =
      fileio_testing::SourceFile("component_updater/src/component_updater.loc");
  const std::map<std::string, long> keys = {
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
  CLocalize en("EN", path, nullptr, ""), de("DE", path, nullptr, "");
  EXPECT_EQ("", en.error_text());
  EXPECT_EQ(keys.size(), en.size());
  for (const auto& [key, percents] : keys) {
    for (const CLocalize* table : {&en, &de}) {
      const std::string text = table->Translate(key);
      EXPECT_NE(key, text) << table->language();
      EXPECT_EQ(std::string::npos, text.find_first_of("{}\r~")) << key;
      long found = 0;
      for (size_t p = text.find('%'); p != std::string::npos; p = text.find('%', p + 1), ++found)
        EXPECT_EQ('s', text[p + 1]) << key;
      EXPECT_EQ(percents, found) << key << ": " << text;
    }
    EXPECT_NE(en.Translate(key), de.Translate(key)) << key;
  }
  EXPECT_TRUE(sink.ErrorLog().empty());
}

}  // namespace
