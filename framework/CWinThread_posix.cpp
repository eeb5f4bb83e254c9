// User-interface threads on POSIX: a detached std::thread that waits at a gate until resumed,
// with a message queue of its own (ui_posix.h). The gate and the queue are shared with the
// thread, because the thread deletes the CWinThread object before it ends.
#include "CWinThread.h"

#include <system_error>

#include "CWnd.h"
#include "ui_posix.h"

namespace {

struct StartGate {
  std::mutex mutex;
  std::condition_variable opened;
  bool open = false;
};

}  // namespace

struct CWinThread::PlatformThread {
  std::shared_ptr<fw_posix::MessageQueue> queue = std::make_shared<fw_posix::MessageQueue>();
  std::shared_ptr<StartGate> gate = std::make_shared<StartGate>();

  static void Entry(CWinThread* thread, std::shared_ptr<fw_posix::MessageQueue> queue,
                    std::shared_ptr<StartGate> gate) {
    {
      std::unique_lock<std::mutex> lock(gate->mutex);
      gate->opened.wait(lock, [&] { return gate->open; });
    }
    queue->SetOwner(std::this_thread::get_id());
    fw_posix::SetCurrentQueue(queue);
    ThreadMain(thread);
    queue->Close();
    fw_posix::SetCurrentQueue(nullptr);
  }
};

CWinThread::CWinThread() = default;
CWinThread::~CWinThread() = default;

bool CWinThread::CreateThread() {
  auto platform = std::make_unique<PlatformThread>();
  try {
    std::thread(&PlatformThread::Entry, this, platform->queue, platform->gate).detach();
  } catch (const std::system_error&) {
    return false;
  }
  m_platform = std::move(platform);
  NoteThreadCreated();
  return true;
}

void CWinThread::ResumeThread() {
  if (!m_platform)
    return;
  // The thread may run, end and delete this object as soon as the gate opens: keep the gate.
  const std::shared_ptr<StartGate> gate = m_platform->gate;
  std::lock_guard<std::mutex> lock(gate->mutex);
  gate->open = true;
  gate->opened.notify_all();
}

bool CWinThread::PostQuit(int exitCode) {
  if (!m_platform)
    return false;
  // The thread may delete this object as soon as the quit is queued: keep the queue.
  const std::shared_ptr<fw_posix::MessageQueue> queue = m_platform->queue;
  return queue->Post(fw::Message{nullptr, fw::kQuit, static_cast<std::uintptr_t>(exitCode), 0});
}

int CWinThread::Run() {
  const std::shared_ptr<fw_posix::MessageQueue> queue = fw_posix::CurrentQueue();
  fw::Message message;
  while (queue->Get(&message)) {
    if (m_pMainWnd && m_pMainWnd->PreTranslateMessage(message))
      continue;
    fw_posix::DispatchToWindow(message);
  }
  return static_cast<int>(message.wParam);
}
