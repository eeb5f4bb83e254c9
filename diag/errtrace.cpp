// Error contexts: a stack per thread. The bottom context is always there, so entries added
// without a Begin are not lost, and an End never pops it.
#include <cstdarg>
#include <string>
#include <vector>

#include "log_writer.h"
#include "merrtrace.h"

namespace {

struct Entry {
  std::string file;
  int line;
  std::string text;
};

struct Location {
  const char* file = "";
  int line = 0;
};

thread_local std::vector<std::vector<Entry>> contexts(1);
thread_local Location pending;

std::vector<Entry>& Innermost() {
  return contexts.back();
}

}  // namespace

void MErrTrace_BeginContext() {
  contexts.emplace_back();
}

void MErrTrace_EndContext() {
  if (contexts.size() <= 1)
    return;
  std::vector<Entry> left = std::move(contexts.back());
  contexts.pop_back();
  // What nobody dumped or cleared belongs to the caller's context now.
  for (Entry& e : left)
    Innermost().push_back(std::move(e));
}

void MErrTrace_ClearContext() {
  Innermost().clear();
}

void _MErrTrace_Location(int, const char* file, int line) {
  pending.file = file != nullptr ? file : "";
  pending.line = line;
}

void _MErrTrace_Add(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Innermost().push_back({pending.file, pending.line, diag::FormatV(format, args)});
  va_end(args);
}

void _MErrTrace_DumpContextToMErrLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string summary = diag::FormatV(format, args);
  va_end(args);
  std::vector<Entry> entries = std::move(Innermost());
  Innermost().clear();
  for (const Entry& e : entries)
    diag::WriteRecord({diag::Kind::kDumpEntry, e.file, e.line, 0, e.text});
  diag::WriteRecord({diag::Kind::kDumpSummary, pending.file, pending.line, 0, summary});
}

namespace diag {

std::vector<std::string> CurrentContextEntries() {
  std::vector<std::string> texts;
  for (const Entry& e : Innermost())
    texts.push_back(e.text);
  return texts;
}

}  // namespace diag
