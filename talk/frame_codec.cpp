// Byte-level encoding of frames and payload fields. Integers are assembled byte by byte so the
// encoding does not depend on the host's byte order or alignment.
#include "frame_codec.h"

#include <cstring>

namespace talk {

namespace {

void AppendLittleEndian(std::string* out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t ReadLittleEndian(const char* in, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i)
    value |= static_cast<std::uint64_t>(static_cast<unsigned char>(in[i])) << (8 * i);
  return value;
}

void WriteLittleEndian32(std::uint32_t value, unsigned char* out) {
  for (int i = 0; i < 4; ++i)
    out[i] = static_cast<unsigned char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t ReadLittleEndian32(const unsigned char* in) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i)
    value |= static_cast<std::uint32_t>(in[i]) << (8 * i);
  return value;
}

std::string Hex(unsigned value) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text = "0x";
  text.push_back(kDigits[(value >> 4) & 0xF]);
  text.push_back(kDigits[value & 0xF]);
  return text;
}

// The plain and tagged small frames differ only in the header.
std::string EncodeWholeFrame(Framing framing, std::uint8_t type, std::uint32_t request_id,
                             const std::string& payload) {
  unsigned char header[kTaggedHeaderBytes];
  EncodeFrameHeader(framing, type, static_cast<std::uint32_t>(payload.size()), request_id, header);
  std::string frame(reinterpret_cast<const char*>(header), HeaderBytes(framing));
  frame += payload;
  return frame;
}

}  // namespace

void EncodeFrameHeader(Framing framing, std::uint8_t type, std::uint32_t length,
                       std::uint32_t request_id, unsigned char* out) {
  out[0] = kFrameMagic0;
  out[1] = kFrameMagic1;
  out[2] = type;
  out[3] = framing == Framing::kTagged ? kFlagRequestId : 0;
  WriteLittleEndian32(length, out + 4);
  if (framing == Framing::kTagged)
    WriteLittleEndian32(request_id, out + 8);
}

bool DecodeFrameHeader(Framing framing, const unsigned char* in, std::uint32_t max_payload,
                       FrameHeader* header, std::string* error) {
  if (in[0] != kFrameMagic0 || in[1] != kFrameMagic1) {
    *error = "bad frame magic " + Hex(in[0]) + " " + Hex(in[1]);
    return false;
  }
  if (!IsKnownFrameType(in[2])) {
    *error = "unknown frame type " + Hex(in[2]);
    return false;
  }
  // The flags say the layout: a frame of the other layout would shift every later frame.
  if (in[3] != (framing == Framing::kTagged ? kFlagRequestId : 0)) {
    *error = "bad frame flags " + Hex(in[3]);
    return false;
  }
  const std::uint32_t length = ReadLittleEndian32(in + 4);
  if (length > max_payload) {
    *error = "frame of " + std::to_string(length) + " bytes exceeds the maximum of " +
             std::to_string(max_payload) + " bytes";
    return false;
  }
  header->type = in[2];
  header->length = length;
  header->request_id = framing == Framing::kTagged ? ReadLittleEndian32(in + 8) : 0;
  return true;
}

std::string EncodeFrame(std::uint8_t type, const std::string& payload) {
  return EncodeWholeFrame(Framing::kPlain, type, 0, payload);
}

std::string EncodeTaggedFrame(std::uint8_t type, std::uint32_t request_id,
                              const std::string& payload) {
  return EncodeWholeFrame(Framing::kTagged, type, request_id, payload);
}

PayloadWriter& PayloadWriter::PutU8(std::uint8_t value) {
  AppendLittleEndian(&bytes_, value, 1);
  return *this;
}

PayloadWriter& PayloadWriter::PutU32(std::uint32_t value) {
  AppendLittleEndian(&bytes_, value, 4);
  return *this;
}

PayloadWriter& PayloadWriter::PutI32(std::int32_t value) {
  return PutU32(static_cast<std::uint32_t>(value));
}

