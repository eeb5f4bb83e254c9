// An in-memory sink for tests: receives every record while the object lives.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "diag.h"

namespace diag {

class CapturingSink : public Sink {
 public:
  CapturingSink() { SetSink(this); }
  ~CapturingSink() override { SetSink(nullptr); }

  void Write(const Record& record) override {
    std::lock_guard<std::mutex> lock(mutex_);
    records_.push_back(record);
  }
  std::vector<Record> records() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return records_;
  }
  // The texts of the records of one kind, in order.
  std::vector<std::string> Texts(Kind kind) const {
    std::vector<std::string> texts;
    for (const Record& r : records())
      if (r.kind == kind)
        texts.push_back(r.text);
    return texts;
  }
  // The error log as the file would hold it: error-log entries, dump entries and summaries.
  std::vector<std::string> ErrorLog() const {
    std::vector<std::string> texts;
    for (const Record& r : records())
      if (r.kind != Kind::kTrace)
        texts.push_back(r.text);
    return texts;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    records_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Record> records_;
};

}  // namespace diag
