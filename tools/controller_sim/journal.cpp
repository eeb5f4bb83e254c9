// Journal lines. Each line is written with one fwrite and flushed at once: a test reads the
// journal while the simulator is still running, and a killed simulator must not lose lines.
#include "journal.h"

#include <cerrno>
#include <cstring>

#include "crc32.h"

namespace sim {

Journal::~Journal() {
  if (file_ != nullptr)
    std::fclose(file_);
}

bool Journal::Open(const std::string& path, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (file == nullptr) {
    *error = "cannot open journal '" + path + "': " + std::strerror(errno);
    return false;
  }
  if (file_ != nullptr)
    std::fclose(file_);
  file_ = file;
  return true;
}

void Journal::Send(const std::string& name, std::uint64_t size, std::uint32_t crc) {
  WriteLine("SEND\t" + EscapeJournalField(name) + "\t" + std::to_string(size) + "\t" +
            FormatCrc32(crc));
}

void Journal::SendFailed(const std::string& name, const std::string& reason) {
  WriteLine("SEND_FAILED\t" + EscapeJournalField(name) + "\t" + EscapeJournalField(reason));
}

void Journal::Receive(const std::string& name) {
  WriteLine("RECEIVE\t" + EscapeJournalField(name));
}

void Journal::Set(const std::string& name, double value) {
  char number[64];
  std::snprintf(number, sizeof number, "%g", value);
  WriteLine("SET\t" + EscapeJournalField(name) + "\t" + number);
}

void Journal::WriteLine(const std::string& line) {
  if (file_ == nullptr)
    return;
  const std::string text = line + "\n";
  std::fwrite(text.data(), 1, text.size(), file_);
  std::fflush(file_);
}

std::string EscapeJournalField(const std::string& field) {
  std::string out;
  out.reserve(field.size());
  for (char c : field) {
    switch (c) {
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace sim
