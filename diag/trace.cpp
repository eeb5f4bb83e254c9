// The leveled trace: per-channel levels shared by all threads, the pending location per thread.
#include <cstdarg>
#include <map>
#include <mutex>
#include <string>

#include "log_writer.h"
#include "mtrace.h"

namespace {

struct Levels {
  std::mutex mutex;
  std::map<std::string, int> by_channel;  // a channel never set has level 0
};

Levels& TheLevels() {
  static Levels* levels = new Levels;
  return *levels;
}

struct PendingLocation {
  const char* file = "";
  int line = 0;
  int level = 0;
};

thread_local PendingLocation pending;

int LevelOf(const char* channel) {
  Levels& levels = TheLevels();
  std::lock_guard<std::mutex> lock(levels.mutex);
  auto it = levels.by_channel.find(channel != nullptr ? channel : "");
  return it == levels.by_channel.end() ? 0 : it->second;
}

}  // namespace

int _MTrace_TestLevel(const char* channel, int level) {
  return level <= 0 || level <= LevelOf(channel) ? 1 : 0;
}

int _MTrace_Location(const char* file, int line, const char* channel, int level) {
  pending.file = file != nullptr ? file : "";
  pending.line = line;
  pending.level = level;
  return _MTrace_TestLevel(channel, level);
}

void _MTrace_Always(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = diag::FormatV(format, args);
  va_end(args);
  diag::WriteRecord({diag::Kind::kTrace, pending.file, pending.line, pending.level, text});
}

void _MTrace_SetLevel(const char* channel, int level) {
  Levels& levels = TheLevels();
  std::lock_guard<std::mutex> lock(levels.mutex);
  levels.by_channel[channel != nullptr ? channel : ""] = level;
}
