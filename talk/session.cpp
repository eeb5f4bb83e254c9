// The client side of the wire protocol (docs/protocol.md). Every failure that leaves the stream in
// an unknown state closes the socket: after a time-out or a malformed frame there is no telling
// where the next frame would start. Frames are read header first, so that each payload is read
// only as far as it is kept; the rest is discarded through a small buffer.
#include "session.h"

#include <algorithm>
#include <chrono>

#include "frame_io.h"
#include "messages.h"
#include "wire_protocol.h"

namespace talk {

namespace {

constexpr std::size_t kMaxNotices = 16;
constexpr std::size_t kDiscardBufferBytes = 16 * 1024;
// A subject quoted in a time-out text: the start of a name is enough to recognise it.
constexpr std::size_t kMaxQuotedSubjectBytes = 256;

const char* RequestName(std::uint8_t type) {
  switch (type) {
    case kMachineName:
      return "MACHINE_NAME";
    case kComponents:
      return "COMPONENTS";
    case kOptions:
      return "OPTIONS";
    case kCapabilities:
      return "CAPABILITIES";
    case kReceive:
      return "RECEIVE";
    case kSet:
      return "SET";
    default:
      return "SEND";
  }
}

std::string Quoted(const std::string& subject) {
  if (subject.size() <= kMaxQuotedSubjectBytes)
    return " \"" + subject + "\"";
  return " \"" + subject.substr(0, kMaxQuotedSubjectBytes) + "...\"";
}

}  // namespace

Session::~Session() {
  if (!socket_.valid())
    return;
  std::string ignored;
  // A short wait only: the destructor must not hang on a controller that stopped reading.
  WriteTaggedFrame(socket_, kBye, 0, nullptr, 0, 100, &ignored);
}

OpenResult Session::Open(std::string* error) {
  const Deadline deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(timeouts_.connect_ms);
  if (!Socket::Connect(endpoint_.host, endpoint_.port, timeouts_.connect_ms, &socket_, error))
    return OpenResult::kUnreachable;
  // The whole exchange ends by the deadline, however slowly the answer trickles in.
  socket_.SetDeadline(deadline);
  std::string reason;
  FrameHeader header;
  OpenResult result = OpenResult::kBroken;
  // Keep-alives are not expected here: the controller answers the hello at once.
  IoStatus status = WriteFrame(socket_, kHello, EncodeU32(kProtocolVersion), -1, &reason);
  if (status == IoStatus::kOk)
    status = ReadFrameHeader(socket_, Framing::kPlain, kDefaultMaxFrameBytes, -1, &header, &reason);
  if (status == IoStatus::kOk)
    status = ReadHelloAnswer(header, &result, error, &reason);
  socket_.ClearDeadline();
  if (status == IoStatus::kOk && result == OpenResult::kConnected)
    return result;
  socket_.Close();
  if (status == IoStatus::kOk)
    return result;
  if (status == IoStatus::kMalformed) {
    *error = "protocol error: bad frame in answer to the hello: " + reason;
    return OpenResult::kBroken;
  }
  *error = "no hello from the controller at " + endpoint_.host + " port " + endpoint_.port + ": " +
           reason;
  return OpenResult::kUnreachable;
}

// Reads what is kept of the hello's answer: its version, or the controller's text.
IoStatus Session::ReadHelloAnswer(const FrameHeader& header, OpenResult* result, std::string* error,
                                  std::string* reason) {
  std::string text;
  bool well_formed = false;
  IoStatus status = IoStatus::kOk;
  if (header.type == kHelloOk && header.length == 4) {
    text.resize(4);
    status = socket_.ReceiveExact(&text[0], 4, -1, reason);
    std::uint32_t version = 0;
    if (status == IoStatus::kOk && DecodeU32(text, &version) && version == kProtocolVersion) {
      *result = OpenResult::kConnected;
      return status;
    }
    *error = "protocol error: the controller speaks protocol version " + std::to_string(version) +
             ", the library version " + std::to_string(kProtocolVersion);
    return status;
  }
  if (header.type == kRefused || header.type == kError)
    status = ReadText(header.length, &text, &well_formed, reason);
  if (header.type == kRefused && well_formed) {
    *result = OpenResult::kRefused;
    *error = "controller at " + endpoint_.host + " port " + endpoint_.port +
             " refused the connection: " + text;
  } else if (header.type == kError && well_formed) {
    *error = "controller rejected the hello (protocol version " + std::to_string(kProtocolVersion) +
             "): " + text;
  } else {
    *error = "protocol error: unexpected answer to the hello (frame type " +
             std::to_string(header.type) + ")";
  }
  return status;
}

void Session::Lose(const std::string& reason, std::string* error) {
  socket_.Close();
  lost_ = true;
  *error = "connection to " + endpoint_.host + " port " + endpoint_.port + " lost: " + reason;
}

// A wait cut short by the deadline of an open request is the request limit.
void Session::LoseAfter(IoStatus status, const std::string& reason, std::string* error) {
  if (status != IoStatus::kPastDeadline || request_id_ == 0) {
    Lose(reason, error);
    return;
  }
  Lose("time-out: the request " + std::string(RequestName(request_type_)) +
           (request_subject_->empty() ? "" : Quoted(*request_subject_)) +
           " took longer than its limit of " + std::to_string(timeouts_.request_ms) + " ms",
       error);
}

bool Session::Begin(std::uint8_t type, const std::string& subject, std::string* error) {
  if (!socket_.valid()) {
    *error = "no connection to the controller";
    return false;
  }
  // Ids count up from 1 and never are 0, the id of frames that answer nothing.
  if (++last_id_ == 0)
    last_id_ = 1;
  request_id_ = last_id_;
  request_type_ = type;
  request_subject_ = &subject;
  socket_.SetDeadline(std::chrono::steady_clock::now() +
                      std::chrono::milliseconds(timeouts_.request_ms));
  return true;
}

bool Session::Finish(bool ok) {
  socket_.ClearDeadline();
  request_id_ = 0;
  request_subject_ = nullptr;
  return ok;
}

bool Session::Request(std::uint8_t type, const std::string& subject, const std::string& payload,
                      std::string* result, std::string* error) {
  if (!Begin(type, subject, error))
    return false;
  return Finish(WriteRequest(type, payload.data(), payload.size(), error) &&
                AwaitAnswer(result, error));
}

bool Session::Send(const std::string& name, const std::string& data, std::string* error) {
  if (!Begin(kSendBegin, name, error))
    return false;
  const std::string begin = EncodeSendBegin({name, static_cast<std::uint64_t>(data.size())});
  bool ok = WriteRequest(kSendBegin, begin.data(), begin.size(), error);
  for (std::size_t offset = 0; ok && offset < data.size(); offset += kSendChunkBytes) {
    const std::size_t size = std::min<std::size_t>(kSendChunkBytes, data.size() - offset);
    ok = WriteRequest(kSendChunk, data.data() + offset, size, error);
  }
  std::string result;
  return Finish(ok && AwaitAnswer(&result, error));
}

bool Session::WriteRequest(std::uint8_t type, const char* data, std::size_t size,
                           std::string* error) {
  FramePieces pieces;
  PrepareFrame(Framing::kTagged, type, request_id_, data, size, &pieces);
  return SendHeard(reinterpret_cast<const char*>(pieces.head), pieces.head_size, error) &&
         (pieces.rest_size == 0 || SendHeard(pieces.rest, pieces.rest_size, error));
}

// Sends while listening: a controller that stopped reading may have said why.
bool Session::SendHeard(const char* data, std::size_t size, std::string* error) {
  for (;;) {
    std::size_t sent = 0;
    std::string reason;
    const IoStatus status = socket_.SendWatching(data, size, timeouts_.idle_ms, &sent, &reason);
    if (status == IoStatus::kOk)
      return true;
    if (status != IoStatus::kReadable) {
      LoseAfter(status, reason, error);
      return false;
    }
    data += sent;
    size -= sent;
    if (!HearDuringSend(error))
      return false;
  }
}

bool Session::HearDuringSend(std::string* error) {
  FrameHeader header;
  if (!ReadHeader(&header, error))
    return false;
  if (header.request_id != request_id_)
    return DropFrame(header, error);
  if (header.type == kKeepAlive && header.length == 0)
    return true;
  if (header.type != kError) {
    Lose("protocol error: unexpected frame type " + std::to_string(header.type), error);
    return false;
  }
  // The controller gave up on the request before it had all of it. Its text is the verdict; the
  // connection ends, since the request's frame was cut.
  ReadErrorAnswer(header.length, error);
  socket_.Close();
  lost_ = true;
  return false;
}

bool Session::AwaitAnswer(std::string* result, std::string* error) {
  for (;;) {
    FrameHeader header;
    if (!ReadHeader(&header, error))
      return false;
    if (header.request_id != request_id_) {
      if (!DropFrame(header, error))
        return false;
      continue;
    }
    if (header.type == kKeepAlive && header.length == 0)
      continue;
    if (header.type == kOk)
      return ReadPayload(header.length, result, error);
    if (header.type != kError) {
      Lose("protocol error: unexpected frame type " + std::to_string(header.type), error);
      return false;
    }
    ReadErrorAnswer(header.length, error);
    return false;
  }
}

bool Session::ReadHeader(FrameHeader* header, std::string* error) {
  std::string reason;
  const IoStatus status = ReadFrameHeader(socket_, Framing::kTagged, kDefaultMaxFrameBytes,
                                          timeouts_.idle_ms, header, &reason);
  if (status == IoStatus::kOk)
    return true;
  LoseAfter(status, reason, error);
  return false;
}

bool Session::ReadPayload(std::uint32_t length, std::string* payload, std::string* error) {
  std::string reason;
  payload->resize(length);
  if (length == 0)
    return true;
  const IoStatus status = socket_.ReceiveExact(&(*payload)[0], length, timeouts_.idle_ms, &reason);
  if (status == IoStatus::kOk)
    return true;
  LoseAfter(status, reason, error);
  return false;
}

// *error gets the controller's text; a text that does not decode leaves the stream in step.
void Session::ReadErrorAnswer(std::uint32_t length, std::string* error) {
  std::string reason;
  bool well_formed = false;
  const IoStatus status = ReadText(length, error, &well_formed, &reason);
  if (status != IoStatus::kOk)
    LoseAfter(status, reason, error);
  else if (!well_formed)
    *error = "protocol error: malformed error text";
}

// A text payload (u32 count and the bytes) of `length` bytes: the first kMaxKeptTextBytes go to
// *text, the rest is discarded as it arrives and only counted.
IoStatus Session::ReadText(std::uint32_t length, std::string* text, bool* well_formed,
                           std::string* reason) {
  *well_formed = false;
  if (length < 4)
    return Discard(length, reason);
  std::string count_bytes(4, '\0');
  IoStatus status = socket_.ReceiveExact(&count_bytes[0], 4, timeouts_.idle_ms, reason);
  std::uint32_t count = 0;
  if (status != IoStatus::kOk || !DecodeU32(count_bytes, &count))
    return status;
  const std::uint32_t rest = length - 4;
  const std::uint32_t kept = std::min(rest, kMaxKeptTextBytes);
  text->assign(kept, '\0');
  if (kept > 0)
    status = socket_.ReceiveExact(&(*text)[0], kept, timeouts_.idle_ms, reason);
  if (status == IoStatus::kOk)
    status = Discard(rest - kept, reason);
  *well_formed = count == rest;
  if (*well_formed && kept < count)
    *text += "... (" + std::to_string(count) + " bytes in all)";
  return status;
}

bool Session::DropFrame(const FrameHeader& header, std::string* error) {
  if (notices_.size() < kMaxNotices) {
    notices_.push_back("dropped a frame that answers no open request: type " +
                       std::to_string(header.type) + ", request id " +
                       std::to_string(header.request_id) + ", " + std::to_string(header.length) +
                       " payload bytes (request " + std::to_string(request_id_) + " is open)");
  } else {
    ++unnoted_drops_;
  }
  std::string reason;
  const IoStatus status = Discard(header.length, &reason);
  if (status == IoStatus::kOk)
    return true;
  LoseAfter(status, reason, error);
  return false;
}

IoStatus Session::Discard(std::uint32_t count, std::string* reason) {
  char buffer[kDiscardBufferBytes];
  while (count > 0) {
    std::size_t got = 0;
    const IoStatus status = socket_.ReceiveSome(buffer, std::min<std::size_t>(count, sizeof buffer),
                                                timeouts_.idle_ms, &got, reason);
    if (status != IoStatus::kOk)
      return status;
    count -= static_cast<std::uint32_t>(got);
  }
  return IoStatus::kOk;
}

std::vector<std::string> Session::TakeNotices() {
  if (unnoted_drops_ > 0)
    notices_.push_back("dropped " + std::to_string(unnoted_drops_) +
                       " more frames that answer no open request");
  unnoted_drops_ = 0;
  std::vector<std::string> taken;
  taken.swap(notices_);
  return taken;
}

}  // namespace talk
