// One frame at a time over a Socket. The payload of a large written frame goes to the socket
// straight from the caller's memory; a read frame's payload is allocated only after its header
// passed the length check.
#include "frame_io.h"

#include <cstring>

namespace talk {

namespace {

// Requests and most answers are a few bytes: such a frame leaves in one segment, so the peer is
// woken once and finds it whole (with Nagle off, a separate header would be a packet and a
// wake-up of its own, which dominates a run of many small requests).
constexpr std::size_t kOneSegmentPayload = 4096;

}  // namespace

IoStatus WriteFrame(Socket& socket, std::uint8_t type, const char* data, std::size_t size,
                    int timeout_ms, std::string* error) {
  unsigned char frame[kFrameHeaderBytes + kOneSegmentPayload];
  EncodeFrameHeader(type, static_cast<std::uint32_t>(size), frame);
  if (size <= kOneSegmentPayload) {
    if (size != 0)
      std::memcpy(frame + kFrameHeaderBytes, data, size);
    return socket.SendAll(frame, kFrameHeaderBytes + size, timeout_ms, error);
  }
  IoStatus status = socket.SendAll(frame, kFrameHeaderBytes, timeout_ms, error);
  if (status != IoStatus::kOk)
    return status;
  return socket.SendAll(data, size, timeout_ms, error);
}

IoStatus WriteFrame(Socket& socket, std::uint8_t type, const std::string& payload, int timeout_ms,
                    std::string* error) {
  return WriteFrame(socket, type, payload.data(), payload.size(), timeout_ms, error);
}

IoStatus ReadFrameHeader(Socket& socket, std::uint32_t max_payload, int timeout_ms,
                         FrameHeader* header, std::string* error) {
  unsigned char bytes[kFrameHeaderBytes];
  IoStatus status = socket.ReceiveExact(bytes, sizeof bytes, timeout_ms, error);
  if (status != IoStatus::kOk)
    return status;
  return DecodeFrameHeader(bytes, max_payload, header, error) ? IoStatus::kOk
                                                              : IoStatus::kMalformed;
}

IoStatus ReadFrame(Socket& socket, std::uint32_t max_payload, int timeout_ms, Frame* frame,
                   std::string* error) {
  FrameHeader header;
  IoStatus status = ReadFrameHeader(socket, max_payload, timeout_ms, &header, error);
  if (status != IoStatus::kOk)
    return status;
  frame->type = header.type;
  // resize keeps the capacity of a reused frame: no fresh allocation per chunk.
  frame->payload.resize(header.length);
  if (header.length == 0)
    return IoStatus::kOk;
  return socket.ReceiveExact(&frame->payload[0], header.length, timeout_ms, error);
}

}  // namespace talk
