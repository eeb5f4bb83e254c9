// The tray icon on POSIX: there is no notification area, so the object behaves as on a platform
// without a tray. It never becomes enabled: Create answers false and every operation does
// nothing and answers false, without a diagnostic (a run without tray is the normal case here).
#include <cstring>

#include "SystemTraySDK.h"

CSystemTray::CSystemTray() {
  std::memset(record_, 0, sizeof record_);
}

CSystemTray::~CSystemTray() = default;

void CSystemTray::LockRecord() const {}
void CSystemTray::UnlockRecord() const {}

bool CSystemTray::Create(HINSTANCE__*, HWND__*, const char*, HICON__*) {
  return false;
}

bool CSystemTray::SetIcon(HICON__*) {
  return false;
}

bool CSystemTray::SetIcon(unsigned) {
  return false;
}

bool CSystemTray::HideIcon() {
  return false;
}

bool CSystemTray::RemoveIcon() {
  return false;
}

bool CSystemTray::HandleNotification(std::uintptr_t, std::intptr_t) {
  return false;
}

void CSystemTray::AdjustMenu(HMENU__*) {}

bool CSystemTray::enabled() const {
  return false;
}

bool CSystemTray::hidden() const {
  return hidden_;
}

bool CSystemTray::removed() const {
  return removed_;
}

HWND__* CSystemTray::trayWindow() const {
  return nullptr;
}

TrayIconRecord CSystemTray::record() const {
  return TrayIconRecord();
}
