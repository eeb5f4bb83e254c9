// The messages the framework stand-ins pass between threads and windows, with the numbers the
// Win32 back end hands to the system unchanged. Window handles are opaque here (an HWND on
// Windows, a key of the in-memory window table on POSIX), so no header of the framework needs
// windows.h.
#pragma once

#include <cstdint>

namespace fw {

// Message numbers (the Win32 values).
constexpr unsigned kNull = 0x0000;
constexpr unsigned kDestroy = 0x0002;
constexpr unsigned kQuit = 0x0012;
constexpr unsigned kKeyDown = 0x0100;
constexpr unsigned kInitDialog = 0x0110;
constexpr unsigned kCommand = 0x0111;
constexpr unsigned kTimer = 0x0113;

// Command ids of the dialog buttons.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// Show states for CWnd::ShowWindow (the Win32 values).
constexpr int kShowHide = 0;
constexpr int kShowMinimized = 2;
constexpr int kShowRestore = 9;

// One queued message: the window it is for (null for a thread message) and its two arguments.
struct Message {
  void* window = nullptr;
  unsigned message = kNull;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
};

}  // namespace fw
