// The per-connection protocol loop. Transfers are not read with ReadFrame: their chunks go through
// one reused buffer and straight into the checksum, so that a transfer of hundreds of megabytes
// costs the simulator well under a megabyte of memory, not a copy of the payload. Every frame
// after the hello carries the id of the request it belongs to: answers and keep-alives copy the
// id of the request being served.
#include "session.h"

#include <chrono>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "frame_io.h"
#include "messages.h"

namespace sim {
namespace {

constexpr int kWriteTimeoutMs = 30000;
// A hello is a u32: anything much larger is not a hello, and is refused before it is allocated.
constexpr std::uint32_t kMaxHelloBytes = 64;
// Small enough that the bytes are still in the processor's cache when the checksum reads them.
constexpr std::size_t kReceiveBufferBytes = 256u << 10;

// What a request handler tells the loop: go on with the next request, or end the connection.
enum class Next { kContinue, kClose };

class Session {
 public:
  Session(talk::Socket socket, Controller* controller, const Limits& limits)
      : socket_(std::move(socket)), controller_(controller), limits_(limits) {}

  // Answers the hello (whose version the caller read) and serves requests until the end.
  void Run(std::uint32_t version);

 private:
  bool Hello(std::uint32_t version);
  talk::IoStatus ReadRequest(talk::Frame* request, std::string* error);
  Next Dispatch(const talk::Frame& request);
  Next HandleReceive(const talk::Frame& request);
  Next HandleSet(const talk::Frame& request);
  Next HandleSend(const talk::Frame& request);
  // Reads the chunks of `transfer`; false when the connection must end (already journaled).
  bool ReceiveChunks(Transfer* transfer);
  bool ReceiveChunk(Transfer* transfer, std::uint32_t length);
  bool WaitMinimumSendTime(std::chrono::steady_clock::time_point start);
  Next AnswerHello(std::uint8_t type, const std::string& payload);
  Next Sent(talk::IoStatus status, const std::string& error);
  Next Reply(std::uint8_t type, const std::string& payload, std::size_t entries = 0);
  Next ReplyMap(const std::map<std::string, std::string>& map);
  Next ProtocolError(const std::string& what);

