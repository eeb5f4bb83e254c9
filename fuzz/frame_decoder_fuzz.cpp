// Feeds arbitrary bytes to the machine-talk frame decoder in pieces whose sizes come from the
// input, and every decoded payload to the typed payload decoders. Nothing may crash, read out of
// bounds or allocate more than the announced bound allows.
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
  // The first byte chooses the piece size, so cuts fall everywhere; a small maximum frame size
  // keeps oversized announcements in reach of the fuzzer.
  std::size_t piece = (data[0] % 16) + 1;
  talk::FrameDecoder decoder(4096);
  const char* bytes = reinterpret_cast<const char*>(data + 1);
  std::size_t left = size - 1;
  while (left > 0) {
    std::size_t n = left < piece ? left : piece;
    decoder.Feed(bytes, n);
    bytes += n;
    left -= n;
    talk::Frame frame;
    talk::FrameDecoder::Status status;
    while ((status = decoder.Next(&frame)) == talk::FrameDecoder::Status::kFrame)
      DecodeEveryWay(frame.payload);
    if (status == talk::FrameDecoder::Status::kError)
      break;
  }
  return 0;
}
