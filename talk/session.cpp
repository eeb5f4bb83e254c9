// The client side of the wire protocol (docs/protocol.md). Every failure that leaves the stream in
// an unknown state closes the socket: after a time-out or a malformed frame there is no telling
// where the next frame would start.
#include "session.h"

#include <algorithm>
#include <chrono>

#include "frame_io.h"
#include "messages.h"
#include "wire_protocol.h"

namespace talk {

Session::~Session() {
  if (!socket_.valid())
    return;
  std::string ignored;
  // A short wait only: the destructor must not hang on a controller that stopped reading.
  WriteFrame(socket_, kBye, nullptr, 0, 100, &ignored);
}

OpenResult Session::Open(std::string* error) {
  const Deadline deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(timeouts_.connect_ms);
  if (!Socket::Connect(endpoint_.host, endpoint_.port, timeouts_.connect_ms, &socket_, error))
    return OpenResult::kUnreachable;
  // The whole exchange ends by the deadline, however slowly the answer trickles in.
  socket_.SetDeadline(deadline);
  std::string reason;
  Frame frame;
  IoStatus status = WriteFrame(socket_, kHello, EncodeU32(kProtocolVersion), -1, &reason);
  // Keep-alives are not expected here: the controller answers the hello at once.
  if (status == IoStatus::kOk)
    status = ReadFrame(socket_, kDefaultMaxFrameBytes, -1, &frame, &reason);
  socket_.ClearDeadline();
  if (status == IoStatus::kOk)
    return CheckHelloAnswer(frame, error);
  socket_.Close();
  if (status == IoStatus::kMalformed) {
    *error = "protocol error: bad frame in answer to the hello: " + reason;
    return OpenResult::kBroken;
  }
  *error = "no hello from the controller at " + endpoint_.host + " port " + endpoint_.port + ": " +
           reason;
  return OpenResult::kUnreachable;
}

OpenResult Session::CheckHelloAnswer(const Frame& frame, std::string* error) {
  std::uint32_t version = 0;
  std::string text;
  if (frame.type == kHelloOk && DecodeU32(frame.payload, &version) && version == kProtocolVersion)
    return OpenResult::kConnected;
  socket_.Close();
  if (frame.type == kRefused && DecodeText(frame.payload, &text)) {
    *error = "controller refused the connection: " + text;
    return OpenResult::kRefused;
  }
  if (frame.type == kError && DecodeText(frame.payload, &text))
    *error = "controller rejected the hello: " + text;
  else
    *error = "protocol error: unexpected answer to the hello (frame type " +
             std::to_string(frame.type) + ")";
  return OpenResult::kBroken;
}

void Session::Lose(const std::string& reason, std::string* error) {
  socket_.Close();
  lost_ = true;
  *error = "connection to " + endpoint_.host + " port " + endpoint_.port + " lost: " + reason;
}

bool Session::WriteOrLose(std::uint8_t type, const char* data, std::size_t size,
                          std::string* error) {
  std::string reason;
  if (WriteFrame(socket_, type, data, size, timeouts_.idle_ms, &reason) == IoStatus::kOk)
    return true;
  Lose(reason, error);
  return false;
}

bool Session::AwaitResponse(std::string* result, std::string* error) {
  for (;;) {
    Frame frame;
    std::string reason;
    IoStatus status = ReadFrame(socket_, kDefaultMaxFrameBytes, timeouts_.idle_ms, &frame, &reason);
    if (status != IoStatus::kOk) {
      Lose(reason, error);
      return false;
    }
    if (frame.type == kKeepAlive && frame.payload.empty())
      continue;
    if (frame.type == kOk) {
      *result = std::move(frame.payload);
      return true;
    }
    if (frame.type != kError) {
      Lose("protocol error: unexpected frame type " + std::to_string(frame.type), error);
      return false;
    }
    if (!DecodeText(frame.payload, error))
      *error = "protocol error: malformed error text";
    return false;
  }
}

// Nothing may arrive while no request is pending: taken as the next request's answer, such a
// frame would shift every later answer by one. Keep-alives are harmless and skipped.
bool Session::NothingPending(std::string* error) {
  std::string reason;
  while (socket_.WaitReadable(0, &reason) == IoStatus::kOk) {
    Frame frame;
    IoStatus status = ReadFrame(socket_, kDefaultMaxFrameBytes, timeouts_.idle_ms, &frame, &reason);
    if (status != IoStatus::kOk) {
      Lose(reason, error);
      return false;
    }
    if (frame.type != kKeepAlive || !frame.payload.empty()) {
      Lose("protocol error: frame type " + std::to_string(frame.type) + " answers no request",
           error);
      return false;
    }
  }
  return true;
}

bool Session::Request(std::uint8_t type, const std::string& payload, std::string* result,
                      std::string* error) {
  if (!socket_.valid()) {
    *error = "no connection to the controller";
    return false;
  }
  return NothingPending(error) && WriteOrLose(type, payload.data(), payload.size(), error) &&
         AwaitResponse(result, error);
}

bool Session::Send(const std::string& name, const std::string& data, std::string* error) {
  if (!socket_.valid()) {
    *error = "no connection to the controller";
    return false;
  }
  std::string begin = EncodeSendBegin({name, static_cast<std::uint64_t>(data.size())});
  if (!NothingPending(error) || !WriteOrLose(kSendBegin, begin.data(), begin.size(), error))
    return false;
  for (std::size_t offset = 0; offset < data.size(); offset += kSendChunkBytes) {
    std::size_t size = std::min<std::size_t>(kSendChunkBytes, data.size() - offset);
    if (!WriteOrLose(kSendChunk, data.data() + offset, size, error))
      return false;
  }
  std::string result;
  return AwaitResponse(&result, error);
}

}  // namespace talk