  talk::Socket socket_;
  Controller* controller_;
  const Limits& limits_;
  std::vector<char> buffer_;
  std::uint32_t request_id_ = 0;  // of the request being served
};

void Report(const std::string& text) {
  std::fprintf(stderr, "controller_sim: %s\n", text.c_str());
}

talk::Deadline In(int ms) {
  return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
}

void Session::Run(std::uint32_t version) {
  if (!Hello(version))
    return;
  for (;;) {
    talk::Frame request;
    std::string error;
    const talk::IoStatus status = ReadRequest(&request, &error);
    if (status != talk::IoStatus::kOk) {
      if (status != talk::IoStatus::kClosed)
        Report("connection ended: " + error);
      break;
    }
    if (request.type == talk::kBye || Dispatch(request) == Next::kClose)
      break;
  }
  controller_->Disconnect();
}

// The next request may be long in coming (an operator reading a message box), but once it has
// begun it must arrive whole in time: a half-sent frame does not hold the controller.
talk::IoStatus Session::ReadRequest(talk::Frame* request, std::string* error) {
  talk::IoStatus status = socket_.WaitReadable(limits_.idle_ms, error);
  if (status != talk::IoStatus::kOk)
    return status;
  socket_.SetDeadline(In(limits_.request_ms));
  status = talk::ReadFrame(socket_, talk::Framing::kTagged, talk::kDefaultMaxFrameBytes, -1,
                           request, error);
  socket_.ClearDeadline();
  request_id_ = request->request_id;
  return status;
}

// False when the connection ends here; CONNECT and DISCONNECT are journaled in pairs.
bool Session::Hello(std::uint32_t version) {
  const bool accepted = controller_->Connect();
  Next next = Next::kContinue;
  // The hello's answer is a plain frame, which a client of any protocol version can read.
  if (version != talk::kProtocolVersion) {
    AnswerHello(talk::kError,
                talk::EncodeText("unsupported protocol version " + std::to_string(version) +
                                 " (this controller speaks version " +
                                 std::to_string(talk::kProtocolVersion) + ")"));
    next = Next::kClose;
  } else if (!accepted) {
    AnswerHello(talk::kRefused, talk::EncodeText("the controller refuses the machine connection"));
    next = Next::kClose;
  } else {
    next = AnswerHello(talk::kHelloOk, talk::EncodeU32(talk::kProtocolVersion));
  }
  if (next == Next::kClose)
    controller_->Disconnect();
  return next == Next::kContinue;
}

Next Session::Dispatch(const talk::Frame& request) {
  const bool empty = request.payload.empty();
  switch (request.type) {
    case talk::kMachineName:
      if (!empty)
        break;
      return Reply(talk::kOk, talk::EncodeText(controller_->MachineName()));
    case talk::kComponents:
      if (!empty)
        break;
      return ReplyMap(controller_->Components());
    case talk::kOptions:
      if (!empty)
        break;
      return ReplyMap(controller_->Options());
    case talk::kCapabilities: {
      std::uint8_t flag = 0;
      if (!talk::DecodeU8(request.payload, &flag))
        break;
      talk::CapabilitiesResult result;
      result.result = controller_->Capabilities(&result.channels);
      return Reply(talk::kOk, talk::EncodeCapabilitiesResult(result), result.channels.size());
    }
    case talk::kReceive:
      return HandleReceive(request);
    case talk::kSet:
      return HandleSet(request);
    case talk::kSendBegin:
      return HandleSend(request);
    default:
      return ProtocolError("unexpected frame type " + std::to_string(request.type));
  }
  return ProtocolError("malformed request of type " + std::to_string(request.type));
}

Next Session::HandleReceive(const talk::Frame& request) {
  std::string name;
  if (!talk::DecodeText(request.payload, &name))
    return ProtocolError("malformed receive");
  std::string value;
  std::string error;
  if (!controller_->Receive(name, &value, &error))
    return Reply(talk::kError, talk::EncodeText(error));
  return Reply(talk::kOk, talk::EncodeText(value));
}

Next Session::HandleSet(const talk::Frame& request) {
  talk::SetRequest set;
  if (!talk::DecodeSetRequest(request.payload, &set))
    return ProtocolError("malformed set");
  std::string error;
  if (!controller_->Set(set.name, set.value, &error))
    return Reply(talk::kError, talk::EncodeText(error));
  return Reply(talk::kOk, std::string());
}

Next Session::HandleSend(const talk::Frame& request) {
  talk::SendBeginRequest begin;
  if (!talk::DecodeSendBegin(request.payload, &begin))
    return ProtocolError("malformed send");
  const auto start = std::chrono::steady_clock::now();
  Transfer transfer = controller_->BeginSend(begin.name, begin.total_size);
  if (!ReceiveChunks(&transfer))
    return Next::kClose;
  if (!WaitMinimumSendTime(start)) {
    controller_->FailSend(transfer, kReasonConnectionLost);
    return Next::kClose;
  }
  std::string error;
  if (!controller_->EndSend(transfer, &error))
    return Reply(talk::kError, talk::EncodeText(error));
  return Reply(talk::kOk, std::string());
}

bool Session::ReceiveChunks(Transfer* transfer) {
  while (!transfer->ShouldDrop() && !transfer->Complete()) {
    unsigned char header_bytes[talk::kTaggedHeaderBytes];
    std::string error;
    talk::FrameHeader header;
    const talk::IoStatus status =
        socket_.ReceiveExact(header_bytes, sizeof header_bytes, limits_.transfer_idle_ms, &error);
    if (status != talk::IoStatus::kOk) {
      controller_->FailSend(*transfer, kReasonConnectionLost);
      return false;
    }
    // A chunk belongs to the transfer whose SEND_BEGIN carried its id.
    if (!talk::DecodeFrameHeader(talk::Framing::kTagged, header_bytes, talk::kDefaultMaxFrameBytes,
                                 &header, &error) ||
        header.type != talk::kSendChunk || header.request_id != request_id_ ||
        header.length > transfer->total_size() - transfer->received()) {
      controller_->FailSend(*transfer, kReasonProtocolError);
      ProtocolError(error.empty() ? "bad chunk during a transfer" : error);
      return false;
    }
    if (!ReceiveChunk(transfer, header.length))
      return false;
  }
  if (transfer->ShouldDrop()) {
    // Cut off: closing with unread bytes resets the connection, as a controller that lost power.
    controller_->FailSend(*transfer, kReasonDropped);
    return false;
  }
  return true;
}

bool Session::ReceiveChunk(Transfer* transfer, std::uint32_t length) {
  if (buffer_.empty())
    buffer_.resize(kReceiveBufferBytes);
  while (length > 0) {
    std::size_t got = 0;
    std::string error;
    const std::size_t want = length < buffer_.size() ? length : buffer_.size();
    if (socket_.ReceiveSome(buffer_.data(), want, limits_.transfer_idle_ms, &got, &error) !=
        talk::IoStatus::kOk) {
      controller_->FailSend(*transfer, kReasonConnectionLost);
      return false;
    }
    transfer->Add(buffer_.data(), got);
    length -= static_cast<std::uint32_t>(got);
    if (transfer->ShouldDrop())
      return true;
  }
  return true;
}

// Holds the answer back until the transfer has taken send_seconds, with keep-alive frames so that
// the client's idle time-out does not fire. False when the client has gone.
bool Session::WaitMinimumSendTime(std::chrono::steady_clock::time_point start) {
  const auto deadline = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                    std::chrono::duration<double>(controller_->send_seconds()));
  const auto interval = std::chrono::milliseconds(talk::kKeepAliveIntervalMs / 2);
  for (auto now = std::chrono::steady_clock::now(); now < deadline;
       now = std::chrono::steady_clock::now()) {
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(deadline - now, interval));
    std::string error;
    if (talk::WriteTaggedFrame(socket_, talk::kKeepAlive, request_id_, std::string(),
                               kWriteTimeoutMs, &error) != talk::IoStatus::kOk)
      return false;
  }
  return true;
}

