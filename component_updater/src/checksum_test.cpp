// The digests of BSP module entries: which module a "sha256:" element belongs to, and the lists
// that must stay as they are.
#include "checksum.h"

#include <gtest/gtest.h>

namespace {

const std::string kDigest(64, 'a');

using State = ExpectedDigest::State;

}  // namespace

TEST(TakeModuleDigests, GivesEachElementToTheModuleEntryBeforeIt) {
  const struct {
    std::vector<std::string> entries;
    std::vector<std::string> modules;
    std::vector<State> states;
  } cases[] = {
      {{"a_1_x.deb", "b_2_x.deb"}, {"a_1_x.deb", "b_2_x.deb"}, {State::kAbsent, State::kAbsent}},
      {{"a_1_x.deb", "sha256:" + kDigest, "b_2_x.deb"},
       {"a_1_x.deb", "b_2_x.deb"},
       {State::kValid, State::kAbsent}},
      // No module before it: the next module cannot be trusted.
      {{"sha256:" + kDigest, "a_1_x.deb"}, {"a_1_x.deb"}, {State::kMalformed}},
      // Two digests of one module.
      {{"a_1_x.deb", "sha256:" + kDigest, "sha256:" + kDigest}, {"a_1_x.deb"}, {State::kMalformed}},
      {{"a_1_x.deb", "sha256:12"}, {"a_1_x.deb"}, {State::kMalformed}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> entries = c.entries;
    const std::vector<ExpectedDigest> digests = TakeModuleDigests(&entries, "hw,1.0");
    EXPECT_EQ(c.modules, entries);
    ASSERT_EQ(c.states.size(), digests.size());
    for (size_t i = 0; i < digests.size(); ++i)
      EXPECT_EQ(c.states[i], digests[i].state) << c.entries.size() << " entries, module " << i;
  }
}
