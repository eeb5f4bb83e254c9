// Dialogs on POSIX: the window is a record in the in-memory table, run by the calling thread's
// message queue until EndDialog; while shown and not minimized it is a line on the terminal.
#include "CDialog.h"

#include "ui_posix.h"

std::intptr_t CDialog::DoModal() {
  m_bEndModal = false;
  m_nModalResult = -1;
  const std::shared_ptr<fw_posix::MessageQueue> queue = fw_posix::CurrentQueue();
  m_hWnd = fw_posix::CreateDialogWindow(this);
  HandleMessage(fw::kInitDialog, 0, 0);
  fw_posix::DrawDialog(m_hWnd);
  fw::Message message;
  while (!m_bEndModal) {
    if (!queue->Get(&message)) {
      // A quit message belongs to the thread's own loop: leave it there.
      queue->Post(message);
      break;
    }
    if (!PreTranslateMessage(message))
      fw_posix::DispatchToWindow(message);
  }
  HandleMessage(fw::kDestroy, 0, 0);
  fw_posix::DestroyDialogWindow(m_hWnd);
  m_hWnd = nullptr;
  return m_nModalResult;
}

void CDialog::WakeModalLoop() {
  // The loop checks the end flag only after Get returns: give it a message.
  if (const auto queue = fw_posix::QueueOf(m_hWnd))
    queue->Post(fw::Message{m_hWnd, fw::kNull, 0, 0});
}

void CDialog::BeginWaitCursor() {}
void CDialog::RestoreWaitCursor() {}
void CDialog::EndWaitCursor() {}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
  control.m_hWnd = fw_posix::ChildWindow(pDX->m_pDlgWnd->m_hWnd, id, control.ControlClass());
}
