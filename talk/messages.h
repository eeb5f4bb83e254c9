// The typed payloads of the machine-talk requests and responses that carry more than one field,
// encoded and decoded the same way by the library and by the simulated controller.
// Decode functions return false for a malformed payload (short, trailing bytes, bad counts).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace talk {

struct SetRequest {
  std::string name;
  double value = 0.0;
  std::int32_t reference = -1;  // Position::Reference as passed by the caller
};

struct SendBeginRequest {
  std::string name;
  std::uint64_t total_size = 0;  // payload bytes that the send-chunk frames will carry
};

struct CapabilitiesResult {
  bool result = false;
  std::vector<std::string> channels;
};

std::string EncodeSetRequest(const SetRequest& request);
bool DecodeSetRequest(const std::string& payload, SetRequest* request);

std::string EncodeSendBegin(const SendBeginRequest& request);
bool DecodeSendBegin(const std::string& payload, SendBeginRequest* request);

std::string EncodeCapabilitiesResult(const CapabilitiesResult& result);
bool DecodeCapabilitiesResult(const std::string& payload, CapabilitiesResult* result);

// A payload that is one string (machine name, receive name and value, error texts).
std::string EncodeText(const std::string& text);
bool DecodeText(const std::string& payload, std::string* text);

// A payload that is one map (components, options).
std::string EncodeMap(const std::map<std::string, std::string>& map);
bool DecodeMap(const std::string& payload, std::map<std::string, std::string>* map);

// A payload that is one u32 (hello) or one u8 (capabilities flag).
std::string EncodeU32(std::uint32_t value);
bool DecodeU32(const std::string& payload, std::uint32_t* value);
std::string EncodeU8(std::uint8_t value);
bool DecodeU8(const std::string& payload, std::uint8_t* value);

}  // namespace talk
