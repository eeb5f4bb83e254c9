// Dialogs on Win32: the window is made from the template resource with CreateDialogParam and run
// by a message loop of our own (as the framework does), so that PreTranslateMessage sees every
// message before IsDialogMessage; the window is destroyed when the loop ends.
#include "CDialog.h"

#include <windows.h>
#include <commctrl.h>

#include <mutex>

#include "CWinApp.h"

namespace {

// The progress bar's window class comes from the common controls library.
void RegisterCommonControls() {
  static std::once_flag once;
  std::call_once(once, [] {
    INITCOMMONCONTROLSEX controls;
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES;
    InitCommonControlsEx(&controls);
  });
}

HINSTANCE TemplateModule() {
  const CWinApp* app = AfxGetApp();
  if (app && app->m_hInstance)
    return static_cast<HINSTANCE>(app->m_hInstance);
  return GetModuleHandleA(nullptr);
}

INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    dialog->m_hWnd = window;
    return dialog->HandleMessage(fw::kInitDialog, wParam, lParam);
  }
  auto* dialog = reinterpret_cast<CDialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!dialog)
    return FALSE;
  return dialog->HandleMessage(message, wParam, lParam);
}

}  // namespace

std::intptr_t CDialog::DoModal() {
  RegisterCommonControls();
  m_bEndModal = false;
  m_nModalResult = -1;
  HWND window = CreateDialogParamA(TemplateModule(), MAKEINTRESOURCEA(m_nIDTemplate), nullptr,
                                   DialogProc, reinterpret_cast<LPARAM>(this));
  if (!window) {
    m_hWnd = nullptr;
    return -1;
  }
  MSG msg;
  while (!m_bEndModal) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == -1)
      break;
    if (got == 0) {
      // A quit message belongs to the thread's own loop: leave it there.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (PreTranslateMessage(fw::Message{msg.hwnd, msg.message, msg.wParam, msg.lParam}))
      continue;
    if (IsDialogMessageA(window, &msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  DestroyWindow(window);
  m_hWnd = nullptr;
  return m_nModalResult;
}

void CDialog::WakeModalLoop() {
  // The loop checks the end flag only after GetMessage returns: give it a message.
  PostMessageA(static_cast<HWND>(m_hWnd), WM_NULL, 0, 0);
}

void CDialog::BeginWaitCursor() {
  SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32514)));  // IDC_WAIT
}

void CDialog::RestoreWaitCursor() {
  BeginWaitCursor();
}

void CDialog::EndWaitCursor() {
  SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));  // IDC_ARROW
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
  control.m_hWnd = GetDlgItem(static_cast<HWND>(pDX->m_pDlgWnd->m_hWnd), id);
}