PayloadWriter& PayloadWriter::PutU64(std::uint64_t value) {
  AppendLittleEndian(&bytes_, value, 8);
  return *this;
}

PayloadWriter& PayloadWriter::PutDouble(double value) {
  std::uint64_t bits = 0;
  static_assert(sizeof bits == sizeof value, "double must be 64 bits");
  std::memcpy(&bits, &value, sizeof bits);
  return PutU64(bits);
}

PayloadWriter& PayloadWriter::PutString(const std::string& value) {
  PutU32(static_cast<std::uint32_t>(value.size()));
  bytes_ += value;
  return *this;
}

PayloadWriter& PayloadWriter::PutMap(const std::map<std::string, std::string>& map) {
  PutU32(static_cast<std::uint32_t>(map.size()));
  for (const auto& entry : map)
    PutString(entry.first).PutString(entry.second);
  return *this;
}

PayloadWriter& PayloadWriter::PutList(const std::vector<std::string>& list) {
  PutU32(static_cast<std::uint32_t>(list.size()));
  for (const std::string& item : list)
    PutString(item);
  return *this;
}

bool PayloadReader::Fail() {
  ok_ = false;
  return false;
}

bool PayloadReader::Take(std::size_t size, const char** bytes) {
  if (!ok_ || data_.size() - pos_ < size)
    return Fail();
  *bytes = data_.data() + pos_;
  pos_ += size;
  return true;
}

bool PayloadReader::GetU8(std::uint8_t* value) {
  const char* bytes = nullptr;
  if (!Take(1, &bytes))
    return false;
  *value = static_cast<std::uint8_t>(ReadLittleEndian(bytes, 1));
  return true;
}

bool PayloadReader::GetU32(std::uint32_t* value) {
  const char* bytes = nullptr;
  if (!Take(4, &bytes))
    return false;
  *value = static_cast<std::uint32_t>(ReadLittleEndian(bytes, 4));
  return true;
}

bool PayloadReader::GetI32(std::int32_t* value) {
  std::uint32_t raw = 0;
  if (!GetU32(&raw))
    return false;
  *value = static_cast<std::int32_t>(raw);
  return true;
}

bool PayloadReader::GetU64(std::uint64_t* value) {
  const char* bytes = nullptr;
  if (!Take(8, &bytes))
    return false;
  *value = ReadLittleEndian(bytes, 8);
  return true;
}

bool PayloadReader::GetDouble(double* value) {
  std::uint64_t bits = 0;
  if (!GetU64(&bits))
    return false;
  std::memcpy(value, &bits, sizeof bits);
  return true;
}

bool PayloadReader::GetString(std::string* value) {
  std::uint32_t size = 0;
  const char* bytes = nullptr;
  // Take checks the length against the remaining payload before anything is copied.
  if (!GetU32(&size) || !Take(size, &bytes))
    return false;
  value->assign(bytes, size);
  return true;
}

bool PayloadReader::GetMap(std::map<std::string, std::string>* map) {
  std::uint32_t count = 0;
  if (!GetU32(&count))
    return false;
  // Each entry needs at least two length fields: a count beyond that cannot be genuine.
  if (count > kMaxListEntries || count > (data_.size() - pos_) / 8)
    return Fail();
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string key, value;
    if (!GetString(&key) || !GetString(&value))
      return false;
    map->emplace(std::move(key), std::move(value));
  }
  return true;
}

bool PayloadReader::GetList(std::vector<std::string>* list) {
  std::uint32_t count = 0;
  if (!GetU32(&count))
    return false;
  // Checked before the reserve: each name needs at least its length field.
  if (count > kMaxListEntries || count > (data_.size() - pos_) / 4)
    return Fail();
  list->reserve(list->size() + count);
  for (std::uint32_t i = 0; i < count; ++i) {
    std::string item;
    if (!GetString(&item))
      return false;
    list->push_back(std::move(item));
  }
  return true;
}

}  // namespace talk
