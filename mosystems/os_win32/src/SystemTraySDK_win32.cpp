// The tray icon on Windows: the shell's notify icon (Shell_NotifyIconA), a hidden "TrayIconClass"
// window for its notifications when no target window is given, and the one-popup icon menu.
//
// The record lock is a Win32 mutex rather than a C++ one: it is recursive (Hold plus the calls
// made under it), and when the tray thread is ended by force while it holds the lock, the next
// wait reports it abandoned instead of waiting forever.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "SystemTraySDK.h"
#include "errtrace.h"
#include "os_error.h"

static_assert(sizeof(NOTIFYICONDATAA) == CSystemTray::kRecordBytes, "notify-icon record size");
static_assert(alignof(NOTIFYICONDATAA) <= 8, "notify-icon record alignment");

namespace {

constexpr int kAddAttempts = 100;
constexpr DWORD kAddPauseMs = 100;
constexpr UINT kValidOnCreate = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // 7
const char kTrayClass[] = "TrayIconClass";

// Registered at start as the shell expects of a notification-area program; see the header for
// why the icon is not put back when the shell announces a restart.
[[maybe_unused]] const UINT taskbar_created_message = RegisterWindowMessageA("TaskbarCreated");

NOTIFYICONDATAA& RecordIn(unsigned char* storage) {
  return *reinterpret_cast<NOTIFYICONDATAA*>(storage);
}

const NOTIFYICONDATAA& RecordIn(const unsigned char* storage) {
  return *reinterpret_cast<const NOTIFYICONDATAA*>(storage);
}

OSVERSIONINFOEXA PlatformVersion() {
  OSVERSIONINFOEXA version{};
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version));
  return version;
}

// A tray exists from version 4 on; hiding an icon needs 5.0 with service pack 1 or later.
bool PlatformHasTray() {
  return PlatformVersion().dwMajorVersion >= 4;
}

bool PlatformCanHide() {
  OSVERSIONINFOEXA v = PlatformVersion();
  return v.dwMajorVersion > 5 ||
         (v.dwMajorVersion == 5 && (v.dwMinorVersion > 0 || v.wServicePackMajor >= 1));
}

// Only the tray's own windows carry their object (given at creation); others get the default.
LRESULT CALLBACK TrayWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* tray = reinterpret_cast<CSystemTray*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (tray != nullptr && message == CSystemTray::kCallbackMessage)
    return tray->HandleNotification(wparam, lparam);
  return DefWindowProcA(window, message, wparam, lparam);
}

}  // namespace

CSystemTray::CSystemTray() : canHide_(PlatformCanHide()) {
  std::memset(record_, 0, sizeof record_);
  recordLock_ = CreateMutexA(nullptr, FALSE, nullptr);
}

CSystemTray::~CSystemTray() {
  RemoveIcon();
  // Fails harmlessly when the window went with its thread or belongs to a thread still running.
  if (trayWindow_ != nullptr && IsWindow(trayWindow_))
    DestroyWindow(trayWindow_);
  if (recordLock_ != nullptr)
    CloseHandle(recordLock_);
}

void CSystemTray::LockRecord() const {
  // WAIT_ABANDONED: the holder was ended by force; the lock is ours now all the same.
  if (recordLock_ != nullptr)
    WaitForSingleObject(recordLock_, INFINITE);
}

void CSystemTray::UnlockRecord() const {
  if (recordLock_ != nullptr)
    ReleaseMutex(recordLock_);
}

bool CSystemTray::Create(HINSTANCE instance, HWND target, const char* tooltip, HICON icon) {
  Hold hold(*this);
  enabled_ = PlatformHasTray();
  if (!enabled_)
    return false;
  instance_ = instance;
  hidden_ = removed_ = true;
  if (!CreateWindowOfTray(instance))
    return false;
  NOTIFYICONDATAA& record = RecordIn(record_);
  std::memset(&record, 0, sizeof record);
  record.cbSize = sizeof record;
  record.hWnd = target != nullptr ? target : trayWindow_;
  record.uID = kIconId;
  record.uFlags = kValidOnCreate;
  record.uCallbackMessage = kCallbackMessage;
  record.hIcon = icon;
  lstrcpynA(record.szTip, tooltip != nullptr ? tooltip : "", sizeof record.szTip);
  bool added = AddIcon();
  hidden_ = removed_ = !added;
  return added;
}

bool CSystemTray::CreateWindowOfTray(HINSTANCE instance) {
  if (trayWindow_ != nullptr && IsWindow(trayWindow_))
    DestroyWindow(trayWindow_);
  WNDCLASSA window_class{};
  window_class.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  window_class.lpfnWndProc = TrayWindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = kTrayClass;
  RegisterClassA(&window_class);  // a second tray of the process finds it registered already
  trayWindow_ = CreateWindowA(kTrayClass, "", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, nullptr, nullptr, instance, this);
  if (trayWindow_ == nullptr) {
    MERRTRACE("CSystemTray::Create(): CreateWindow() failed: %s",
              OsErrorText(GetLastError()).c_str());
    return false;
  }
  return true;
}

