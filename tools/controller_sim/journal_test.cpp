// Journal lines byte for byte: fields, escapes, appending, flushing, and an unopenable journal.
#include "journal.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace sim {
namespace {

TEST(Journal, AppendsOneEscapedTabSeparatedLinePerRequestAndFlushesEachAtOnce) {
  const std::string path = testing::TempDir() + "sim_journal.log";
  std::ofstream(path, std::ios::binary) << "CONNECT\n";
  Journal journal;
  std::string error;
  ASSERT_TRUE(journal.Open(path, &error)) << error;
  journal.Send("big", 536870912ull, 0x0000000au);
  journal.SendFailed("n\n", "dropped during transfer");
  journal.Receive("x\ty\\z\r");
  journal.Set("Y", -1e-7);
  journal.Disconnect();
  // Read while the journal is still open: every line is already on disk.
  std::ifstream in(path, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
            "CONNECT\nSEND\tbig\t536870912\t0000000a\nSEND_FAILED\tn\\n\tdropped during transfer\n"
            "RECEIVE\tx\\ty\\\\z\\r\nSET\tY\t-1e-07\n"
            "DISCONNECT\n");
  const std::string bad_path = testing::TempDir() + "no_such_dir_sim/j.log";
  EXPECT_FALSE(journal.Open(bad_path, &error));
  EXPECT_EQ(0u, error.rfind("cannot open journal '" + bad_path + "': ", 0)) << error;
}

}  // namespace
}  // namespace sim
