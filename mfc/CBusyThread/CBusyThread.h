// The user-interface thread of one send: it runs the progress dialog modally, sets its finished
// flag when the dialog has ended, and then waits in its message loop for the quit message,
// after which it deletes itself.
//
// The sending thread sets texts and duration before it resumes the thread; afterwards it may
// only call CloseDialog, GetElapsedTime, IsFinished, HasDialogWindow and PostQuit.
#pragma once

#include <atomic>

#include "CBusyDialog.h"
#include "CWinThread.h"

class CBusyThread : public CWinThread {
 public:
  CBusyThread() = default;
  ~CBusyThread() override = default;

  bool InitInstance() override;
  int ExitInstance() override;

  void SetCaption(const char* text) { m_dialog.SetCaption(text); }
  void SetUpperText(const char* text) { m_dialog.SetUpperText(text); }
  void SetLowerText(const char* text) { m_dialog.SetLowerText(text); }
  void SetDuration(double seconds) { m_dialog.SetDuration(seconds); }
  double GetElapsedTime() const { return m_dialog.GetElapsedTime(); }

  // See CBusyDialog::Close.
  void CloseDialog() { m_dialog.Close(); }
  bool HasDialogWindow() const { return m_dialog.HasWindow(); }
  // True once the dialog has ended.
  bool IsFinished() const { return m_finished.load(); }

 private:
  CBusyDialog m_dialog;
  std::atomic<bool> m_finished{false};
};