// Every frame respects the receiver's bounds: an answer that would not (a station value or map
// above 16 MiB, more entries than a map may hold) is replaced by an ERROR saying so.
Next Session::Reply(std::uint8_t type, const std::string& payload, std::size_t entries) {
  std::string error;
  if (payload.size() > talk::kDefaultMaxFrameBytes || entries > talk::kMaxListEntries) {
    Report("answer too large for one frame");
    return Reply(talk::kError,
                 talk::EncodeText("the answer (" + std::to_string(payload.size()) + " bytes, " +
                                  std::to_string(entries) + " entries) exceeds the frame bounds"));
  }
  return Sent(talk::WriteTaggedFrame(socket_, type, request_id_, payload, kWriteTimeoutMs, &error),
              error);
}

Next Session::AnswerHello(std::uint8_t type, const std::string& payload) {
  std::string error;
  return Sent(talk::WriteFrame(socket_, type, payload, kWriteTimeoutMs, &error), error);
}

Next Session::Sent(talk::IoStatus status, const std::string& error) {
  if (status == talk::IoStatus::kOk)
    return Next::kContinue;
  Report("cannot answer the client: " + error);
  return Next::kClose;
}

Next Session::ReplyMap(const std::map<std::string, std::string>& map) {
  return Reply(talk::kOk, talk::EncodeMap(map), map.size());
}

Next Session::ProtocolError(const std::string& what) {
  Report("protocol error: " + what);
  return Next::kClose;
}

// Reads the hello within limits.hello_ms; false (reported) when none came.
bool ReadHello(talk::Socket& socket, const Limits& limits, std::uint32_t* version) {
  talk::Frame hello;
  std::string error;
  socket.SetDeadline(In(limits.hello_ms));
  const talk::IoStatus status =
      talk::ReadFrame(socket, talk::Framing::kPlain, kMaxHelloBytes, -1, &hello, &error);
  socket.ClearDeadline();
  if (status != talk::IoStatus::kOk) {
    if (status != talk::IoStatus::kClosed)
      Report("no hello: " + error);
    return false;
  }
  if (hello.type != talk::kHello || !talk::DecodeU32(hello.payload, version)) {
    Report("protocol error: the first request is not a hello");
    return false;
  }
  return true;
}

}  // namespace

bool ServeClient(talk::Socket client, SharedController* shared, const Limits& limits) {
  std::uint32_t version = 0;
  if (!ReadHello(client, limits, &version))
    return false;
  std::unique_lock<std::mutex> lock(shared->mutex);
  const bool free = shared->released.wait_for(lock, std::chrono::milliseconds(limits.busy_wait_ms),
                                              [shared] { return !shared->held; });
  if (!free || shared->retired) {
    lock.unlock();
    Report("turned a client away: busy with another client");
    std::string ignored;
    talk::WriteFrame(client, talk::kRefused,
                     talk::EncodeText("the controller is busy with another client"),
                     kWriteTimeoutMs, &ignored);
    return false;
  }
  shared->held = true;
  lock.unlock();
  Session(std::move(client), shared->controller, limits).Run(version);
  lock.lock();
  shared->held = false;
  shared->retired = shared->retire_after_client;
  lock.unlock();
  shared->released.notify_one();
  return true;
}

}  // namespace sim
