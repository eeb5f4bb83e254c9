#include "tray_watch.h"

#include <commctrl.h>

#include "windows_of.h"

namespace probe {
namespace {

constexpr SIZE_T kRemoteBytes = 4096;
constexpr SIZE_T kTextOffset = 1024;  // where in the page the tool's text is put
constexpr int kMaxTipChars = 512;
constexpr int kMaxIcons = 8;
constexpr DWORD kUnknownPatienceMs = 1000;

HWND FindTaskbarTips(HWND taskbar) {
  DWORD explorer = 0;
  GetWindowThreadProcessId(taskbar, &explorer);
  for (HWND window : TopWindowsOf(explorer))
    if (ClassOf(window) == "tooltips_class32" && GetWindow(window, GW_OWNER) == taskbar)
      return window;
  return nullptr;
}

bool IsPlain(const Pixels& shot) {
  for (std::uint32_t value : shot.rgb)
    if (value != shot.rgb.front())
      return false;
  return true;
}

void PostMouse(HWND window, UINT message, WPARAM keys, const RECT& rect) {
  const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  PostMessageA(window, message, keys, at);
}

void PostKey(HWND window, WPARAM key) {
  PostMessageA(window, WM_KEYDOWN, key, 1);
  PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

}  // namespace

// Before the program's icon comes there is none: only a change from that is recorded.
TrayWatch::TrayWatch(Record* record, const IconSet* program_icons, bool use_icon)
    : record_(record),
      program_icons_(program_icons),
      use_icon_(use_icon),
      last_("tray icon none") {}

TrayWatch::~TrayWatch() {
  if (remote_)
    VirtualFreeEx(explorer_, remote_, 0, MEM_RELEASE);
  if (explorer_)
    CloseHandle(explorer_);
}

bool TrayWatch::Attach() {
  if (!taskbar_)
    taskbar_ = FindWindowA("Shell_TrayWnd", nullptr);
  return taskbar_ != nullptr;  // no shell (yet)
}

// Explorer makes the tooltip window with the first icon.
bool TrayWatch::AttachTips() {
  if (remote_)
    return true;
  tips_ = FindTaskbarTips(taskbar_);
  if (!tips_)
    return false;
  DWORD explorer = 0;
  GetWindowThreadProcessId(tips_, &explorer);
  if (!explorer_)
    explorer_ =
        OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, explorer);
  if (explorer_)
    remote_ = static_cast<char*>(
        VirtualAllocEx(explorer_, nullptr, kRemoteBytes, MEM_COMMIT, PAGE_READWRITE));
  return remote_ != nullptr;
}

// The icons from the right end of the taskbar leftwards, up to the first empty place.
std::vector<TrayWatch::Place> TrayWatch::IconsShown() const {
  std::vector<Place> shown;
  RECT client;
  if (!GetClientRect(taskbar_, &client))
    return shown;
  const int side = client.bottom - client.top;  // square places as high as the taskbar
  for (int right = client.right; right - side >= client.left && shown.size() < kMaxIcons;
       right -= side) {
    RECT place = {right - side, client.top, right, client.bottom};
    RECT screen = place;
    MapWindowPoints(taskbar_, nullptr, reinterpret_cast<POINT*>(&screen), 2);
    Pixels shot;
    if (!CaptureScreen(screen, &shot) || IsPlain(shot))
      break;
    shown.emplace_back(program_icons_->Identify(shot, GetSystemMetrics(SM_CXSMICON)), place);
  }
  return shown;
}

std::string TrayWatch::ToolText(int index) {
  TOOLINFOW info = {};
  info.cbSize = sizeof info;
  info.lpszText = reinterpret_cast<LPWSTR>(remote_ + kTextOffset);
  wchar_t text[kMaxTipChars] = {};
  if (!WriteProcessMemory(explorer_, remote_, &info, sizeof info, nullptr) ||
      !WriteProcessMemory(explorer_, remote_ + kTextOffset, text, sizeof text, nullptr) ||
      !SendWithTimeout(tips_, TTM_ENUMTOOLSW, index, reinterpret_cast<LPARAM>(remote_)) ||
      !ReadProcessMemory(explorer_, remote_ + kTextOffset, text, sizeof text - 2, nullptr))
    return "";
  char tip[kMaxTipChars * 2] = {};
  WideCharToMultiByte(CP_ACP, 0, text, -1, tip, sizeof tip, nullptr, nullptr);
  return tip;
}

std::string TrayWatch::Tips() {
  std::string tips;
  if (!AttachTips())
    return "unreadable";
  const int count = static_cast<int>(SendWithTimeout(tips_, TTM_GETTOOLCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const std::string text = ToolText(i);
    if (!text.empty())
      tips += (tips.empty() ? "" : "; ") + Quoted(text);
  }
  return tips.empty() ? "none" : tips;
}

void TrayWatch::Poll() {
  if (!Attach())
    return;
  const std::vector<Place> shown = IconsShown();
  std::string state = "tray icon ";
  for (const Place& place : shown)
    state += (&place == &shown.front() ? "" : ",") + place.first;
  state = shown.empty() ? state + "none" : state + " tip " + Tips();
  // An icon being drawn cannot be told for a moment: only an unknown icon that stays is recorded.
  const DWORD now = GetTickCount();
  const bool unknown = state.find("unknown") != std::string::npos;
  if (!unknown || state != unknown_state_)
    unknown_since_ = now;
  unknown_state_ = unknown ? state : "";
  if (state != last_ && (!unknown || now - unknown_since_ >= kUnknownPatienceMs)) {
    record_->Line(state);
    last_ = state;
  }
  for (const Place& place : shown)
    UseIcon(place);
}

// The connected icon stands while a send runs: that is when the operator's clicks are made.
void TrayWatch::UseIcon(const Place& place) {
  if (!use_icon_ || place.first != "105")
    return;
  if (!double_clicked_) {
    PostMouse(taskbar_, WM_LBUTTONDBLCLK, MK_LBUTTON, place.second);
    PostMouse(taskbar_, WM_LBUTTONUP, 0, place.second);
    record_->Line("tray icon double-clicked");
    double_clicked_ = true;
  } else if (!right_clicked_) {
    PostMouse(taskbar_, WM_RBUTTONDOWN, MK_RBUTTON, place.second);
    PostMouse(taskbar_, WM_RBUTTONUP, 0, place.second);
    record_->Line("tray icon right-clicked");
    right_clicked_ = true;
  }
}

void TrayWatch::SeeMenu(HWND menu) {
  if (!IsWindowVisible(menu) || menu == menu_used_)
    return;
  menu_used_ = menu;
  record_->Line("tray menu shown");
  if (!use_icon_)
    return;
  // The menu's own loop takes keys from its thread's queue: the first item, then choose it.
  PostKey(menu, VK_DOWN);
  PostKey(menu, VK_RETURN);
  record_->Line("tray menu first item chosen");
}

}  // namespace probe
