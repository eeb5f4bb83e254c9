// What the probe saw, one event a line, in the order it saw them. The record file is written and
// flushed line by line, so a probe that is stopped from outside still leaves what it had seen.
#pragma once

#include <cstdio>
#include <string>

namespace probe {

class Record {
 public:
  // `path` empty: events are dropped (only the boxes on stderr are wanted).
  explicit Record(const std::string& path);
  ~Record();
  Record(const Record&) = delete;
  Record& operator=(const Record&) = delete;

  bool ok() const { return path_.empty() || file_ != nullptr; }
  void Line(const std::string& line);

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
};

// `text` in double quotes, with \n and \r written as such, so that every event stays on one line.
std::string Quoted(const std::string& text);

// A box as the native program writes it to stderr: "[caption] text" and a line break.
void WriteBoxToStderr(const std::string& caption, const std::string& text);

}  // namespace probe
