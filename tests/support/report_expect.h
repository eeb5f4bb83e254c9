// Checks of the run reports the scenarios produce, parsed with a real JSON parser: the lines of a
// scenario's expect/report, and a plan's sends against the journal of the real run after it.
// Header-only beside the scenario runner (it needs GoogleTest).
#pragma once

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace e2e {

// The program's 8-bit text of a report string: the report writes each byte as the character of
// its number, which the parser hands back in UTF-8.
inline std::string Bytes(const std::string& utf8) {
  std::string bytes;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const unsigned char lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80 || i + 1 == utf8.size()) {
      bytes += utf8[i];
      continue;
    }
    bytes +=
        static_cast<char>(((lead & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
  }
  return bytes;
}

// Parses a report; fails the test (and answers null) when it is missing or no JSON.
inline nlohmann::json ParseReport(const std::string& what, const std::string& text) {
  nlohmann::json report = nlohmann::json::parse(text, nullptr, false);
  EXPECT_FALSE(report.is_discarded()) << what << " is no JSON document:\n" << text;
  return report.is_discarded() ? nlohmann::json() : report;
}

// One line of expect/report:
//   /pointer = JSON       the value at the JSON pointer equals the JSON value
//   /pointer ~ text       the value is a string that contains text
//   #/pointer = N         the array at the pointer has N elements
inline void ExpectReportLine(const nlohmann::json& report, const std::string& line) {
  const bool count = line[0] == '#';
  const size_t op = line.find_first_of("=~");
  ASSERT_NE(std::string::npos, op) << "expect/report: no = or ~ in: " << line;
  std::string pointer = line.substr(count ? 1 : 0, op - (count ? 1 : 0));
  pointer.erase(pointer.find_last_not_of(' ') + 1);
  const std::string wanted = line.substr(line.find_first_not_of(' ', op + 1));
  const nlohmann::json::json_pointer at(pointer);
  ASSERT_TRUE(report.contains(at)) << "the report has no " << pointer;
  const nlohmann::json& value = report.at(at);
  if (count)
    EXPECT_EQ(std::stoul(wanted), value.size()) << pointer << " in " << value.dump(2);
  else if (line[op] == '~')
    EXPECT_NE(std::string::npos, value.get<std::string>().find(wanted)) << pointer << ": " << value;
  else
    EXPECT_EQ(nlohmann::json::parse(wanted), value) << pointer;
}

// A plan's sends, as the journal lines the real run must then write: SEND, target, size and the
// CRC-32 of the file (`crc32_of_file` reads and sums a file the plan names).
template <typename Crc32OfFile>
std::vector<std::string> PlannedSendLines(const nlohmann::json& plan, Crc32OfFile crc32_of_file) {
  std::vector<std::string> lines;
  for (const nlohmann::json& send : plan.value("sends", nlohmann::json::array())) {
    EXPECT_EQ("planned", send["outcome"]) << send;
    lines.push_back("SEND\t" + send["target"].get<std::string>() + "\t" +
                    std::to_string(send["bytes"].get<std::uint64_t>()) + "\t" +
                    crc32_of_file(send["file"].get<std::string>()));
  }
  return lines;
}

// The boxes of a report as the POSIX program (and the box probe) write them to stderr.
inline std::string BoxesAsShown(const nlohmann::json& report) {
  std::string text;
  for (const nlohmann::json& box : report.value("boxes", nlohmann::json::array()))
    text += "[" + Bytes(box["caption"]) + "] " + Bytes(box["text"]) + "\n";
  return text;
}

}  // namespace e2e
