// Journal lines byte for byte, appending to an existing journal, and escaping of odd names.
#include "journal.h"

#include <gtest/gtest.h>

#include "test_files.h"

namespace sim {
namespace {

using test_files::ReadAll;

TEST(Journal, WritesOneTabSeparatedLinePerRequestAndFlushesEachAtOnce) {
  const std::string path = test_files::FreshPath("journal_lines");
  Journal journal;
  std::string error;
  ASSERT_TRUE(journal.Open(path, &error)) << error;
  // The lines without fields are checked end to end; here the fields and the flushing.
  journal.Connect();
  journal.Send("ipo", 9, 0xcbf43926u);
  // Read while the journal is still open: every line must already be on disk.
  EXPECT_EQ("CONNECT\nSEND\tipo\t9\tcbf43926\n", ReadAll(path));
  journal.SendFailed("plc", "dropped during transfer");
  journal.Receive("ipo.identifier");
  journal.Set("X", 1.5);
  journal.Set("Y", -1e-7);
  journal.Set("Z", 123456789.0);
  journal.Disconnect();
  EXPECT_EQ(
      "CONNECT\nSEND\tipo\t9\tcbf43926\nSEND_FAILED\tplc\tdropped during transfer\n"
      "RECEIVE\tipo.identifier\nSET\tX\t1.5\nSET\tY\t-1e-07\nSET\tZ\t1.23457e+08\nDISCONNECT\n",
      ReadAll(path));
}

TEST(Journal, OpenFailureNamesTheFileAndAnOpenJournalAppends) {
  const std::string bad_path = testing::TempDir() + "no_such_dir_sim/j.log";
  Journal unopened;
  std::string error;
  EXPECT_FALSE(unopened.Open(bad_path, &error));
  EXPECT_EQ(0u, error.rfind("cannot open journal '" + bad_path + "': ", 0)) << error;
  unopened.Connect();  // must neither crash nor write anywhere

  const std::string path = test_files::Write("journal_append", "CONNECT\n");
  Journal journal;
  ASSERT_TRUE(journal.Open(path, &error)) << error;
  journal.Send("big", 536870912ull, 0x0000000au);
  EXPECT_EQ("CONNECT\nSEND\tbig\t536870912\t0000000a\n", ReadAll(path));
}

TEST(Journal, EscapesSeparatorsInsideNamesSoEveryRequestStaysOneLine) {
  EXPECT_EQ("plain name", EscapeJournalField("plain name"));
  EXPECT_EQ("a\\tb\\nc\\rd\\\\e", EscapeJournalField("a\tb\nc\rd\\e"));
  const std::string path = test_files::FreshPath("journal_escape");
  Journal journal;
  std::string error;
  ASSERT_TRUE(journal.Open(path, &error)) << error;
  journal.Receive("x\ty");
  journal.SendFailed("n\n", "r\tr");
  EXPECT_EQ("RECEIVE\tx\\ty\nSEND_FAILED\tn\\n\tr\\tr\n", ReadAll(path));
}

}  // namespace
}  // namespace sim
