// Frame and payload codec: round trips, every rejection text, and streams fed byte by byte.
#include "frame_codec.h"

#include <gtest/gtest.h>

#include "messages.h"

namespace talk {
namespace {

std::string Header(unsigned char b0, unsigned char b1, unsigned char type, unsigned char flags,
                   std::uint32_t length) {
  std::string h = {static_cast<char>(b0), static_cast<char>(b1), static_cast<char>(type),
                   static_cast<char>(flags)};
  for (int i = 0; i < 4; ++i)
    h.push_back(static_cast<char>((length >> (8 * i)) & 0xFF));
  return h;
}

std::string DecodeError(const std::string& header, std::uint32_t max = 100) {
  FrameHeader decoded;
  std::string error;
  EXPECT_FALSE(DecodeFrameHeader(reinterpret_cast<const unsigned char*>(header.data()), max,
                                 &decoded, &error));
  return error;
}

TEST(FrameHeader, EncodesLittleEndianLengthAndDecodesBack) {
  unsigned char bytes[kFrameHeaderBytes];
  EncodeFrameHeader(kSendChunk, 0x01020304u, bytes);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(bytes), 8), Header('T', 'K', 0x09, 0, 0x01020304));
  FrameHeader header;
  std::string error;
  ASSERT_TRUE(DecodeFrameHeader(bytes, 0x01020304u, &header, &error)) << error;
  EXPECT_EQ(header.type, kSendChunk);
  EXPECT_EQ(header.length, 0x01020304u);
}

TEST(FrameHeader, RejectsBadMagicTypeFlagsAndOversizedLengthsWithTheirTexts) {
  EXPECT_EQ(DecodeError(Header('T', 'X', 0x02, 0, 0)), "bad frame magic 0x54 0x58");
  EXPECT_EQ(DecodeError(Header('T', 'K', 0x00, 0, 0)), "unknown frame type 0x00");
  EXPECT_EQ(DecodeError(Header('T', 'K', 0x0B, 0, 0)), "unknown frame type 0x0b");
  EXPECT_EQ(DecodeError(Header('T', 'K', 0x80, 0, 0)), "unknown frame type 0x80");
  EXPECT_EQ(DecodeError(Header('T', 'K', 0x86, 0, 0)), "unknown frame type 0x86");
  EXPECT_EQ(DecodeError(Header('T', 'K', 0x83, 1, 0)), "bad frame flags 0x01");
  EXPECT_EQ(DecodeError(Header('T', 'K', 0x83, 0, 101)),
            "frame of 101 bytes exceeds the maximum of 100 bytes");
  EXPECT_EQ(DecodeError(Header('T', 'K', 0x83, 0, 0xFFFFFFFFu), kDefaultMaxFrameBytes),
            "frame of 4294967295 bytes exceeds the maximum of 16777216 bytes");
}

// Fed byte by byte, the decoder is asked for a frame at every cut of the stream: an early frame
// would show as a wrong count or payload.
TEST(FrameDecoder, YieldsTheSameFramesWhetherFedAtOnceOrByteByByte) {
  std::string stream = EncodeFrame(kOk, "abc") + EncodeFrame(kKeepAlive, "") +
                       EncodeFrame(kError, EncodeText("no such value")) +
                       EncodeFrame(kOk, EncodeMap({{"a", "1"}, {"b", "2"}}));
  for (std::size_t step : {stream.size(), std::size_t{1}, std::size_t{5}}) {
    FrameDecoder decoder;
    std::vector<Frame> frames;
    for (std::size_t pos = 0; pos < stream.size(); pos += step) {
      decoder.Feed(stream.data() + pos, std::min(step, stream.size() - pos));
      Frame frame;
      FrameDecoder::Status status;
      while ((status = decoder.Next(&frame)) == FrameDecoder::Status::kFrame)
        frames.push_back(frame);
      ASSERT_EQ(status, FrameDecoder::Status::kNeedMore) << decoder.error();
    }
    ASSERT_EQ(frames.size(), 4u) << "step " << step;
    EXPECT_EQ(frames[0].type, kOk);
    EXPECT_EQ(frames[0].payload, "abc");
    EXPECT_EQ(frames[1].type, kKeepAlive);
    EXPECT_EQ(frames[1].payload, "");
    std::string text;
    EXPECT_TRUE(DecodeText(frames[2].payload, &text));
    EXPECT_EQ(text, "no such value");
    EXPECT_EQ(frames[3].payload, EncodeMap({{"a", "1"}, {"b", "2"}}));
    EXPECT_EQ(decoder.buffered(), 0u);
  }
}

