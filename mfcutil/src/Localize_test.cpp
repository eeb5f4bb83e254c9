// Text tables: language and "~~" fallbacks, value cleaning, lookup rules, file-name resolution,
// failure reporting, and the shipped component_updater.loc.
#include "Localize.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "diag_testing.h"
#include "fileio_testing.h"

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
  // language, key, text. Languages match without regard to case, keys with it; a missing
  // language or text falls back to English, then to the key.
  const std::tuple<const char*, std::string, const char*> cases[] = {
      {"de", "Error.txt", "Fehler"},
      {"DE", "Error.txt", "Fehler"},
      {"fr", "Error.txt", "Error"},
      {"de", "error.txt", "error.txt"},
      {"de", "Mixed case.txt", "gemischt"},     // entry De=
      {"en", "Empty EN.txt", "lower english"},  // empty EN skipped, en taken
      {"de", "Nothing.txt", "Nothing.txt"},
      {"de", "Untranslated.txt", "Error"},           // DE=~~Error
      {"de", "Blank before marker.txt", "~~Error"},  // DE= ~~Error is a text
      {"de", "Only lower en.txt", "lower english"},  // no EN: en is the English text
      {"de", "Empty EN.txt", "~~Deutsch"},           // EN empty: en is not tried
      {"de", "Star.txt", "Star.txt"},
      {"en", "Star.txt", "Star.txt"},           // DE= ~~ , EN=*
      {"en", "Indented.txt", "indented text"},  // "\t" made a tab, then trimmed
      {"en", "Multi.txt", "\nfirst line\n"},
      {"de", "Multi.txt", "  erste\tZeile\n  zweite Zeile  "},
      {"en", "Braces.txt", " a "},
      {"de", "Braces.txt", " b "},
      {"en", "Escapes.txt", "a\nb\tc"},
      {"de", "", ""},
      {"de", " ", " "},
      {"de", "donottranslate.Abc", "Abc"},
      {"de", "donottranslate.", ""},
      {"de", "Donottranslate.Abc", "Donottranslate.Abc"},
      {"de", "Value %s.txt", "Wert %s"},
      {"en", "Value %s.txt", "Value %s.txt"},  // '%' lost
      {"de", "Percent %d.txt", "%d Prozent"},
      {"en",
       "Gr\xF6\xDF"
       "e",
       "folded"},  // [Große]
      {"en", "Grose", "folded"},
      {"en", "Grosse", "not folded"}};
  for (const auto& [language, key, text] : cases)
    EXPECT_EQ(text, tables[language]->Translate(key)) << language << " " << key;
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
      {"", "/opt/tevar/Updater", "updater.loc", ".\\updater.loc"},
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
// The shipped table: every key the program uses resolves in English and German and keeps the
// "%s" placeholders its callers format in.
TEST(ComponentUpdaterLoc, EveryKeyResolvesInEnglishAndGermanWithItsPlaceholders) {
  const std::string path =
      fileio_testing::SourceFile("component_updater/src/component_updater.loc");
  const std::pair<const char*, size_t> keys[] = {{"Connection error.txt", 0},
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
                                                 {"Updating component failed.txt", 0}};
  diag::CapturingSink sink;
  CLocalize en("EN", path, nullptr, ""), de("DE", path, nullptr, "");
  EXPECT_EQ("", en.error_text());
  EXPECT_EQ(std::size(keys), en.size());
  for (const auto& [key, placeholders] : keys) {
    for (const std::string& text : {en.Translate(key), de.Translate(key)}) {
      EXPECT_NE(key, text);
      EXPECT_EQ(std::string::npos, text.find_first_of("{}\r~")) << key;
      size_t found = 0, percents = 0;
      while ((found = text.find("%s", found)) != std::string::npos)
        ++percents, found += 2;
      EXPECT_EQ(placeholders, percents) << key << ": " << text;
      EXPECT_EQ(percents, static_cast<size_t>(std::count(text.begin(), text.end(), '%'))) << text;
    }
    EXPECT_NE(en.Translate(key), de.Translate(key)) << key;
  }
  EXPECT_TRUE(sink.ErrorLog().empty());
}
