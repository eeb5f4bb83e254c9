// Windows and the two controls the progress dialog binds: the framework stand-in's CWnd,
// CStatic and CProgressCtrl.
//
// A CWnd wraps a window handle it does not own: destroying the wrapper leaves the window alone,
// and the window's owner (the dialog) destroys it. Any thread may hold a handle; a handle whose
// window is gone is harmless: every operation on it fails or does nothing. Operations that
// change a window belong to the thread that runs it; IsIconic and SendCommandAndWait
// may be called from any thread.
#pragma once

#include <cstdint>
#include <string>

#include "fw_message.h"

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd() = default;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // A wrapper for `window` (may be null), for use from any thread.
  static CWnd FromHandle(void* window) { return CWnd(window); }
  void* GetSafeHwnd() const { return m_hWnd; }

  // The window text: the caption of a dialog, the label of a static control.
  bool SetText(const std::string& text);
  std::string GetText() const;

  // fw::kShowMinimized, fw::kShowRestore or fw::kShowHide. False without a window.
  bool ShowWindow(int how);
  // True while the window exists and is minimized.
  bool IsIconic() const;
  // Centres the window on `other`'s window, or on the screen when `other` has none or is this.
  void CenterWindow(const CWnd* other = nullptr);

  // Starts a timer that sends fw::kTimer with `id` to this window every `milliseconds`; returns
  // `id`, or 0 when no timer could be set. KillTimer stops it.
  std::uintptr_t SetTimer(std::uintptr_t id, unsigned milliseconds);
  bool KillTimer(std::uintptr_t id);

  // Sends the command `id` (as a button click) to the window and waits until the window's thread
  // has handled it. False at once when there is no window (none yet, or already destroyed).
  bool SendCommandAndWait(int id) const;

  // Offered every message of the window's thread before it is dispatched; true swallows it.
  virtual bool PreTranslateMessage(const fw::Message& message);

  // The class a control of this kind has in a dialog template ("" for a plain window): the POSIX
  // back end draws a dialog's controls by it.
  virtual const char* ControlClass() const { return ""; }

  // HWND on Windows, a key of the in-memory window table on POSIX; null without a window.
  void* m_hWnd = nullptr;

 private:
  explicit CWnd(void* window) : m_hWnd(window) {}
};

// A static text control.
class CStatic : public CWnd {
 public:
  const char* ControlClass() const override { return "Static"; }
};

// A progress bar.
class CProgressCtrl : public CWnd {
 public:
  const char* ControlClass() const override { return "msctls_progress32"; }
  void SetRange32(int lower, int upper);
  void SetStep(int step);
  void SetPos(int position);
};
