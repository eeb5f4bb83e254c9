// User-interface threads on Win32: a C runtime thread created suspended, whose message queue
// exists from its first instruction, so that a quit posted to it is never refused.
#include "CWinThread.h"

#include <windows.h>
#include <process.h>

#include "CWnd.h"

struct CWinThread::PlatformThread {
  HANDLE handle = nullptr;
  unsigned id = 0;

  static unsigned __stdcall Entry(void* argument) {
    MSG msg;
    // The idiom that gives a thread its message queue before anyone posts to it.
    PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    ThreadMain(static_cast<CWinThread*>(argument));
    return 0;
  }
};

CWinThread::CWinThread() = default;

CWinThread::~CWinThread() {
  if (m_platform && m_platform->handle)
    CloseHandle(m_platform->handle);
}

bool CWinThread::CreateThread() {
  auto platform = std::make_unique<PlatformThread>();
  const uintptr_t handle =
      _beginthreadex(nullptr, 0, &PlatformThread::Entry, this, CREATE_SUSPENDED, &platform->id);
  if (handle == 0)
    return false;
  platform->handle = reinterpret_cast<HANDLE>(handle);
  m_platform = std::move(platform);
  NoteThreadCreated();
  return true;
}

void CWinThread::ResumeThread() {
  if (m_platform)
    ::ResumeThread(m_platform->handle);
}

bool CWinThread::PostQuit(int exitCode) {
  return m_platform &&
         PostThreadMessageA(m_platform->id, WM_QUIT, static_cast<WPARAM>(exitCode), 0);
}

int CWinThread::Run() {
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0)
      return static_cast<int>(msg.wParam);
    if (got == -1)
      return -1;
    const fw::Message message{msg.hwnd, msg.message, msg.wParam, msg.lParam};
    if (m_pMainWnd && m_pMainWnd->PreTranslateMessage(message))
      continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}
