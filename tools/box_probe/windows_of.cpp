#include "windows_of.h"

namespace probe {
namespace {

struct Search {
  DWORD process_id;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->process_id)
    search->found.push_back(window);
  return TRUE;
}

}  // namespace

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  // GetWindowText reads another process's window text from the window system without a message
  // (GetWindowTextLength would send one), so the buffer is sized for the longest box text.
  std::string text(8192, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], static_cast<int>(text.size()))));
  return text;
}

std::vector<HWND> TopWindowsOf(DWORD process_id) {
  Search search{process_id, {}};
  EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> children;  // direct children only, in the window system's order
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

WindowKind KindOf(HWND window) {
  const std::string name = ClassOf(window);
  if (name == "#32768")
    return WindowKind::kPopupMenu;
  if (name != "#32770")
    return WindowKind::kOther;
  for (HWND child : ChildrenOf(window))
    if (ClassOf(child) == "msctls_progress32")
      return WindowKind::kProgressDialog;
  return WindowKind::kMessageBox;
}

LRESULT SendWithTimeout(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT fallback) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &result))
    return fallback;
  return static_cast<LRESULT>(result);
}

}  // namespace probe
