// One frame at a time over a Socket. The payload of a large written frame goes to the socket
// straight from the caller's memory; a read frame's payload is allocated only after its header
// passed the length check.
#include "frame_io.h"

#include <cstring>

namespace talk {

// Requests and most answers are a few bytes: such a frame leaves in one segment, so the peer is
// woken once and finds it whole (with Nagle off, a separate header would be a packet and a
// wake-up of its own, which dominates a run of many small requests).
void PrepareFrame(Framing framing, std::uint8_t type, std::uint32_t request_id, const char* data,
                  std::size_t size, FramePieces* pieces) {
  constexpr std::size_t kOneSegmentPayload = sizeof pieces->head - kTaggedHeaderBytes;
  EncodeFrameHeader(framing, type, static_cast<std::uint32_t>(size), request_id, pieces->head);
  pieces->head_size = HeaderBytes(framing);
  pieces->rest = nullptr;
  pieces->rest_size = 0;
  if (size <= kOneSegmentPayload) {
    if (size != 0)
      std::memcpy(pieces->head + pieces->head_size, data, size);
    pieces->head_size += size;
  } else {
    pieces->rest = data;
    pieces->rest_size = size;
  }
}

namespace {

IoStatus WritePieces(Socket& socket, const FramePieces& pieces, int timeout_ms,
                     std::string* error) {
  IoStatus status = socket.SendAll(pieces.head, pieces.head_size, timeout_ms, error);
  if (status != IoStatus::kOk || pieces.rest_size == 0)
    return status;
  return socket.SendAll(pieces.rest, pieces.rest_size, timeout_ms, error);
}

}  // namespace

IoStatus WriteFrame(Socket& socket, std::uint8_t type, const std::string& payload, int timeout_ms,
                    std::string* error) {
  FramePieces pieces;
  PrepareFrame(Framing::kPlain, type, 0, payload.data(), payload.size(), &pieces);
  return WritePieces(socket, pieces, timeout_ms, error);
}

IoStatus WriteTaggedFrame(Socket& socket, std::uint8_t type, std::uint32_t request_id,
                          const char* data, std::size_t size, int timeout_ms, std::string* error) {
  FramePieces pieces;
  PrepareFrame(Framing::kTagged, type, request_id, data, size, &pieces);
  return WritePieces(socket, pieces, timeout_ms, error);
}

IoStatus WriteTaggedFrame(Socket& socket, std::uint8_t type, std::uint32_t request_id,
                          const std::string& payload, int timeout_ms, std::string* error) {
  return WriteTaggedFrame(socket, type, request_id, payload.data(), payload.size(), timeout_ms,
                          error);
}

IoStatus ReadFrameHeader(Socket& socket, Framing framing, std::uint32_t max_payload, int timeout_ms,
                         FrameHeader* header, std::string* error) {
  unsigned char bytes[kTaggedHeaderBytes];
  IoStatus status = socket.ReceiveExact(bytes, HeaderBytes(framing), timeout_ms, error);
  if (status != IoStatus::kOk)
    return status;
  return DecodeFrameHeader(framing, bytes, max_payload, header, error) ? IoStatus::kOk
                                                                       : IoStatus::kMalformed;
}

IoStatus ReadFrame(Socket& socket, Framing framing, std::uint32_t max_payload, int timeout_ms,
                   Frame* frame, std::string* error) {
  FrameHeader header;
  IoStatus status = ReadFrameHeader(socket, framing, max_payload, timeout_ms, &header, error);
  if (status != IoStatus::kOk)
    return status;
  frame->type = header.type;
  frame->request_id = header.request_id;
  // resize keeps the capacity of a reused frame: no fresh allocation per chunk.
  frame->payload.resize(header.length);
  if (header.length == 0)
    return IoStatus::kOk;
  return socket.ReceiveExact(&frame->payload[0], header.length, timeout_ms, error);
}

}  // namespace talk
