// MTalkClient: creating the talk object with the right connection text, and the error handling
// of the transfer operations. The texts of the traces and console lines are the program's own.
#include "mtalkclient.h"

#include <cstdio>
#include <utility>

#include "errtrace.h"

namespace {

// A controller that answers what was not asked is misbehaving: the operator's log keeps each
// frame the library dropped for it.
void LogDroppedFrame(void* /*user*/, const char* text) {
  MERRLOG("MTalkClient: %s", text);
}

}  // namespace

MTalkClient::MTalkClient() : connected(false) {}

MTalkClient::~MTalkClient() = default;

void MTalkClient::SetConnection(const std::string& host_text, const std::string& port_text) {
  host = host_text;
  port = port_text;
}

bool MTalkClient::Open() {
  if (connected)
    return true;
  if (inst_mt_client())
    connected = true;
  return connected;
}

bool MTalkClient::inst_mt_client() {
  MTRACE(0, "inst_mt_client(): Instantiating TevarTalkCOM client object ...");
  try {
    std::unique_ptr<CTevarTalkCOM> created;
    if (host.empty() && port.empty()) {
      created.reset(new CTevarTalkCOM(nullptr, nullptr, nullptr, nullptr));
    } else {
      // With only one half set the blank still stands: "host " or " port".
      std::string connection = host + " " + port;
      MTRACE(0, "inst_mt_client(): Try to connect to %s", connection.c_str());
      created.reset(new CTevarTalkCOM(nullptr, nullptr, connection.c_str(), nullptr));
    }
    // A retried open replaces the object of the failed one, which closes its connection.
    talk = std::move(created);
    constructionError.clear();
  } catch (const CTevarTalkError& error) {
    // The earlier object, if any, goes too: what failed last is this construction.
    talk.reset();
    constructionError = error.message;
    std::printf("  error '%s'\n", error.message.c_str());
    std::printf("instantiating TevarTalkCOM client object ...... failed.\n");
    std::fflush(stdout);
    return false;
  }
  talk->postConnectFlag = true;
  talk->SetNoticeCallback(&LogDroppedFrame, nullptr);
  bool result = true;
  if (talk->connectionState < 0) {
    MERRLOG("inst_mt:client(): no machine connection");
    result = false;
  }
  MTRACE(0, "inst_mt_client(): ................................... done");
  return result;
}

void MTalkClient::NoteFailure() {
  if (lost_reason_.empty() && connected && talk && talk->connectionState < 0)
    lost_reason_ = talk->LastError();
}

std::string MTalkClient::LastLinkError() const {
  return talk ? talk->LastError() : constructionError;
}

CTevarTalkCOM& MTalkClient::Talk() {
  // Callers open the client first; a missing object is a library-level failure, reported the way
  // the library reports its own.
  if (!talk)
    throw CTevarTalkError("MTalkClient: not opened");
  return *talk;
}

std::string MTalkClient::GetMachineName() {
  return Talk().GetMachineName();
}

std::map<std::string, std::string> MTalkClient::GetComponentsMap() {
  return Talk().GetComponentsMap();
}

std::map<std::string, std::string> MTalkClient::GetOptionsMap() {
  return Talk().GetOptionsMap();
}

bool MTalkClient::GetChannelMap(std::map<std::string, CAxis>& channels) {
  return Talk().Capabilities(channels, false);
}

bool MTalkClient::Send(const char* name, std::string data) {
  try {
    // The library takes the data by value: moving hands over the buffer without a copy, and the
    // library's parameter releases it when the call ends, whichever way it ends.
    Talk().Send(name != nullptr ? name : "", std::move(data));
  } catch (const CTevarTalkError& error) {
    std::string().swap(data);
    NoteFailure();
    MERRTRACE("%s(): error '%s'", "MTalkClient::Send", error.message.c_str());
    return false;
  }
  std::string().swap(data);
  return true;
}

bool MTalkClient::Receive(const char* name, std::string& value) {
  try {
    Talk().Receive(name != nullptr ? name : "", value, nullptr);
  } catch (const CTevarTalkError& error) {
    NoteFailure();
    MERRTRACE("%s(): error '%s'", "MTalkClient::Receive", error.message.c_str());
    return false;
  }
  return true;
}

bool MTalkClient::Set(const char* name, double value) {
  try {
    Talk().Set(name, value, Position::NoReference, nullptr);
  } catch (const CTevarTalkError& error) {
    NoteFailure();
    MERRTRACE("%s(): error '%s'", "MTalkClient::Set", error.message.c_str());
    return false;
  }
  return true;
}
