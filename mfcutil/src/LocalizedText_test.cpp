// The process-wide accessor: interning, the application's table, lookups from several threads
// while tables come and go, and the language-setting watcher.
#include "LanguageWatcher.h"
#include "Localize.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "registry_testing.h"
#include "tevbase.h"

namespace {

const std::string kTable = fileio_testing::SourceFile("mfcutil/src/testdata/languages.loc");

TEST(GetLocalizedText, InternsTextsAndFallsBackToTheKey) {
  SetApplicationLocalize(nullptr);
  EXPECT_EQ(nullptr, GetLocalizedText(nullptr));
  EXPECT_EQ(nullptr, InternLocalizedText(nullptr));
  const char* first = GetLocalizedText("Error.txt");
  EXPECT_STREQ("Error.txt", first);  // no table: the key

  CLocalize table("de", kTable, nullptr, "");
  SetApplicationLocalize(&table);
  EXPECT_EQ(&table, GetApplicationLocalize());
  const char* fehler = GetLocalizedText("Error.txt");
  EXPECT_STREQ("Fehler", fehler);
  EXPECT_EQ(fehler, GetLocalizedText("Error.txt"));  // the same interned copy
  EXPECT_EQ(fehler, InternLocalizedText("Fehler"));
  SetApplicationLocalize(nullptr);
  // Interned texts outlive the table and stay where they were.
  EXPECT_STREQ("Fehler", fehler);
  EXPECT_EQ(first, GetLocalizedText("Error.txt"));
}

TEST(GetLocalizedText, ConcurrentLookupsAgreeWhileTablesAreCreatedAndDestroyed) {
  CLocalize table("de", kTable, nullptr, "");
  SetApplicationLocalize(&table);
  std::atomic<int> wrong{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 4; ++t) {
    readers.emplace_back([&, t] {
      const char* expected = GetLocalizedText(t % 2 == 0 ? "Error.txt" : "Percent %d.txt");
      for (int i = 0; i < 2000; ++i) {
        if (GetLocalizedText(t % 2 == 0 ? "Error.txt" : "Percent %d.txt") != expected)
          ++wrong;
        // Unique texts make the interning set grow under contention.
        const std::string unique = "donottranslate.t" + std::to_string(t) + "_" + std::to_string(i);
        if (GetLocalizedText(unique.c_str()) != unique.substr(15))
          ++wrong;
      }
    });
  }
  // Other tables are built and destroyed meanwhile under the same lock.
  for (int i = 0; i < 20; ++i) {
    CLocalize other("en", kTable, nullptr, "");
    if (other.Translate("Error.txt") != "Error")
      ++wrong;
  }
  for (std::thread& reader : readers)
    reader.join();
  SetApplicationLocalize(nullptr);
  EXPECT_EQ(0, wrong.load());
}

TEST(LanguageWatcher, ReadsTheLanguageSettingAndRereadsItWithEnglishDefault) {
  const std::string settings = "Software\\Tevar\\pivot32\\settings";
  ScratchRegistry registry;
  registry.Set(settings, "language", "fr");
  {
    LanguageWatcher watcher;
    EXPECT_TRUE(watcher.registered());
    EXPECT_EQ("fr", watcher.language());
    registry.Set(settings, "language", "it");
    EXPECT_EQ("fr", watcher.language()) << "read again only when the active user changes";
    EXPECT_GE(tevbaseFireActiveUserChanged(), 2);  // this one and the process-wide one
    EXPECT_EQ("it", watcher.language());
    EXPECT_EQ("it", ProcessLanguageWatcher().language());
    registry.Set(settings, "language", nullptr);
    tevbaseFireActiveUserChanged();
    EXPECT_EQ("EN", watcher.language());
    LanguageWatcher without_value;
    EXPECT_EQ("", without_value.language());
  }
  // The destroyed watchers unregistered themselves: firing reaches only the process-wide one.
  EXPECT_TRUE(ProcessLanguageWatcher().registered());
  EXPECT_EQ(1, tevbaseFireActiveUserChanged());
}

}  // namespace
