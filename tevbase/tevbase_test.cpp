// The active-user-changed callback registry: registration rules, firing order, changes made by
// callbacks, and unregistering while another thread fires.
#include "tevbase.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

std::string g_calls;  // every Record call appends the character its user pointer points to
char g_a = 'a', g_b = 'b';

void Record(void* user) {
  g_calls += *static_cast<const char*>(user);
}

void UnregisterB(void*) {
  tevbaseUnregisterActiveUserChangedCallback(Record, &g_b);
}

TEST(Tevbase, RegistersPairsOnceFiresInOrderAndCallbacksMayUnregisterLaterOnes) {
  EXPECT_FALSE(tevbaseRegisterActiveUserChangedCallback(nullptr, &g_a));
  EXPECT_TRUE(tevbaseRegisterActiveUserChangedCallback(Record, &g_a));
  EXPECT_FALSE(tevbaseRegisterActiveUserChangedCallback(Record, &g_a));  // same pair
  EXPECT_TRUE(tevbaseRegisterActiveUserChangedCallback(Record, &g_b));   // other user pointer
  EXPECT_EQ(2, tevbaseFireActiveUserChanged());
  EXPECT_EQ(2, tevbaseFireActiveUserChanged());
  EXPECT_TRUE(tevbaseUnregisterActiveUserChangedCallback(Record, &g_a));
  EXPECT_FALSE(tevbaseUnregisterActiveUserChangedCallback(Record, &g_a));
  EXPECT_EQ(1, tevbaseFireActiveUserChanged());
  ASSERT_TRUE(tevbaseRegisterActiveUserChangedCallback(UnregisterB, nullptr));
  EXPECT_EQ(2, tevbaseFireActiveUserChanged());  // b was registered first: it still runs
  EXPECT_TRUE(tevbaseRegisterActiveUserChangedCallback(Record, &g_b));
  EXPECT_EQ(1, tevbaseFireActiveUserChanged());  // now b comes after UnregisterB: skipped
  EXPECT_EQ("ababbb", g_calls);
  EXPECT_TRUE(tevbaseUnregisterActiveUserChangedCallback(UnregisterB, nullptr));
  EXPECT_EQ(0, tevbaseFireActiveUserChanged());
}

std::atomic<bool> g_entered{false}, g_finished{false};

void SlowCallback(void*) {
  g_entered = true;
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  g_finished = true;
}

TEST(Tevbase, UnregisterWaitsForARunningCallback) {
  ASSERT_TRUE(tevbaseRegisterActiveUserChangedCallback(SlowCallback, nullptr));
  std::thread firer([] { tevbaseFireActiveUserChanged(); });
  while (!g_entered)
    std::this_thread::yield();
  EXPECT_TRUE(tevbaseUnregisterActiveUserChangedCallback(SlowCallback, nullptr));
  EXPECT_TRUE(g_finished) << "the owner could now be destroyed safely";
  firer.join();
}
