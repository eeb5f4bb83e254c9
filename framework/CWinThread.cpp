// The shared half of the user-interface thread: its life on the new thread and the count of
// threads that still run. The back ends create, resume and run the message loop.
#include "CWinThread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "CWnd.h"

namespace {

// The count of running threads. Never destroyed: a thread may end while the process exits.
struct RunningThreads {
  std::mutex mutex;
  std::condition_variable ended;
  int count = 0;
};

RunningThreads& Running() {
  static RunningThreads* running = new RunningThreads;
  return *running;
}

}  // namespace

bool CWinThread::InitInstance() {
  return false;
}

int CWinThread::ExitInstance() {
  return 0;
}

void CWinThread::ThreadMain(CWinThread* thread) {
  if (thread->InitInstance())
    thread->Run();
  thread->ExitInstance();
  if (thread->m_bAutoDelete)
    delete thread;
  NoteThreadEnded();
}

void CWinThread::NoteThreadCreated() {
  std::lock_guard<std::mutex> lock(Running().mutex);
  ++Running().count;
}

void CWinThread::NoteThreadEnded() {
  std::lock_guard<std::mutex> lock(Running().mutex);
  --Running().count;
  Running().ended.notify_all();
}

bool CWinThread::WaitForThreadsToEnd(double seconds) {
  std::unique_lock<std::mutex> lock(Running().mutex);
  const auto limit = std::chrono::duration<double>(seconds);
  return Running().ended.wait_for(lock, limit, [] { return Running().count == 0; });
}
