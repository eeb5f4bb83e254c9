#include "record.h"

#include <windows.h>

namespace probe {

Record::Record(const std::string& path) : path_(path) {
  if (!path_.empty())
    file_ = std::fopen(path_.c_str(), "wb");
}

Record::~Record() {
  if (file_)
    std::fclose(file_);
}

void Record::Line(const std::string& line) {
  if (!file_)
    return;
  std::fprintf(file_, "%s\n", line.c_str());
  std::fflush(file_);
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\n')
      out += "\\n";
    else if (c == '\r')
      out += "\\r";
    else
      out += c;
  }
  return out + "\"";
}

void WriteBoxToStderr(const std::string& caption, const std::string& text) {
  // The program shares this handle (it inherited it): one write, so the block stays whole.
  const std::string block = "[" + caption + "] " + text + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), block.data(), static_cast<DWORD>(block.size()),
            &written, nullptr);
}

}  // namespace probe
