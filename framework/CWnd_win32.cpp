// Windows and controls on Win32: each operation is the system call on the handle, which the
// system checks, so a handle whose window is gone fails harmlessly.
#include "CWnd.h"

#include <windows.h>
#include <commctrl.h>

namespace {

HWND Handle(void* window) {
  return static_cast<HWND>(window);
}

// Where a window is centred: the other window's rectangle, or the work area of the screen.
RECT CentreArea(HWND window, const CWnd* other) {
  RECT area;
  if (other && other->m_hWnd && other->m_hWnd != window &&
      GetWindowRect(Handle(other->m_hWnd), &area))
    return area;
  MONITORINFO monitor;
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor))
    return monitor.rcWork;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

}  // namespace

bool CWnd::SetText(const std::string& text) {
  return m_hWnd && SetWindowTextA(Handle(m_hWnd), text.c_str());
}

std::string CWnd::GetText() const {
  if (!m_hWnd)
    return "";
  const int length = GetWindowTextLengthA(Handle(m_hWnd));
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(Handle(m_hWnd), &text[0], length + 1)));
  return text;
}

bool CWnd::ShowWindow(int how) {
  if (!m_hWnd || !IsWindow(Handle(m_hWnd)))
    return false;
  ::ShowWindow(Handle(m_hWnd), how);
  return true;
}

bool CWnd::IsIconic() const {
  return m_hWnd && ::IsIconic(Handle(m_hWnd));
}

void CWnd::CenterWindow(const CWnd* other) {
  RECT own;
  if (!m_hWnd || !GetWindowRect(Handle(m_hWnd), &own))
    return;
  const RECT area = CentreArea(Handle(m_hWnd), other);
  const int width = own.right - own.left;
  const int height = own.bottom - own.top;
  const int left = area.left + (area.right - area.left - width) / 2;
  const int top = area.top + (area.bottom - area.top - height) / 2;
  SetWindowPos(Handle(m_hWnd), nullptr, left, top, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::uintptr_t CWnd::SetTimer(std::uintptr_t id, unsigned milliseconds) {
  return m_hWnd ? ::SetTimer(Handle(m_hWnd), id, milliseconds, nullptr) : 0;
}

bool CWnd::KillTimer(std::uintptr_t id) {
  return m_hWnd && ::KillTimer(Handle(m_hWnd), id);
}

bool CWnd::SendCommandAndWait(int id) const {
  // SendMessage answers 0 both for a handler's 0 and for a failure, so the window is checked
  // first; one destroyed in between makes the send return at once.
  if (!m_hWnd || !IsWindow(Handle(m_hWnd)))
    return false;
  SendMessageA(Handle(m_hWnd), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
  return true;
}

bool CWnd::PreTranslateMessage(const fw::Message& /*message*/) {
  return false;
}

void CProgressCtrl::SetRange32(int lower, int upper) {
  SendMessageA(Handle(m_hWnd), PBM_SETRANGE32, static_cast<WPARAM>(lower), upper);
}

void CProgressCtrl::SetStep(int step) {
  SendMessageA(Handle(m_hWnd), PBM_SETSTEP, static_cast<WPARAM>(step), 0);
}

void CProgressCtrl::SetPos(int position) {
  SendMessageA(Handle(m_hWnd), PBM_SETPOS, static_cast<WPARAM>(position), 0);
}
