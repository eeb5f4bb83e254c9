// Tests of the SHA-256 seam: the published example digests through the one-shot and the
// incremental form, the check of a written digest, and (on Windows) one call of over 4 GiB.
#include "sha256.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

using digest::Sha256;
using digest::Sha256Hex;

// The example messages of FIPS 180-4 with the digests NIST publishes for them, each also fed in
// pieces of 1, 2, ... 97 bytes so that piece ends fall everywhere in the 64-byte blocks.
// Catches: a wrong algorithm, a digest in the wrong case or nibble order, bytes lost or repeated
// between Update calls, an empty message or an empty Update mishandled.
TEST(Sha256, NistExamplesOneShotAndInUnevenPieces) {
  const std::pair<std::string, const char*> cases[] = {
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmn"
       "opqrsmnopqrstnopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"}};
  for (const auto& [message, expected] : cases) {
    EXPECT_EQ(expected, Sha256Hex(message.data(), message.size()));
    Sha256 hash;
    hash.Update(nullptr, 0);
    for (size_t at = 0, piece = 1; at < message.size(); at += piece, piece = piece % 97 + 1)
      hash.Update(message.data() + at, std::min(piece, message.size() - at));
    EXPECT_EQ(expected, hash.FinishHex()) << message.substr(0, 8);
    EXPECT_TRUE(hash.ok()) << hash.error();
  }
}

// Catches: a written digest of the wrong length or with a stray character (a blank, a line end, a
// letter past f) taken for good, and upper case refused.
TEST(IsSha256Hex, TakesExactly64HexadecimalDigitsOfEitherCase) {
  const std::string a63(63, 'a');
  const std::pair<std::string, bool> texts[] = {
      {a63 + "a", true},   {"0123456789ABCDEFabcdef" + std::string(42, '9'), true},
      {a63, false},        {a63 + "aa", false},
      {a63 + "g", false},  {" " + a63, false},
      {a63 + "\n", false}, {"", false}};
  for (const auto& [text, valid] : texts)
    EXPECT_EQ(valid, digest::IsSha256Hex(text)) << text;
}

#ifdef _WIN32
// One Update of 257 views of one 16 MiB section ending in "end", side by side: over 4 GiB for the
// memory of 16 MiB (zeroed memory would cost its full size on our machines, which back even pages
// that are only read). CNG counts bytes in a ULONG: without the split only the 16 MiB the count
// keeps are hashed; a split that does not move on hashes the first bytes again in place of the
// last. Digest of `for i in $(seq 257); do head -c $((16*1024*1024-3)) /dev/zero; printf end; done
// | sha256sum`.
TEST(Sha256, OneUpdateOfMoreThan4GiBHashesEveryByte) {
  const size_t piece = size_t{16} << 20, size = 257 * piece;
  HANDLE section = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      static_cast<DWORD>(piece), nullptr);
  char* base = static_cast<char*>(VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS));
  VirtualFree(base, 0, MEM_RELEASE);  // the views take its place
  for (size_t at = 0; at < size; at += piece)
    ASSERT_EQ(static_cast<void*>(base + at),
              MapViewOfFileEx(section, FILE_MAP_WRITE, 0, 0, piece, base + at));
  std::memcpy(base + piece - 3, "end", 3);
  EXPECT_EQ("0f49f6c28fae58074b20b4c2cebbe2396915fa847ee0362f32f761745187385c",
            Sha256Hex(base, size));
  for (size_t at = 0; at < size; at += piece)
    UnmapViewOfFile(base + at);
  CloseHandle(section);
}
#endif
