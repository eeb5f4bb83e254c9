// POSIX bodies of the diagnostics' operating-system needs.
#include <pthread.h>
#include <signal.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "diag_platform.h"
#include "log_writer.h"

namespace diag {
namespace {

const int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction previous[sizeof kCrashSignals / sizeof kCrashSignals[0]];
bool installed = false;

void OnCrash(int signo) {
  char text[64];
  std::snprintf(text, sizeof text, "process crashed with signal %d (%s)", signo, strsignal(signo));
  ReportCrash(text);
  // Die of the same signal, so the parent sees what happened.
  signal(signo, SIG_DFL);
  raise(signo);
}

}  // namespace

uint64_t CurrentProcessId() {
  return static_cast<uint64_t>(getpid());
}

uint64_t CurrentThreadId() {
  uint64_t id = 0;
  pthread_t self = pthread_self();
  std::memcpy(&id, &self, sizeof id < sizeof self ? sizeof id : sizeof self);
  return id;
}

std::string LocalTimestamp() {
  timeval now;
  gettimeofday(&now, nullptr);
  tm local;
  localtime_r(&now.tv_sec, &local);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                static_cast<int>(now.tv_usec / 1000));
  return text;
}

void InstallCrashHandlers() {
  if (installed)
    return;
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = OnCrash;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < sizeof kCrashSignals / sizeof kCrashSignals[0]; ++i)
    sigaction(kCrashSignals[i], &action, &previous[i]);
  installed = true;
}

void RemoveCrashHandlers() {
  if (!installed)
    return;
  for (size_t i = 0; i < sizeof kCrashSignals / sizeof kCrashSignals[0]; ++i)
    sigaction(kCrashSignals[i], &previous[i], nullptr);
  installed = false;
}

}  // namespace diag
