// The constants of the machine-talk wire protocol, shared by the talk library (the client side)
// and the simulated controller (the server side). docs/protocol.md describes the protocol in
// full; this header only names its numbers.
//
// Every message is one frame: a header (magic "TK", type, flags, payload length as a little-endian
// 32-bit number and, after the hello, the request id) followed by that many payload bytes. The
// client sends one request and reads frames until the response carrying that request's id
// arrives; the controller may send keep-alive frames before the response while it works.
#pragma once

#include <cstddef>
#include <cstdint>

namespace talk {

// Version spoken in the hello exchange. A controller refuses other versions. Version 2 added the
// request id to every frame after the hello.
constexpr std::uint32_t kProtocolVersion = 2;

// Frame header layouts. The hello exchange uses the plain 8-byte header (flags 0) that every
// protocol version reads alike, so a peer of another version can still read the hello and answer
// it; after the hello every frame is tagged: flags kFlagRequestId and a u32 request id follow.
constexpr std::size_t kFrameHeaderBytes = 8;
constexpr std::size_t kTaggedHeaderBytes = 12;
constexpr unsigned char kFrameMagic0 = 'T';
constexpr unsigned char kFrameMagic1 = 'K';
constexpr unsigned char kFlagRequestId = 0x01;

// Largest payload a peer accepts in one frame unless configured otherwise. A header announcing
// more is a protocol error, detected before any payload is allocated.
constexpr std::uint32_t kDefaultMaxFrameBytes = 16u * 1024u * 1024u;

// Most entries a map or list in one payload may hold. An entry costs far more memory decoded
// than on the wire (4 bytes for an empty name), so the count, not the frame size, bounds what a
// decoded answer costs: with this bound it stays within a few times the frame.
constexpr std::uint32_t kMaxListEntries = 65536;

// Payload bytes the client puts into one send-chunk frame (the last chunk may be shorter).
// Large chunks keep the number of system calls per transferred megabyte low.
constexpr std::uint32_t kSendChunkBytes = 4u * 1024u * 1024u;

// The controller sends a keep-alive frame at least this often while a request takes long, so that
// the client's idle time-out only fires on a controller that stopped working.
constexpr int kKeepAliveIntervalMs = 1000;

// Bytes of a controller's text (an error, a refusal) that the client keeps; the rest of a longer
// text is read and dropped as it arrives, so a huge text costs no more memory than a short one.
constexpr std::uint32_t kMaxKeptTextBytes = 4096;

// Time-outs of the client, in milliseconds. TEVAR_TALK_TIMEOUT_MS replaces the connect and idle
// ones, TEVAR_TALK_REQUEST_TIMEOUT_MS the request limit.
constexpr int kDefaultConnectTimeoutMs = 5000;
constexpr int kDefaultIdleTimeoutMs = 30000;  // no byte received / no byte accepted for this long
// A request as a whole, from its first byte sent to its answer, keep-alives or not. Firmware
// writes of real stations take minutes; an hour leaves room for the slowest of them and still
// frees an operator from a controller that only keeps its requests alive.
constexpr int kDefaultRequestTimeoutMs = 60 * 60 * 1000;

// Default connection when the library is given no connection text and TEVAR_TALK_CONNECTION is
// not set: "host port".
constexpr const char* kDefaultConnection = "127.0.0.1 4170";
constexpr const char* kConnectionEnvVar = "TEVAR_TALK_CONNECTION";
constexpr const char* kTimeoutEnvVar = "TEVAR_TALK_TIMEOUT_MS";
constexpr const char* kRequestTimeoutEnvVar = "TEVAR_TALK_REQUEST_TIMEOUT_MS";

// Frame types. Requests go from the client to the controller, responses back, each tagged with
// the id of the request it answers.
enum FrameType : std::uint8_t {
  // Requests.
  kHello = 0x01,         // u32 protocol version
  kMachineName = 0x02,   // (empty)
  kComponents = 0x03,    // (empty)
  kOptions = 0x04,       // (empty)
  kCapabilities = 0x05,  // u8 flag
  kReceive = 0x06,       // string name
  kSet = 0x07,           // string name, f64 value, i32 reference
  kSendBegin = 0x08,     // string name, u64 total size; then the chunks follow
  kSendChunk = 0x09,     // raw payload bytes of the transfer in progress (the SEND_BEGIN's id)
  kBye = 0x0A,           // (empty, id 0) the client closes; no response

  // Responses.
  kHelloOk = 0x81,    // u32 protocol version
  kRefused = 0x82,    // string text: the controller declines the machine connection
  kOk = 0x83,         // request-specific result (docs/protocol.md)
  kError = 0x84,      // string text: the request failed; the text is the library error's message
  kKeepAlive = 0x85,  // (empty) the controller is still working on the request of this id
};

// True for the frame types above.
inline bool IsKnownFrameType(std::uint8_t type) {
  return (type >= kHello && type <= kBye) || (type >= kHelloOk && type <= kKeepAlive);
}

}  // namespace talk
