// The busy thread's life: the modal dialog, then the message loop until the quit message.
#include "CBusyThread.h"

bool CBusyThread::InitInstance() {
  m_pMainWnd = &m_dialog;
  m_dialog.DoModal();
  m_finished.store(true);
  // True: the thread now waits in its message loop until the sending side posts the quit.
  return true;
}

int CBusyThread::ExitInstance() {
  return CWinThread::ExitInstance();
}
