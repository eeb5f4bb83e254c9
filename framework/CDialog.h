// The framework stand-in's dialog: a window made from a dialog template, run modally on the
// calling thread, with the handlers a derived dialog overrides.
//
// DoModal creates the window (on Windows from the template resource in the application's module;
// on POSIX in memory), calls OnInitDialog, then runs the thread's messages through
// PreTranslateMessage and the handlers until EndDialog, and destroys the window. Every handler
// runs on the thread that called DoModal.
#pragma once

#include <cstdint>

#include "CWnd.h"

class CDialog;

// What DoDataExchange gets: the dialog whose controls are being bound.
struct CDataExchange {
  CDialog* m_pDlgWnd;
  bool m_bSaveAndValidate;
};

// Binds `control` to the dialog's child window with id `id` (the control's wrapper gets its
// handle). Call from DoDataExchange.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
 public:
  explicit CDialog(unsigned templateId) : m_nIDTemplate(templateId) {}
  ~CDialog() override = default;

  // Runs the dialog until EndDialog and answers EndDialog's result, or -1 when the window cannot
  // be created (no template, no display).
  std::intptr_t DoModal();
  // Ends the modal run with `result` once the current handler has returned.
  void EndDialog(int result);
  // Runs DoDataExchange.
  bool UpdateData(bool saveAndValidate = true);

  // Back-end use: one message for this dialog's window (fw::kInitDialog, fw::kCommand,
  // fw::kTimer, fw::kDestroy). Answers OnInitDialog's result for fw::kInitDialog, otherwise
  // whether a handler took the message.
  bool HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

 protected:
  // Binds the controls (UpdateData(false)); true.
  virtual bool OnInitDialog();
  virtual void OnOK();      // EndDialog(fw::kIdOk)
  virtual void OnCancel();  // EndDialog(fw::kIdCancel)
  virtual void OnTimer(std::uintptr_t id);
  // Called while the window still exists, just before it is destroyed.
  virtual void OnDestroy() {}
  virtual void DoDataExchange(CDataExchange* /*pDX*/) {}

  // The wait cursor over the dialog (Windows; nothing on POSIX).
  void BeginWaitCursor();
  void RestoreWaitCursor();
  void EndWaitCursor();

  unsigned m_nIDTemplate;

 private:
  // The platform's half of DoModal and EndDialog.
  void WakeModalLoop();

  bool m_bEndModal = false;
  int m_nModalResult = -1;
};
