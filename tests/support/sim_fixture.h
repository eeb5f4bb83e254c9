// A fixture that owns one simulated controller, named after the running test: start it on a free
// port, open an MTalkClient on it, read its journal; and the payloads of the transfer tests.
// Header-only: it needs GoogleTest and the engine, which the support library does not link.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "crc32.h"
#include "mtalkclient.h"
#include "sim_process.h"

namespace e2e {

// `size` bytes of a fixed pseudo-random sequence: every byte value occurs and neighbouring
// chunks differ, so a lost, doubled or reordered chunk changes the checksum.
inline std::string MakePayload(std::size_t size, std::uint32_t seed) {
  std::string data(size, '\0');
  for (char& byte : data)
    byte = static_cast<char>((seed = seed * 1664525u + 1013904223u) >> 24);
  return data;
}

// The CRC-32 as the journal prints it (checked against the definition in the simulator's tests).
inline std::string Crc32Hex(const std::string& data) {
  sim::Crc32 crc;
  crc.Update(data.data(), data.size());
  return sim::FormatCrc32(crc.Value());
}

class SimFixture : public testing::Test {
 protected:
  // Starts the simulator on `station` and `args`; fails the test without a port within 20 s.
  void StartSim(const std::string& station, const std::vector<std::string>& args = {}) {
    const std::string dir = SimPath(sim_.dir());
    WriteFileText(sim_.dir() + "/station.ini", station);
    std::vector<std::string> all = {"--station", dir + "/station.ini", "--port",
                                    "0",         "--port-file",        dir + "/port.txt",
                                    "--journal", dir + "/journal.log"};
    all.insert(all.end(), args.begin(), args.end());
    std::string error;
    ASSERT_TRUE(sim_.Start(all, &error)) << error;
    for (int i = 0; i < 1000 && sim_.Running() && port_.empty(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      const std::string text = ReadFileText(sim_.dir() + "/port.txt");
      port_ = text.empty() || text.back() != '\n' ? "" : text.substr(0, text.size() - 1);
    }
    ASSERT_FALSE(port_.empty()) << ReadFileText(sim_.dir() + "/stderr.txt");
  }
  // Points `client` at the simulator and opens it.
  void OpenClient(MTalkClient* client) {
    client->SetConnection("127.0.0.1", port_);
    ASSERT_TRUE(client->Open());
  }
  // The journal once it has `count` lines (10 s at most): the last lines come after the client.
  std::vector<std::string> Journal(std::size_t count) {
    std::vector<std::string> lines;
    for (int i = 0; i < 500 && lines.size() < count; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(i == 0 ? 0 : 20));
      std::istringstream in(ReadFileText(sim_.dir() + "/journal.log"));
      lines.clear();
      for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    }
    return lines;
  }

  SimProcess sim_{testing::UnitTest::GetInstance()->current_test_info()->name()};
  std::string port_;
};

}  // namespace e2e
