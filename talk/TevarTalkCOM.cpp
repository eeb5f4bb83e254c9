// CTevarTalkCOM: the library's contract on top of a Session. Failures become CTevarTalkError with
// the controller's own text where there is one; the error callback sees every text first.
#include "TevarTalkCOM.h"

#include "messages.h"
#include "session.h"
#include "wire_protocol.h"

namespace {

constexpr std::int32_t kStateConnected = 1;
constexpr std::int32_t kStateUnreachable = -1;
constexpr std::int32_t kStateRefused = -2;
constexpr std::int32_t kStateLost = -3;

std::string ConnectionTextOf(const char* connection, const CMTConnection* link) {
  if (link != nullptr)
    return link->host + " " + link->port;
  if (connection != nullptr)
    return connection;
  return talk::DefaultConnectionText();
}

}  // namespace

CTevarTalkCOM::CTevarTalkCOM(ErrorCallback callback, void* user, const char* connection,
                             CMTConnection* link)
    : postConnectFlag(false), connectionState(kStateUnreachable), callback_(callback), user_(user) {
  talk::Endpoint endpoint;
  std::string error;
  if (!talk::ParseConnectionText(ConnectionTextOf(connection, link), &endpoint, &error))
    Fail(error);
  session_.reset(new talk::Session(endpoint, talk::TimeoutsFromEnvironment()));
  switch (session_->Open(&error)) {
    case talk::OpenResult::kConnected:
      connectionState = kStateConnected;
      break;
    case talk::OpenResult::kUnreachable:
      connectionState = kStateUnreachable;
      last_error_ = error;
      break;
    case talk::OpenResult::kRefused:
      connectionState = kStateRefused;
      last_error_ = error;
      break;
    case talk::OpenResult::kBroken:
      Fail(error);
  }
}

CTevarTalkCOM::~CTevarTalkCOM() = default;

// The callback and what() see a C string, which ends at the first NUL: a NUL inside a text (a
// controller's error text may carry any byte) is written as "\0", so all three see one text.
void CTevarTalkCOM::Fail(const std::string& text) {
  std::string shown;
  for (char c : text) {
    if (c == '\0')
      shown += "\\0";
    else
      shown += c;
  }
  last_error_ = shown;
  if (callback_ != nullptr)
    callback_(user_, shown.c_str());
  throw CTevarTalkError(shown);
}

void CTevarTalkCOM::SetNoticeCallback(ErrorCallback callback, void* user) {
  notice_callback_ = callback;
  notice_user_ = user;
}

void CTevarTalkCOM::PassOnNotices() {
  for (const std::string& notice : session_->TakeNotices()) {
    if (notice_callback_ != nullptr)
      notice_callback_(notice_user_, notice.c_str());
  }
}

talk::Session& CTevarTalkCOM::Ready() {
  if (!postConnectFlag)
    Fail("connection not confirmed (postConnectFlag is not set)");
  if (connectionState < 0 || !session_ || !session_->connected())
    Fail("no connection to the controller");
  return *session_;
}

std::string CTevarTalkCOM::Request(std::uint8_t type, const std::string& payload,
                                   const std::string& subject) {
  talk::Session& session = Ready();
  std::string result, error;
  const bool ok = session.Request(type, subject, payload, &result, &error);
  PassOnNotices();
  if (ok)
    return result;
  if (session.lost())
    connectionState = kStateLost;
  Fail(error);
}

std::string CTevarTalkCOM::GetMachineName() {
  std::string name;
  std::string result = Request(talk::kMachineName, "");
  if (!talk::DecodeText(result, &name))
    Fail("protocol error: malformed machine name");
  return name;
}

std::map<std::string, std::string> CTevarTalkCOM::GetComponentsMap() {
  std::map<std::string, std::string> map;
  std::string result = Request(talk::kComponents, "");
  if (!talk::DecodeMap(result, &map))
    Fail("protocol error: malformed components map");
  return map;
}

std::map<std::string, std::string> CTevarTalkCOM::GetOptionsMap() {
  std::map<std::string, std::string> map;
  std::string result = Request(talk::kOptions, "");
  if (!talk::DecodeMap(result, &map))
    Fail("protocol error: malformed options map");
  return map;
}

bool CTevarTalkCOM::Capabilities(std::map<std::string, CAxis>& channels, bool flag) {
  talk::CapabilitiesResult capabilities;
  {
    // The payload goes before the map is filled: the answer is never held three times over.
    std::string result = Request(talk::kCapabilities, talk::EncodeU8(flag ? 1 : 0));
    if (!talk::DecodeCapabilitiesResult(result, &capabilities))
      Fail("protocol error: malformed channel list");
  }
  for (std::string& name : capabilities.channels) {
    CAxis axis{name};
    channels.emplace(std::move(name), std::move(axis));
  }
  return capabilities.result;
}

bool CTevarTalkCOM::Send(std::string name, std::string data) {
  talk::Session& session = Ready();
  std::string error;
  const bool ok = session.Send(name, data, &error);
  PassOnNotices();
  if (ok)
    return true;
  if (session.lost())
    connectionState = kStateLost;
  // Release the payload before the error travels up: the caller may be short of memory.
  std::string().swap(data);
  Fail(error);
}

bool CTevarTalkCOM::Receive(std::string name, std::string& value, long* error_code) {
  if (error_code != nullptr)
    *error_code = -1;
  std::string text;
  std::string result = Request(talk::kReceive, talk::EncodeText(name), name);
  if (!talk::DecodeText(result, &text))
    Fail("protocol error: malformed value of " + name);
  value = std::move(text);
  if (error_code != nullptr)
    *error_code = 0;
  return true;
}

bool CTevarTalkCOM::Set(const char* name, double value, Position::Reference reference,
                        long* error_code) {
  if (error_code != nullptr)
    *error_code = -1;
  if (name == nullptr)
    Fail("Set: no value name");
  talk::SetRequest request{name, value, static_cast<std::int32_t>(reference)};
  std::string result = Request(talk::kSet, talk::EncodeSetRequest(request), request.name);
  if (!result.empty())
    Fail("protocol error: malformed answer to Set");
  if (error_code != nullptr)
    *error_code = 0;
  return true;
}