// The shell may not be up yet when the program starts with the session: keep trying for 10 s.
bool CSystemTray::AddIcon() {
  bool added = false;
  DWORD error = 0;
  for (int attempt = 0; attempt < kAddAttempts && !added; ++attempt) {
    added = Notify(NIM_ADD);
    error = GetLastError();
    Sleep(kAddPauseMs);
  }
  if (!added)
    MERRTRACE("Create(): Shell_NotifyIcon() failed with error: [%d] %s", static_cast<int>(error),
              OsErrorText(error).c_str());
  return added;
}

bool CSystemTray::Notify(unsigned message) {
  return Shell_NotifyIconA(message, &RecordIn(record_)) != FALSE;
}

bool CSystemTray::SetIcon(HICON icon) {
  Hold hold(*this);
  if (!enabled_)
    return false;
  NOTIFYICONDATAA& record = RecordIn(record_);
  record.uFlags = NIF_ICON;
  record.hIcon = icon;
  return hidden_ || Notify(NIM_MODIFY);
}

bool CSystemTray::SetIcon(unsigned resourceId) {
  Hold hold(*this);
  if (!enabled_)
    return false;
  HICON icon = static_cast<HICON>(
      LoadImageA(instance_, MAKEINTRESOURCEA(resourceId), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  if (icon == nullptr)
    return false;
  bool shown = SetIcon(icon);
  DestroyIcon(icon);  // the shell keeps its own copy
  return shown;
}

bool CSystemTray::HideIcon() {
  Hold hold(*this);
  if (!enabled_)
    return false;
  if (removed_ || hidden_)
    return true;
  if (!canHide_)
    return RemoveIcon();
  NOTIFYICONDATAA& record = RecordIn(record_);
  record.uFlags = NIF_STATE;
  record.dwState = NIS_HIDDEN;
  record.dwStateMask = NIS_HIDDEN;
  hidden_ = Notify(NIM_MODIFY);
  return hidden_;
}

bool CSystemTray::RemoveIcon() {
  Hold hold(*this);
  if (!enabled_)
    return false;
  if (removed_)
    return true;
  RecordIn(record_).uFlags = 0;
  if (Notify(NIM_DELETE))
    hidden_ = removed_ = true;
  return removed_;
}

HMENU CSystemTray::LoadMenuOfIcon() const {
  HMENU menu = LoadMenuA(instance_, MAKEINTRESOURCEA(kIconId));
  if (menu == nullptr)
    MERRLOG("CSystemTray::HandleNotification(): LoadMenu(%u) failed: %s", kIconId,
            OsErrorText(GetLastError()).c_str());
  return menu;
}

bool CSystemTray::HandleNotification(std::uintptr_t id, std::intptr_t event) {
  HWND target;
  {
    Hold hold(*this);  // only to copy: the menu below pumps messages
    target = RecordIn(record_).hWnd;
  }
  if (id != kIconId || target == nullptr)
    return false;
  if (event != WM_RBUTTONUP && event != WM_LBUTTONDBLCLK)
    return true;
  HMENU menu = LoadMenuOfIcon();
  HMENU popup = menu != nullptr ? GetSubMenu(menu, 0) : nullptr;
  if (popup == nullptr) {
    if (menu != nullptr)
      DestroyMenu(menu);
    return false;
  }
  if (event == WM_RBUTTONUP) {
    SetMenuDefaultItem(popup, defaultItem_, TRUE);
    AdjustMenu(popup);
    SetForegroundWindow(target);
    POINT cursor{};
    GetCursorPos(&cursor);
    TrackPopupMenu(popup, TPM_LEFTALIGN, cursor.x, cursor.y, 0, target, nullptr);
    // Without a message after it, a second click on the icon would not open the menu again.
    PostMessageA(target, WM_NULL, 0, 0);
  } else {
    SetForegroundWindow(target);
    PostMessageA(target, WM_COMMAND, GetMenuItemID(popup, defaultItem_), 0);
  }
  DestroyMenu(menu);
  return true;
}

void CSystemTray::AdjustMenu(HMENU) {}

bool CSystemTray::enabled() const {
  Hold hold(*this);
  return enabled_;
}

bool CSystemTray::hidden() const {
  Hold hold(*this);
  return hidden_;
}

bool CSystemTray::removed() const {
  Hold hold(*this);
  return removed_;
}

HWND CSystemTray::trayWindow() const {
  Hold hold(*this);
  return trayWindow_;
}

TrayIconRecord CSystemTray::record() const {
  Hold hold(*this);
  const NOTIFYICONDATAA& r = RecordIn(record_);
  TrayIconRecord view;
  view.size = r.cbSize;
  view.window = r.hWnd;
  view.id = r.uID;
  view.flags = r.uFlags;
  view.callbackMessage = r.uCallbackMessage;
  view.icon = r.hIcon;
  view.tooltip.assign(r.szTip, strnlen(r.szTip, sizeof r.szTip));
  view.state = r.dwState;
  view.stateMask = r.dwStateMask;
  return view;
}
