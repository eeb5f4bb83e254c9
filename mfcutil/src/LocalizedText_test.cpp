// The process-wide accessor: interning, the application's table, lookups from several threads
// while tables come and go, and the language-setting watcher.
#include "LanguageWatcher.h"
#include "Localize.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "loc_test_support.h"
#include "tevbase.h"
#include "tevbase_dll_tools.h"

namespace {

constexpr char kSettings[] = "Software\\Tevar\\pivot32\\settings";

TEST(GetLocalizedText, InternsTextsAndFallsBackToTheKey) {
  SetApplicationLocalize(nullptr);
  EXPECT_EQ(nullptr, GetLocalizedText(nullptr));
  EXPECT_EQ(nullptr, InternLocalizedText(nullptr));
  const char* first = GetLocalizedText("Error.txt");
  EXPECT_STREQ("Error.txt", first);  // no table: the key

  CLocalize table("de", loc_test::DataPath("languages.loc"), nullptr, "");
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
  CLocalize table("de", loc_test::DataPath("languages.loc"), nullptr, "");
  SetApplicationLocalize(&table);
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 4; ++t) {
    readers.emplace_back([&, t] {
      const char* expected = nullptr;
      for (int i = 0; i < 2000 && !stop; ++i) {
        const char* text = GetLocalizedText(t % 2 == 0 ? "Error.txt" : "Percent %d.txt");
        if (expected == nullptr)
          expected = text;
        if (text != expected)
          ++wrong;
        // Unique texts make the interning set grow under contention.
        std::string unique = "donottranslate.t" + std::to_string(t) + "_" + std::to_string(i);
        if (std::string(GetLocalizedText(unique.c_str())) != unique.substr(15))
          ++wrong;
      }
    });
  }
  // Other tables are built and destroyed meanwhile under the same lock.
  for (int i = 0; i < 20; ++i) {
    CLocalize other("en", loc_test::DataPath("languages.loc"), nullptr, "");
    if (other.Translate("Error.txt") != "Error")
      ++wrong;
  }
  for (std::thread& reader : readers)
    reader.join();
  SetApplicationLocalize(nullptr);
  EXPECT_EQ(0, wrong.load());
}

TEST(LanguageWatcher, RegistersAndRereadsWithEnglishDefault) {
  // Whatever the station holds: the first read defaults to "", the re-read to "EN".
  const std::string at_start = ReadRegistryString(kSettings, "language", "");
  const std::string after_change = ReadRegistryString(kSettings, "language", "EN");
  EXPECT_TRUE(ProcessLanguageWatcher().registered());
  {
    LanguageWatcher watcher;
    EXPECT_TRUE(watcher.registered());
    EXPECT_EQ(at_start, watcher.language());
    EXPECT_GE(tevbaseFireActiveUserChanged(), 2);  // this one and the process-wide one
    EXPECT_EQ(after_change, watcher.language());
    EXPECT_EQ(after_change, ProcessLanguageWatcher().language());
  }
  // The destroyed watcher unregistered itself: firing now reaches only the process-wide one.
  EXPECT_EQ(1, tevbaseFireActiveUserChanged());
}

}  // namespace
