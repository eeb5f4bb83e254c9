// The active-user-changed callback registry: registration rules, firing order, changes made by
// callbacks, and unregistering while another thread fires.
#include "tevbase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace {

// Every call of Record appends the character its user pointer points to, so the order of the
// calls across several registrations shows.
std::string g_calls;

void Record(void* user) {
  g_calls += *static_cast<const char*>(user);
}

TEST(Tevbase, RegistersPairsOnceAndFiresInOrder) {
  char a = 'a', b = 'b';
  g_calls.clear();
  EXPECT_FALSE(tevbaseRegisterActiveUserChangedCallback(nullptr, &a));
  EXPECT_TRUE(tevbaseRegisterActiveUserChangedCallback(Record, &a));
  EXPECT_FALSE(tevbaseRegisterActiveUserChangedCallback(Record, &a));  // same pair
  EXPECT_TRUE(tevbaseRegisterActiveUserChangedCallback(Record, &b));   // other user pointer
  EXPECT_EQ(2, tevbaseFireActiveUserChanged());
  EXPECT_EQ(2, tevbaseFireActiveUserChanged());
  EXPECT_EQ("abab", g_calls);

  EXPECT_TRUE(tevbaseUnregisterActiveUserChangedCallback(Record, &a));
  EXPECT_FALSE(tevbaseUnregisterActiveUserChangedCallback(Record, &a));
  EXPECT_EQ(1, tevbaseFireActiveUserChanged());
  EXPECT_EQ("ababb", g_calls);
  EXPECT_TRUE(tevbaseUnregisterActiveUserChangedCallback(Record, &b));
  EXPECT_EQ(0, tevbaseFireActiveUserChanged());
}

char g_victim = 'v';

void UnregisterVictim(void*) {
  tevbaseUnregisterActiveUserChangedCallback(Record, &g_victim);
}

TEST(Tevbase, ACallbackMayUnregisterALaterOneOfTheSameFiring) {
  g_calls.clear();
  ASSERT_TRUE(tevbaseRegisterActiveUserChangedCallback(UnregisterVictim, nullptr));
  ASSERT_TRUE(tevbaseRegisterActiveUserChangedCallback(Record, &g_victim));
  EXPECT_EQ(1, tevbaseFireActiveUserChanged());
  EXPECT_EQ("", g_calls);
  EXPECT_TRUE(tevbaseUnregisterActiveUserChangedCallback(UnregisterVictim, nullptr));
}

struct Slow {
  std::atomic<bool> entered{false};
  std::atomic<bool> finished{false};
};

void SlowCallback(void* user) {
  Slow* s = static_cast<Slow*>(user);
  s->entered = true;
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  s->finished = true;
}

TEST(Tevbase, UnregisterWaitsForARunningCallback) {
  Slow slow;
  ASSERT_TRUE(tevbaseRegisterActiveUserChangedCallback(SlowCallback, &slow));
  std::thread firer([] { tevbaseFireActiveUserChanged(); });
  while (!slow.entered)
    std::this_thread::yield();
  EXPECT_TRUE(tevbaseUnregisterActiveUserChangedCallback(SlowCallback, &slow));
  EXPECT_TRUE(slow.finished);  // the owner could now be destroyed safely
  firer.join();
}

}  // namespace
