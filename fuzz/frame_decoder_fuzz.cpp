// Cuts arbitrary bytes into machine-talk frames as a receiver does (header checked before the
// payload is taken), in the plain layout of the hello exchange and the tagged layout (with the
// request id) of every later frame, and feeds every payload to the typed payload decoders.
// Nothing may crash, read out of bounds or allocate more than the frame bound and the entry bound
// allow.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "frame_codec.h"
#include "messages.h"

namespace {

void DecodeEveryWay(const std::string& payload) {
  talk::SetRequest set;
  talk::SendBeginRequest begin;
  talk::CapabilitiesResult caps;
  std::map<std::string, std::string> map;
  std::string text;
  std::uint32_t u32 = 0;
  std::uint8_t u8 = 0;
  talk::DecodeSetRequest(payload, &set);
  talk::DecodeSendBegin(payload, &begin);
  talk::DecodeCapabilitiesResult(payload, &caps);
  talk::DecodeMap(payload, &map);
  talk::DecodeText(payload, &text);
  talk::DecodeU32(payload, &u32);
  talk::DecodeU8(payload, &u8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0)
    return 0;
  // The first byte chooses the frame bound (64 bytes to 8 KiB), so oversized announcements stay
  // in reach of the fuzzer, and whether the first frame is a plain one (a hello exchange); every
  // later frame is tagged, as on a connection.
  const std::uint32_t max_payload = 64u << (data[0] % 8);
  talk::Framing framing = data[0] & 0x80 ? talk::Framing::kPlain : talk::Framing::kTagged;
  std::size_t pos = 1;
  while (size - pos >= talk::HeaderBytes(framing)) {
    talk::FrameHeader header;
    std::string error;
    if (!talk::DecodeFrameHeader(framing, data + pos, max_payload, &header, &error))
      break;  // a receiver closes the connection here
    pos += talk::HeaderBytes(framing);
    framing = talk::Framing::kTagged;
    if (size - pos < header.length)
      break;
    DecodeEveryWay(std::string(reinterpret_cast<const char*>(data + pos), header.length));
    pos += header.length;
  }
  return 0;
}
