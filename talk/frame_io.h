// Frames over a Socket: one call writes or reads one whole frame, with idle time-outs. Used by the
// talk library and by the simulated controller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "frame_codec.h"
#include "socket.h"

namespace talk {

// Writes a frame whose payload is `size` bytes at `data`. A payload of up to 4 KiB is sent
// together with its header in one call; a larger one goes straight from the caller's memory (no
// copy is made).
IoStatus WriteFrame(Socket& socket, std::uint8_t type, const char* data, std::size_t size,
                    int timeout_ms, std::string* error);
IoStatus WriteFrame(Socket& socket, std::uint8_t type, const std::string& payload, int timeout_ms,
                    std::string* error);

// Reads and checks one frame header only (kMalformed with the codec's text for a bad one); the
// caller then reads header->length payload bytes itself (e.g. with ReceiveExact into a buffer it
// reuses, as a controller receiving a large transfer does to avoid one allocation per chunk).
IoStatus ReadFrameHeader(Socket& socket, std::uint32_t max_payload, int timeout_ms,
                         FrameHeader* header, std::string* error);

// Reads one frame, reusing frame->payload's capacity. The header is checked (DecodeFrameHeader with
// `max_payload`) before the payload is allocated; a bad header gives kMalformed.
// kClosed when the stream ends, also in the middle of a frame.
IoStatus ReadFrame(Socket& socket, std::uint32_t max_payload, int timeout_ms, Frame* frame,
                   std::string* error);

}  // namespace talk