TEST(FrameDecoder, GarbageAndOversizedLengthsFailForGoodWithoutBuffering) {
  FrameDecoder garbage;
  garbage.Feed("GET / HTTP/1.1\r\n", 16);
  Frame frame;
  EXPECT_EQ(garbage.Next(&frame), FrameDecoder::Status::kError);
  EXPECT_EQ(garbage.error(), "bad frame magic 0x47 0x45");
  // Stays failed even when a good frame follows: the stream cannot be resynchronised.
  std::string good = EncodeFrame(kOk, "");
  garbage.Feed(good.data(), good.size());
  EXPECT_EQ(garbage.Next(&frame), FrameDecoder::Status::kError);

  FrameDecoder bounded(1024);
  std::string huge = Header('T', 'K', kSendChunk, 0, 1025);
  bounded.Feed(huge.data(), huge.size());
  EXPECT_EQ(bounded.Next(&frame), FrameDecoder::Status::kError);
  EXPECT_EQ(bounded.error(), "frame of 1025 bytes exceeds the maximum of 1024 bytes");
  EXPECT_EQ(bounded.buffered(), kFrameHeaderBytes);
}

TEST(Payload, TypedMessagesRoundTripIncludingExtremeValues) {
  SetRequest set{std::string("axis\0x", 6), -0.125, -1};
  SetRequest set_back;
  ASSERT_TRUE(DecodeSetRequest(EncodeSetRequest(set), &set_back));
  EXPECT_EQ(set_back.name, set.name);
  EXPECT_EQ(set_back.value, -0.125);
  EXPECT_EQ(set_back.reference, -1);

  SendBeginRequest begin{"COMP1", 0x123456789ABCull};
  SendBeginRequest begin_back;
  ASSERT_TRUE(DecodeSendBegin(EncodeSendBegin(begin), &begin_back));
  EXPECT_EQ(begin_back.name, "COMP1");
  EXPECT_EQ(begin_back.total_size, 0x123456789ABCull);

  CapabilitiesResult caps{true, {"X", "Y", ""}};
  CapabilitiesResult caps_back;
  ASSERT_TRUE(DecodeCapabilitiesResult(EncodeCapabilitiesResult(caps), &caps_back));
  EXPECT_TRUE(caps_back.result);
  EXPECT_EQ(caps_back.channels, caps.channels);

  std::map<std::string, std::string> map{{"\xff", "high"}, {"A", ""}, {"a", "x=y"}};
  std::map<std::string, std::string> map_back;
  ASSERT_TRUE(DecodeMap(EncodeMap(map), &map_back));
  EXPECT_EQ(map_back, map);
}

TEST(Payload, TruncatedTrailingAndOvercountedPayloadsAreRejected) {
  std::string set = EncodeSetRequest({"name", 1.5, 0});
  std::string map = EncodeMap({{"k1", "v1"}, {"k2", "v2"}});
  std::string caps = EncodeCapabilitiesResult({false, {"X"}});
  SetRequest set_back;
  std::map<std::string, std::string> map_back;
  CapabilitiesResult caps_back;
  for (std::size_t cut = 0; cut < set.size(); ++cut)
    EXPECT_FALSE(DecodeSetRequest(set.substr(0, cut), &set_back)) << cut;
  for (std::size_t cut = 0; cut < map.size(); ++cut)
    EXPECT_FALSE(DecodeMap(map.substr(0, cut), &map_back)) << cut;
  for (std::size_t cut = 0; cut < caps.size(); ++cut)
    EXPECT_FALSE(DecodeCapabilitiesResult(caps.substr(0, cut), &caps_back)) << cut;
  EXPECT_FALSE(DecodeSetRequest(set + "x", &set_back));
  EXPECT_FALSE(DecodeMap(map + "x", &map_back));

  // Counts and lengths that cannot fit in the payload fail before anything is reserved.
  EXPECT_FALSE(DecodeMap(PayloadWriter().PutU32(0xFFFFFFFFu).Take(), &map_back));
  std::string text;
  EXPECT_FALSE(DecodeText(PayloadWriter().PutU32(0x7FFFFFFFu).PutU8(1).Take(), &text));
  EXPECT_FALSE(
      DecodeCapabilitiesResult(PayloadWriter().PutU8(1).PutU32(1000000).Take(), &caps_back));
  // A result flag other than 0 or 1 is not a boolean.
  EXPECT_FALSE(DecodeCapabilitiesResult(PayloadWriter().PutU8(2).PutU32(0).Take(), &caps_back));
}

TEST(Payload, DuplicateMapKeysKeepTheFirstValue) {
  std::string payload = PayloadWriter()
                            .PutU32(2)
                            .PutString("key")
                            .PutString("first")
                            .PutString("key")
                            .PutString("second")
                            .Take();
  std::map<std::string, std::string> map;
  ASSERT_TRUE(DecodeMap(payload, &map));
  EXPECT_EQ(map.size(), 1u);
  EXPECT_EQ(map["key"], "first");
}

}  // namespace
}  // namespace talk
