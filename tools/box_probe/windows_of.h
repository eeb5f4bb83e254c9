// Reading the windows of another process: the top-level windows that belong to it, their class,
// text, children and what kind of window each one is. Texts, styles, rectangles and the window
// tree are kept by the window system itself and are read without the owner's help; messages that
// the owner must answer are sent with a time-out, so a hung program never hangs the probe.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace probe {

constexpr UINT kSendTimeoutMs = 500;

enum class WindowKind {
  kMessageBox,      // "#32770" without a progress bar
  kProgressDialog,  // "#32770" holding a progress bar
  kPopupMenu,       // "#32768"
  kOther,
};

std::string ClassOf(HWND window);
std::string TextOf(HWND window);
std::vector<HWND> TopWindowsOf(DWORD process_id);
std::vector<HWND> ChildrenOf(HWND parent);
WindowKind KindOf(HWND window);
// The result of `message`, or `fallback` when the owner did not answer in time.
LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                        LRESULT fallback = 0);

}  // namespace probe
