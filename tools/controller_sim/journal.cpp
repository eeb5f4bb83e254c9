// Journal lines. Each line is flushed as soon as it is complete: a test reads the journal while
// the simulator is still running, and a killed simulator must not lose lines.
#include "journal.h"

#include <cerrno>
#include <cstring>

#include "crc32.h"

namespace sim {

namespace {

// What stands for a separator inside a field, or null for a byte written as it is.
const char* Escape(char c) {
  switch (c) {
    case '\t':
      return "\\t";
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    case '\\':
      return "\\\\";
    default:
      return nullptr;
  }
}

}  // namespace

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
  const std::string size_text = std::to_string(size), crc_text = FormatCrc32(crc);
  WriteLine("SEND", {&name, &size_text, &crc_text});
}

void Journal::SendFailed(const std::string& name, const std::string& reason) {
  WriteLine("SEND_FAILED", {&name, &reason});
}

void Journal::Receive(const std::string& name) {
  WriteLine("RECEIVE", {&name});
}

void Journal::Set(const std::string& name, double value) {
  char number[64];
  std::snprintf(number, sizeof number, "%g", value);
  const std::string value_text = number;
  WriteLine("SET", {&name, &value_text});
}

// The fields go to the file as they are, escaped on the way: a name of many megabytes is not
// copied once more for its line.
void Journal::WriteLine(const char* tag, std::initializer_list<const std::string*> fields) {
  if (file_ == nullptr)
    return;
  std::fputs(tag, file_);
  for (const std::string* field : fields) {
    std::fputc('\t', file_);
    std::size_t start = 0;
    for (std::size_t i = 0; i < field->size(); ++i) {
      const char* escape = Escape((*field)[i]);
      if (escape == nullptr)
        continue;
      std::fwrite(field->data() + start, 1, i - start, file_);
      std::fputs(escape, file_);
      start = i + 1;
    }
    std::fwrite(field->data() + start, 1, field->size() - start, file_);
  }
  std::fputc('\n', file_);
  std::fflush(file_);
}

}  // namespace sim
