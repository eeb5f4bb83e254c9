// Encoding and decoding of machine-talk frame headers and of the fields inside their payloads,
// for both sides of the connection. Nothing here touches a socket: the codec works on bytes, so
// it can be fed from a socket (frame_io.h), a test string or a fuzzer.
//
// Every length read from the peer is checked against what is actually available (or against the
// configured maximum for a frame) before anything is allocated for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "wire_protocol.h"

namespace talk {

// The two header layouts of wire_protocol.h: plain for the hello exchange, tagged after it.
enum class Framing { kPlain, kTagged };

constexpr std::size_t HeaderBytes(Framing framing) {
  return framing == Framing::kTagged ? kTaggedHeaderBytes : kFrameHeaderBytes;
}

struct FrameHeader {
  std::uint8_t type = 0;
  std::uint32_t length = 0;      // payload bytes that follow the header
  std::uint32_t request_id = 0;  // of a tagged header; 0 for a plain one
};

struct Frame {
  std::uint8_t type = 0;
  std::uint32_t request_id = 0;
  std::string payload;
};

// Writes the header of a frame of `type` with `length` payload bytes into `out`, which has room
// for HeaderBytes(framing) bytes. A plain header carries no id: `request_id` is not written.
void EncodeFrameHeader(Framing framing, std::uint8_t type, std::uint32_t length,
                       std::uint32_t request_id, unsigned char* out);

// Reads the HeaderBytes(framing) header bytes at `in`. Fails with a text in *error when the magic
// is wrong, the flags byte is not the layout's (0 plain, kFlagRequestId tagged), the type is
// unknown or the length exceeds `max_payload`.
bool DecodeFrameHeader(Framing framing, const unsigned char* in, std::uint32_t max_payload,
                       FrameHeader* header, std::string* error);

// A whole frame (header and payload) as bytes, for small frames: plain (the hello exchange) or
// tagged with a request id.
std::string EncodeFrame(std::uint8_t type, const std::string& payload);
std::string EncodeTaggedFrame(std::uint8_t type, std::uint32_t request_id,
                              const std::string& payload);

// Appends payload fields in the protocol's encoding: little-endian integers, IEEE-754 doubles as
// their 64 bits, strings as a u32 length and the bytes, maps and lists as a u32 count and their
// elements.
class PayloadWriter {
 public:
  PayloadWriter& PutU8(std::uint8_t value);
  PayloadWriter& PutU32(std::uint32_t value);
  PayloadWriter& PutI32(std::int32_t value);
  PayloadWriter& PutU64(std::uint64_t value);
  PayloadWriter& PutDouble(double value);
  PayloadWriter& PutString(const std::string& value);
  PayloadWriter& PutMap(const std::map<std::string, std::string>& map);
  PayloadWriter& PutList(const std::vector<std::string>& list);

  const std::string& bytes() const { return bytes_; }
  std::string Take() { return std::move(bytes_); }

 private:
  std::string bytes_;
};

// Reads payload fields written by PayloadWriter. Every Get fails (returns false and leaves the
// reader failed) when the payload ends before the field does, a count cannot fit in what is left
// or exceeds kMaxListEntries; the reader never reads past the payload and reserves nothing
// before a count passed those checks. The payload must outlive the reader.
class PayloadReader {
 public:
  explicit PayloadReader(const std::string& payload) : data_(payload) {}

  bool GetU8(std::uint8_t* value);
  bool GetU32(std::uint32_t* value);
  bool GetI32(std::int32_t* value);
  bool GetU64(std::uint64_t* value);
  bool GetDouble(double* value);
  bool GetString(std::string* value);
  // Duplicate keys keep the first value, as every map of the system does.
  bool GetMap(std::map<std::string, std::string>* map);
  bool GetList(std::vector<std::string>* list);

  // True when every byte was read and no Get failed: a payload with trailing bytes is malformed.
  bool Done() const { return ok_ && pos_ == data_.size(); }
  bool ok() const { return ok_; }

 private:
  bool Take(std::size_t size, const char** bytes);
  bool Fail();  // marks the reader failed; always false

  const std::string& data_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

}  // namespace talk
