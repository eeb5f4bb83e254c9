// Frames over a Socket: one call writes or reads one whole frame, with idle time-outs. Used by the
// talk library and by the simulated controller. Plain frames are those of the hello exchange,
// tagged frames (with a request id) everything after it (wire_protocol.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "frame_codec.h"
#include "socket.h"

namespace talk {

// A frame as at most two pieces for the socket: the header, with a payload of up to 4 KiB copied
// behind it so that a small frame leaves in one call, and a larger payload straight from the
// caller's memory (no copy is made; it must outlive the pieces).
struct FramePieces {
  unsigned char head[kTaggedHeaderBytes + 4096];
  std::size_t head_size = 0;
  const char* rest = nullptr;
  std::size_t rest_size = 0;
};
void PrepareFrame(Framing framing, std::uint8_t type, std::uint32_t request_id, const char* data,
                  std::size_t size, FramePieces* pieces);

// Writes a plain frame (the hello exchange).
IoStatus WriteFrame(Socket& socket, std::uint8_t type, const std::string& payload, int timeout_ms,
                    std::string* error);
// Writes a tagged frame whose payload is `size` bytes at `data`, as PrepareFrame cuts it.
IoStatus WriteTaggedFrame(Socket& socket, std::uint8_t type, std::uint32_t request_id,
                          const char* data, std::size_t size, int timeout_ms, std::string* error);
IoStatus WriteTaggedFrame(Socket& socket, std::uint8_t type, std::uint32_t request_id,
                          const std::string& payload, int timeout_ms, std::string* error);

// Reads and checks one frame header of the given layout only (kMalformed with the codec's text
// for a bad one); the caller then reads header->length payload bytes itself (e.g. with
// ReceiveExact into a buffer it reuses, as a controller receiving a large transfer does to avoid
// one allocation per chunk, or dropping what it does not keep).
IoStatus ReadFrameHeader(Socket& socket, Framing framing, std::uint32_t max_payload, int timeout_ms,
                         FrameHeader* header, std::string* error);

// Reads one frame, reusing frame->payload's capacity. The header is checked (DecodeFrameHeader with
// `max_payload`) before the payload is allocated; a bad header gives kMalformed.
// kClosed when the stream ends, also in the middle of a frame.
IoStatus ReadFrame(Socket& socket, Framing framing, std::uint32_t max_payload, int timeout_ms,
                   Frame* frame, std::string* error);

}  // namespace talk
