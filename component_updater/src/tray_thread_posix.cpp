// The tray thread on POSIX: there is no tray, so the thread only waits for its stop flag,
// looking at it at least once a second and woken at once when it is set.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "tray_thread.h"

namespace {

std::atomic<bool> stop_requested{false};
std::mutex stop_mutex;
std::condition_variable stop_changed;

void TrayThread() {
  std::unique_lock<std::mutex> lock(stop_mutex);
  while (!stop_requested.load())
    stop_changed.wait_for(lock, std::chrono::seconds(1));
}

// Joins a thread still running at exit (a path out that skipped shutdown): a joinable
// std::thread destroyed at exit would end the process with std::terminate.
struct TrayThreadHolder {
  std::thread thread;
  ~TrayThreadHolder() { TerminateTrayThread(); }
} tray;

}  // namespace

bool StartTrayThread(HINSTANCE__*) {
  if (tray.thread.joinable())
    return false;
  stop_requested.store(false);
  try {
    tray.thread = std::thread(TrayThread);
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void RequestTrayThreadStop() {
  {
    std::lock_guard<std::mutex> lock(stop_mutex);  // so the thread cannot miss the wake-up
    stop_requested.store(true);
  }
  stop_changed.notify_all();
}

void TerminateTrayThread() {
  if (!tray.thread.joinable())
    return;
  RequestTrayThreadStop();
  tray.thread.join();
}
