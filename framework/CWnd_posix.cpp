// Windows and controls on POSIX: their state in the in-memory window table (ui_posix.h).
#include "CWnd.h"

#include <algorithm>

#include "ui_posix.h"

using fw_posix::WindowState;

bool CWnd::SetText(const std::string& text) {
  return fw_posix::ChangeWindow(m_hWnd, [&](WindowState& state) { state.text = text; });
}

std::string CWnd::GetText() const {
  std::string text;
  fw_posix::ReadWindow(m_hWnd, [&](const WindowState& state) { text = state.text; });
  return text;
}

bool CWnd::ShowWindow(int how) {
  return fw_posix::ChangeWindow(m_hWnd, [&](WindowState& state) {
    state.visible = how != fw::kShowHide;
    if (how == fw::kShowMinimized)
      state.minimized = true;
    else if (how == fw::kShowRestore)
      state.minimized = false;
  });
}

bool CWnd::IsIconic() const {
  bool minimized = false;
  fw_posix::ReadWindow(m_hWnd, [&](const WindowState& state) { minimized = state.minimized; });
  return minimized;
}

void CWnd::CenterWindow(const CWnd* /*other*/) {
  // No screen: a dialog is a line on the terminal, which has no position.
}

std::uintptr_t CWnd::SetTimer(std::uintptr_t id, unsigned milliseconds) {
  const std::shared_ptr<fw_posix::MessageQueue> queue = fw_posix::QueueOf(m_hWnd);
  if (!queue || id == 0)
    return 0;
  queue->SetTimer(m_hWnd, id, milliseconds);
  return id;
}

bool CWnd::KillTimer(std::uintptr_t id) {
  const std::shared_ptr<fw_posix::MessageQueue> queue = fw_posix::QueueOf(m_hWnd);
  return queue && queue->KillTimer(m_hWnd, id);
}

bool CWnd::SendCommandAndWait(int id) const {
  const std::shared_ptr<fw_posix::MessageQueue> queue = fw_posix::QueueOf(m_hWnd);
  return queue &&
         queue->Send(fw::Message{m_hWnd, fw::kCommand, static_cast<std::uintptr_t>(id), 0});
}

bool CWnd::PreTranslateMessage(const fw::Message& /*message*/) {
  return false;
}

void CProgressCtrl::SetRange32(int lower, int upper) {
  fw_posix::ChangeWindow(m_hWnd, [&](WindowState& state) {
    state.lower = lower;
    state.upper = upper;
    state.position = std::max(lower, std::min(upper, state.position));
  });
}

void CProgressCtrl::SetStep(int step) {
  fw_posix::ChangeWindow(m_hWnd, [&](WindowState& state) { state.step = step; });
}

void CProgressCtrl::SetPos(int position) {
  fw_posix::ChangeWindow(m_hWnd, [&](WindowState& state) {
    state.position = std::max(state.lower, std::min(state.upper, position));
  });
}
