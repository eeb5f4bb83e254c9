// Frame headers and payload fields: every rejection text, and what a payload may announce. Streams
// cut at any byte are checked through the library against a scripted controller, arbitrary bytes
// by the fuzz target.
#include "frame_codec.h"

#include <gtest/gtest.h>

#include "messages.h"

namespace talk {
namespace {

std::string Header(const char* start, std::uint32_t length, std::uint32_t request_id = 0) {
  std::string h(start, 4);
  for (int i = 0; i < 4; ++i)
    h.push_back(static_cast<char>((length >> (8 * i)) & 0xFF));
  for (int i = 0; i < 4; ++i)
    h.push_back(static_cast<char>((request_id >> (8 * i)) & 0xFF));
  return h;
}

// A plain header (the hello exchange) has flags 0 and no id; a tagged one flags 1 and the id.
// A frame of the other layout is a bad frame, never read with a shifted length.
TEST(FrameHeader, EncodesLengthAndIdLittleEndianAndRejectsBadHeadersWithTheirTexts) {
  unsigned char bytes[kTaggedHeaderBytes];
  EncodeFrameHeader(Framing::kTagged, kSendChunk, 0x01020304u, 0x0A0B0C0Du, bytes);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 12),
            Header("TK\x09\x01", 0x01020304, 0x0A0B0C0D));
  FrameHeader header;
  std::string error;
  ASSERT_TRUE(DecodeFrameHeader(Framing::kTagged, bytes, 0x01020304u, &header, &error));
  EXPECT_EQ(header.request_id, 0x0A0B0C0Du);
  const struct {
    Framing framing;
    const char* start;
    std::uint32_t length;
    const char* error;
  } cases[] = {
      {Framing::kPlain, "TX\x02\0", 0, "bad frame magic 0x54 0x58"},
      {Framing::kTagged, "TK\x0b\x01", 0, "unknown frame type 0x0b"},
      {Framing::kPlain, "TK\x86\0", 0, "unknown frame type 0x86"},
      {Framing::kPlain, "TK\x83\x01", 0, "bad frame flags 0x01"},
      {Framing::kTagged, "TK\x83\0", 0, "bad frame flags 0x00"},
      {Framing::kTagged, "TK\x83\x03", 0, "bad frame flags 0x03"},
      {Framing::kTagged, "TK\x83\x01", 101, "frame of 101 bytes exceeds the maximum of 100 bytes"}};
  for (const auto& c : cases) {
    const std::string bad = Header(c.start, c.length);
    EXPECT_FALSE(DecodeFrameHeader(c.framing, reinterpret_cast<const unsigned char*>(bad.data()),
                                   100, &header, &error));
    EXPECT_EQ(error, c.error);
  }
}

TEST(Payload, ShortTrailingAndOvercountedPayloadsAreMalformedAndDuplicateKeysKeepTheFirst) {
  SetRequest set;
  std::map<std::string, std::string> map;
  CapabilitiesResult caps;
  std::string text;
  const std::string good_set = EncodeSetRequest({"name", 1.5, 0});
  const std::string good_map = EncodeMap({{"k1", "v1"}, {"k2", "v2"}});
  const std::string good_caps = EncodeCapabilitiesResult({false, {"X"}});
  for (std::size_t cut = 0; cut < good_map.size(); ++cut) {
    EXPECT_FALSE(DecodeMap(good_map.substr(0, cut), &map)) << cut;
    EXPECT_TRUE(cut >= good_set.size() || !DecodeSetRequest(good_set.substr(0, cut), &set));
    EXPECT_TRUE(cut >= good_caps.size() ||
                !DecodeCapabilitiesResult(good_caps.substr(0, cut), &caps));
  }
  EXPECT_FALSE(DecodeSetRequest(good_set + "x", &set));
  EXPECT_FALSE(DecodeMap(good_map + "x", &map));
  EXPECT_FALSE(DecodeMap(EncodeU32(0xFFFFFFFFu), &map));
  EXPECT_FALSE(DecodeText(EncodeU32(0x7FFFFFFFu) + "x", &text));
  EXPECT_FALSE(DecodeCapabilitiesResult(EncodeU8(1) + EncodeU32(1000000), &caps));

  // A decoded entry costs far more than its 4 or 8 bytes on the wire: the entry bound, not the
  // frame size, keeps a decoded answer's memory near the frame's.
  for (std::uint32_t count : {kMaxListEntries, kMaxListEntries + 1}) {
    CapabilitiesResult caps;
    std::map<std::string, std::string> map;
    const bool fits = count <= kMaxListEntries;
    EXPECT_EQ(DecodeCapabilitiesResult(EncodeU8(1) + EncodeU32(count) + std::string(4u * count, 0),
                                       &caps),
              fits);
    EXPECT_EQ(caps.channels.size(), fits ? count : 0u);
    EXPECT_EQ(DecodeMap(EncodeU32(count) + std::string(8u * count, 0), &map), fits);
  }
  map.clear();
  ASSERT_TRUE(DecodeMap(
      EncodeU32(2) + EncodeText("k") + EncodeText("1") + EncodeText("k") + EncodeText("2"), &map));
  EXPECT_EQ(map, (std::map<std::string, std::string>{{"k", "1"}}));
}

}  // namespace
}  // namespace talk
