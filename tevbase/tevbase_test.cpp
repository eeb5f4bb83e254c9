// The active-user-changed callback registry: registration rules, firing order, changes made by
// callbacks, and unregistering while another thread fires.
#include "tevbase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace {

struct Recorder {
  std::string calls;
  char name = '?';
};

void Record(void* user) {
  Recorder* r = static_cast<Recorder*>(user);
  r->calls += r->name;
}

TEST(Tevbase, RegistersPairsOnceAndFiresInOrder) {
  Recorder a, b;
  a.name = 'a';
  b.name = 'b';
  EXPECT_FALSE(tevbaseRegisterActiveUserChangedCallback(nullptr, &a));
  EXPECT_TRUE(tevbaseRegisterActiveUserChangedCallback(Record, &a));
  EXPECT_FALSE(tevbaseRegisterActiveUserChangedCallback(Record, &a));  // same pair
  EXPECT_TRUE(tevbaseRegisterActiveUserChangedCallback(Record, &b));   // other user pointer
  EXPECT_EQ(2, tevbaseFireActiveUserChanged());
  EXPECT_EQ(2, tevbaseFireActiveUserChanged());
  EXPECT_EQ("aa", a.calls);
  EXPECT_EQ("bb", b.calls);

  EXPECT_TRUE(tevbaseUnregisterActiveUserChangedCallback(Record, &a));
  EXPECT_FALSE(tevbaseUnregisterActiveUserChangedCallback(Record, &a));
  EXPECT_EQ(1, tevbaseFireActiveUserChanged());
  EXPECT_EQ("aa", a.calls);
  EXPECT_EQ("bbb", b.calls);
  EXPECT_TRUE(tevbaseUnregisterActiveUserChangedCallback(Record, &b));
  EXPECT_EQ(0, tevbaseFireActiveUserChanged());
}

Recorder* g_victim = nullptr;

void UnregisterVictim(void*) {
  tevbaseUnregisterActiveUserChangedCallback(Record, g_victim);
}

TEST(Tevbase, ACallbackMayUnregisterALaterOneOfTheSameFiring) {
  Recorder victim;
  victim.name = 'v';
  g_victim = &victim;
  ASSERT_TRUE(tevbaseRegisterActiveUserChangedCallback(UnregisterVictim, nullptr));
  ASSERT_TRUE(tevbaseRegisterActiveUserChangedCallback(Record, &victim));
  EXPECT_EQ(1, tevbaseFireActiveUserChanged());
  EXPECT_EQ("", victim.calls);
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
