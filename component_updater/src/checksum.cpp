// Update file checksums: reading the expected digests, hashing while reading, and the check
// before a send with its error-log entry, box and run-record verdict.
#include "checksum.h"

#include <algorithm>
#include <cctype>

#include "Localize.h"
#include "background_sha256.h"
#include "errtrace.h"
#include "fastfile.h"
#include "message_box.h"
#include "mstring_tools.h"
#include "run_record.h"

namespace {

const char kFunction[] = "CheckUpdateFileDigest";
const char kModuleDigestPrefix[] = "sha256:";

void Refuse(const std::string& box, const std::string& why) {
  ShowMessageBox(box.c_str(), GetLocalizedText("Error.txt"), kBoxPlain);
  TheRunRecord().Decide(Verdict::kFail, why);
}

bool RefuseMalformed(const ExpectedDigest& expected) {
  MERRLOG("%s(): %s is not 64 hexadecimal digits: \"%s\"", kFunction, expected.place.c_str(),
          expected.value.c_str());
  std::string box;
  FormatString(&box, "Checksum %s is not 64 hexadecimal digits. Update will be skipped.",
               expected.place.c_str());
  Refuse(box, expected.place + " is not 64 hexadecimal digits");
  return false;
}

bool RefuseMismatch(const ExpectedDigest& expected, const std::string& file,
                    const std::string& actual) {
  const std::string found = actual.empty() ? "no digest" : actual;
  MERRLOG("%s(): update file %s: SHA-256 %s expected, %s found", kFunction, file.c_str(),
          expected.value.c_str(), found.c_str());
  std::string box;
  FormatString(&box,
               "Checksum of update file %s does not match: SHA-256 %s expected, %s found. Update "
               "will be skipped.",
               file.c_str(), expected.value.c_str(), found.c_str());
  Refuse(box, "checksum mismatch: SHA-256 " + expected.value + " expected, " + found + " found");
  return false;
}

}  // namespace

ExpectedDigest ExpectedDigestOf(std::string text, const std::string& place) {
  RemoveCommentAndBlanks(text);
  ExpectedDigest expected;
  expected.place = place;
  expected.value = text;
  if (!digest::IsSha256Hex(text)) {
    expected.state = ExpectedDigest::State::kMalformed;
    return expected;
  }
  std::transform(text.begin(), text.end(), expected.value.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  expected.state = ExpectedDigest::State::kValid;
  return expected;
}

ExpectedDigest ReadExpectedDigest(const MIniData& description, const std::string& section) {
  std::string text;
  if (section.find('\0') != std::string::npos ||
      !description.GetStringEntry(section.c_str(), "sha256", &text))
    return ExpectedDigest();
  return ExpectedDigestOf(text, "[" + section + "] sha256");
}

std::vector<ExpectedDigest> TakeModuleDigests(std::vector<std::string>* entries,
                                              const std::string& section) {
  std::vector<std::string> modules;
  std::vector<ExpectedDigest> digests;
  std::string orphan;  // a digest element that no module entry came before
  for (const std::string& element : *entries) {
    const std::string place = "[" + section + "] file, " + element;
    if (element.compare(0, sizeof kModuleDigestPrefix - 1, kModuleDigestPrefix) != 0) {
      modules.push_back(element);
      digests.emplace_back();
      if (!orphan.empty())
        digests.back() = ExpectedDigest{ExpectedDigest::State::kMalformed, orphan,
                                        "[" + section + "] file, " + orphan + " before any module"};
      orphan.clear();
    } else if (modules.empty()) {
      orphan = element;
    } else if (digests.back().state != ExpectedDigest::State::kAbsent) {
      digests.back() = ExpectedDigest{ExpectedDigest::State::kMalformed, element,
                                      place + " (a second digest of one module)"};
    } else {
      digests.back() = ExpectedDigestOf(element.substr(sizeof kModuleDigestPrefix - 1), place);
    }
  }
  if (modules.size() != entries->size())
    *entries = modules;
  return digests;
}

bool NeedsDigest(const ExpectedDigest& expected) {
  return expected.state == ExpectedDigest::State::kValid || TheRunRecord().IsWanted();
}

std::int64_t ReadUpdateFileBytes(const char* path, std::string* content, std::string* digest) {
  if (digest == nullptr)
    return MFastFile_ReadAtOnce(path, content);
  return digest::ReadFileWithSha256(path, content, digest);
}

bool CheckUpdateFileDigest(const ExpectedDigest& expected, const std::string& file,
                           const std::optional<std::string>& actual) {
  if (expected.state == ExpectedDigest::State::kAbsent)
    return true;
  if (expected.state == ExpectedDigest::State::kMalformed)
    return RefuseMalformed(expected);
  FileFacts* facts = TheRunRecord().CurrentFacts();
  const bool matches = actual && *actual == expected.value;
  if (facts != nullptr) {
    facts->sha256Expected = expected.value;
    facts->sha256Match = matches;
  }
  return matches || RefuseMismatch(expected, file, actual.value_or(""));
}
