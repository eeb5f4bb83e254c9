// The reference side of update_run_bench: what a minimal client of the simulated controller does,
// as a fresh process like the program.
//
//   reference_client connect PORT             connect (TCP and hello) and say goodbye
//   reference_client send PORT NAME FILE      read FILE into memory and send it to component NAME
//                                             with plain socket writes of the protocol's frames
//
// Exit status 0 on success. Linux only.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "TevarTalkCOM.h"
#include "frame_codec.h"

namespace {

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n <= 0)
      return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The hello goes in a plain frame, every later frame tagged with its request's id.
bool WriteFrame(int fd, talk::Framing framing, std::uint8_t type, std::uint32_t request_id,
                const char* payload, std::uint32_t length) {
  unsigned char header[talk::kTaggedHeaderBytes];
  talk::EncodeFrameHeader(framing, type, length, request_id, header);
  return WriteAll(fd, reinterpret_cast<char*>(header), talk::HeaderBytes(framing)) &&
         WriteAll(fd, payload, length);
}

bool ReadExact(int fd, char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = read(fd, data, size);
    if (n <= 0)
      return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Reads frames until one that is not a keep-alive arrives; true when it has type `expected`.
bool Expect(int fd, talk::Framing framing, std::uint8_t expected) {
  for (;;) {
    unsigned char bytes[talk::kTaggedHeaderBytes];
    talk::FrameHeader header;
    std::string error;
    if (!ReadExact(fd, reinterpret_cast<char*>(bytes), talk::HeaderBytes(framing)) ||
        !talk::DecodeFrameHeader(framing, bytes, talk::kDefaultMaxFrameBytes, &header, &error))
      return false;
    std::string payload(header.length, '\0');
    if (!ReadExact(fd, &payload[0], payload.size()))
      return false;
    if (header.type != talk::kKeepAlive)
      return header.type == expected;
  }
}

// The same memory history as the program's whole-file read: a fresh buffer of the file's size,
// filled, then the file read into it.
bool ReadFile(const char* path, std::string* content) {
  const int fd = open(path, O_RDONLY);
  struct stat info;
  if (fd < 0 || fstat(fd, &info) != 0)
    return false;
  content->resize(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < content->size()) {
    const ssize_t n = read(fd, &(*content)[done], content->size() - done);
    if (n <= 0)
      break;
    done += static_cast<std::size_t>(n);
  }
  close(fd);
  return done == content->size();
}

int PlainSend(int port, const std::string& name, const char* path) {
  std::string content;
  if (!ReadFile(path, &content))
    return 2;
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    return 3;
  const std::string hello = talk::PayloadWriter().PutU32(talk::kProtocolVersion).Take();
  const talk::Framing plain = talk::Framing::kPlain, tagged = talk::Framing::kTagged;
  if (!WriteFrame(fd, plain, talk::kHello, 0, hello.data(), hello.size()) ||
      !Expect(fd, plain, talk::kHelloOk))
    return 4;
  const std::uint32_t id = 1;
  const std::string begin = talk::PayloadWriter().PutString(name).PutU64(content.size()).Take();
  bool ok = WriteFrame(fd, tagged, talk::kSendBegin, id, begin.data(), begin.size());
  for (std::size_t pos = 0; ok && pos < content.size(); pos += talk::kSendChunkBytes) {
    const std::size_t n = std::min<std::size_t>(talk::kSendChunkBytes, content.size() - pos);
    ok = WriteFrame(fd, tagged, talk::kSendChunk, id, content.data() + pos,
                    static_cast<std::uint32_t>(n));
  }
  ok = ok && Expect(fd, tagged, talk::kOk) && WriteFrame(fd, tagged, talk::kBye, 0, nullptr, 0);
  close(fd);
  return ok ? 0 : 5;
}

int ConnectOnly(int port) {
  const std::string connection = "127.0.0.1 " + std::to_string(port);
  try {
    CTevarTalkCOM talk(nullptr, nullptr, connection.c_str(), nullptr);
    talk.postConnectFlag = true;
    return talk.connectionState < 0 ? 1 : 0;
  } catch (const CTevarTalkError& error) {
    std::fprintf(stderr, "%s\n", error.message.c_str());
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 2 ? argv[1] : "";
  if (mode == "connect")
    return ConnectOnly(std::atoi(argv[2]));
  if (mode == "send" && argc > 4)
    return PlainSend(std::atoi(argv[2]), argv[3], argv[4]);
  std::fprintf(stderr, "usage: reference_client connect PORT | send PORT NAME FILE\n");
  return 2;
}
