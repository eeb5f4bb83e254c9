// The simulated controller's behaviour, independent of any transport: what it answers to each
// request, which faults it injects, how its component versions change after a transfer, and the
// journal line every request leaves. The server feeds it decoded requests; tests call it
// directly.
//
// The controller lives as long as the simulator: versions changed by [after_send] stay changed
// for later connections, as on a real machine that was flashed. Used by one thread at a time.
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "crc32.h"
#include "journal.h"
#include "station.h"

namespace sim {

// One transfer in progress: counts and checksums the bytes as they stream in; keeps none of them.
class Transfer {
 public:
  Transfer(std::string name, std::uint64_t total_size, std::uint64_t drop_at)
      : name_(std::move(name)), total_size_(total_size), drop_at_(drop_at) {}

  // Adds received bytes. The caller has checked that they do not exceed the announced size.
  void Add(const void* data, std::size_t size);

  // True once the controller should cut the connection (a drop_during_send target that has
  // received half of its bytes; at once for an empty one).
  bool ShouldDrop() const { return received_ >= drop_at_; }
  bool Complete() const { return received_ == total_size_; }

  const std::string& name() const { return name_; }
  std::uint64_t total_size() const { return total_size_; }
  std::uint64_t received() const { return received_; }
  std::uint32_t crc() const { return crc_.Value(); }

 private:
  std::string name_;
  std::uint64_t total_size_;
  std::uint64_t drop_at_;
  std::uint64_t received_ = 0;
  Crc32 crc_;
};

class Controller {
 public:
  // `journal` must outlive the controller; it may be a journal that was never opened.
  Controller(Station station, Journal* journal);

  // A client asks for the machine connection. False when the station refuses connections.
  bool Connect();
  void Disconnect();

  std::string MachineName();
  std::map<std::string, std::string> Components();
  std::map<std::string, std::string> Options();
  // Fills *names with the channel names, in byte order; false, with no names, when the station
  // injects a failed channel query.
  bool Capabilities(std::vector<std::string>* names);
  // The value text, or false with *error for an unknown value or an injected fault.
  bool Receive(const std::string& name, std::string* value, std::string* error);
  // False with *error for an unknown channel or an injected fault.
  bool Set(const std::string& name, double value, std::string* error);

  // Starts a transfer of `total_size` bytes to `name`.
  Transfer BeginSend(const std::string& name, std::uint64_t total_size) const;
  // The least time every transfer takes, in seconds.
  double send_seconds() const { return station_.faults.send_seconds; }
  // Ends a transfer whose bytes all arrived: true when it succeeded (the component then reports
  // its [after_send] version), false with *error for an injected send error.
  bool EndSend(const Transfer& transfer, std::string* error);
  // Records a transfer that ended without its bytes or its answer (cut off, connection lost).
  void FailSend(const Transfer& transfer, const std::string& reason);

 private:
  Station station_;
  Journal* journal_;
};

// Error texts quote at most this many bytes of a name, followed by "..." when it is longer.
constexpr std::size_t kMaxQuotedNameBytes = 256;

// Journal reasons of failed transfers.
constexpr const char* kReasonInjectedFault = "injected fault";
constexpr const char* kReasonDropped = "dropped during transfer";
constexpr const char* kReasonConnectionLost = "connection lost";
constexpr const char* kReasonProtocolError = "protocol error";

}  // namespace sim
