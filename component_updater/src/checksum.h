// Checksums of update files: the update description may give the SHA-256 of any file it names
// ("sha256 = <64 hexadecimal digits>" in the section that names the file; in a BSP section's
// "file" list an element "sha256:<64 hexadecimal digits>" behind the module entry it belongs to).
// The bytes read from a file are hashed while they are read, and the digest is checked right
// before those same bytes are sent: a file that changes on disk after its read cannot be sent in
// a state other than the one checked.
//
// Without a "sha256" entry, and without a plan or report that wants the digest of every file,
// nothing is hashed and the update runs exactly as without this module.
//
// Main thread only (boxes, run record).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "MIniData_template_core.h"

// The description's digest for one update file.
struct ExpectedDigest {
  enum class State { kAbsent, kValid, kMalformed };
  State state = State::kAbsent;
  std::string value;  // lower-case when valid; as written when malformed
  std::string place;  // where the description writes it, for the messages: "[plc] sha256"
};

// The digest text `text` found at `place`: comment and blanks removed, then 64 hexadecimal
// digits or malformed.
ExpectedDigest ExpectedDigestOf(std::string text, const std::string& place);

// [section] "sha256"; absent when the section has no such entry.
ExpectedDigest ReadExpectedDigest(const MIniData& description, const std::string& section);

// Takes the "sha256:" elements out of the module file entries of BSP section `section` and
// answers one digest per remaining entry, in order. An element belongs to the entry before it;
// one with no entry before it, or a second one for the same entry, is malformed. Without such
// elements the list is left as it is.
std::vector<ExpectedDigest> TakeModuleDigests(std::vector<std::string>* entries,
                                              const std::string& section);

// True when the bytes of an update file are to be hashed: the description gives a digest, or the
// run record wants the digest of every file (a plan or a report).
bool NeedsDigest(const ExpectedDigest& expected);

// Reads a whole update file as MFastFile_ReadAtOnce does (the same result and error-trace
// entries). With `digest` given, the SHA-256 of the bytes read goes there ("" when the platform
// refused to hash, after an error-trace entry).
std::int64_t ReadUpdateFileBytes(const char* path, std::string* content, std::string* digest);

// The check right before a send of `file`, whose bytes have the digest `actual`. True when the
// file may go: no digest expected, or the same one. Otherwise (a malformed entry, another digest,
// no digest at all) an error-log entry and a box say which file and which digests, the current
// component or module of the run record fails, and the answer is false.
bool CheckUpdateFileDigest(const ExpectedDigest& expected, const std::string& file,
                           const std::optional<std::string>& actual);
