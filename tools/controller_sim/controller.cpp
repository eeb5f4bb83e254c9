// Request handling of the simulated controller. Fault switches are checked after the plain
// lookups where both apply, so an injected fault on a name that also does not exist reports the
// fault: the switch is what the operator asked to rehearse.
#include "controller.h"

namespace sim {

namespace {

// A name as an error text quotes it: a name may be as long as a request frame allows, the
// answer must stay far below the frame bound, so a long name is cut.
std::string Quoted(const std::string& name) {
  if (name.size() <= kMaxQuotedNameBytes)
    return "\"" + name + "\"";
  return "\"" + name.substr(0, kMaxQuotedNameBytes) + "...\"";
}

}  // namespace

void Transfer::Add(const void* data, std::size_t size) {
  crc_.Update(data, size);
  received_ += size;
}

Controller::Controller(Station station, Journal* journal)
    : station_(std::move(station)), journal_(journal) {}

bool Controller::Connect() {
  journal_->Connect();
  return !station_.faults.refuse;
}

void Controller::Disconnect() {
  journal_->Disconnect();
}

std::string Controller::MachineName() {
  journal_->MachineName();
  return station_.machine_name;
}

std::map<std::string, std::string> Controller::Components() {
  journal_->Components();
  return station_.components;
}

std::map<std::string, std::string> Controller::Options() {
  journal_->Options();
  return station_.options;
}

bool Controller::Capabilities(std::vector<std::string>* names) {
  journal_->Capabilities();
  names->clear();
  if (station_.faults.capabilities_error)
    return false;
  for (const auto& channel : station_.channels)
    names->push_back(channel.first);
  return true;
}

bool Controller::Receive(const std::string& name, std::string* value, std::string* error) {
  journal_->Receive(name);
  if (station_.faults.receive_error.count(name) != 0) {
    *error = "Receive of " + Quoted(name) + " failed (injected fault)";
    return false;
  }
  const auto it = station_.values.find(name);
  if (it == station_.values.end()) {
    *error = "unknown value " + Quoted(name);
    return false;
  }
  *value = it->second;
  return true;
}

bool Controller::Set(const std::string& name, double value, std::string* error) {
  journal_->Set(name, value);
  if (station_.faults.set_error.count(name) != 0) {
    *error = "Set of " + Quoted(name) + " failed (injected fault)";
    return false;
  }
  if (station_.channels.count(name) == 0) {
    *error = "unknown channel " + Quoted(name);
    return false;
  }
  return true;
}

Transfer Controller::BeginSend(const std::string& name, std::uint64_t total_size) const {
  std::uint64_t drop_at = std::numeric_limits<std::uint64_t>::max();
  if (station_.faults.drop_during_send.count(name) != 0)
    drop_at = total_size / 2;
  return Transfer(name, total_size, drop_at);
}

bool Controller::EndSend(const Transfer& transfer, std::string* error) {
  if (station_.faults.send_error.count(transfer.name()) != 0) {
    journal_->SendFailed(transfer.name(), kReasonInjectedFault);
    *error = "Send to " + Quoted(transfer.name()) + " failed (injected fault)";
    return false;
  }
  journal_->Send(transfer.name(), transfer.received(), transfer.crc());
  const auto after = station_.after_send.find(transfer.name());
  if (after != station_.after_send.end())
    station_.components[after->first] = after->second;
  return true;
}

void Controller::FailSend(const Transfer& transfer, const std::string& reason) {
  journal_->SendFailed(transfer.name(), reason);
}

}  // namespace sim
