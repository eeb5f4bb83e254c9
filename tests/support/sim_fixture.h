// A test fixture that owns one simulated controller, named after the running test, with the two
// steps every end-to-end test repeats: start the simulator and open an MTalkClient on it.
// Header-only: it needs GoogleTest and the engine, which the test programs link and the support
// library does not.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mtalkclient.h"
#include "simulated_controller.h"

namespace e2e {

class SimFixture : public testing::Test {
 protected:
  // Starts the simulator on `station`; the test fails here when it does not come up.
  void StartSim(const std::string& station, const std::vector<std::string>& args = {}) {
    std::string error;
    ASSERT_TRUE(sim_.Start(station, args, &error)) << error;
  }
  // Points `client` at the simulator and opens it; the test fails here when the open fails.
  void OpenClient(MTalkClient* client) {
    client->SetConnection("127.0.0.1", sim_.port_text());
    ASSERT_TRUE(client->Open());
  }

  SimulatedController sim_{testing::UnitTest::GetInstance()->current_test_info()->name()};
};

}  // namespace e2e
