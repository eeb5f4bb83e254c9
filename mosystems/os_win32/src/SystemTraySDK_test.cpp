// The tray icon and the tray thread. Windows: the shell's real notify icon (under Wine it needs a
// display: xvfb-run). POSIX: the platform without a tray.
#include <gtest/gtest.h>

#include "SystemTraySDK.h"
#include "diag_testing.h"
#include "msleep_sec.h"
#include "mtrace.h"
#include "run_settings.h"
#include "tray_thread.h"

namespace {

// What start-up does after main.
void ShutDownTray() {
  RequestTrayThreadStop();
  msleep_sec(1.0);
  TerminateTrayThread();
  TheSystemTray().HideIcon();
  TheSystemTray().RemoveIcon();
}

}  // namespace

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <utility>
#include <vector>

#include "resource.h"

namespace {

HINSTANCE Module() {
  return GetModuleHandleA(nullptr);
}

// Whether the shell holds an icon (shown or hidden) for this record's window and id.
bool ShellKnows(const TrayIconRecord& r) {
  NOTIFYICONDATAA probe{};
  probe.cbSize = sizeof probe;
  probe.hWnd = r.window;
  probe.uID = r.id;
  return Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

UINT shown_default = 0;  // command of the default item of the menu last shown

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITMENUPOPUP)
    shown_default = GetMenuDefaultItem(reinterpret_cast<HMENU>(wparam), FALSE, 0);
  if (message == WM_ENTERIDLE)
    EndMenu();  // the menu is up: close it as an operator would
  return DefWindowProcA(window, message, wparam, lparam);
}

using Posted = std::vector<std::pair<UINT, WPARAM>>;

Posted TakePosted(HWND window) {
  Posted posted;
  MSG m;
  while (PeekMessageA(&m, window, 0, 0, PM_REMOVE))
    posted.push_back({m.message, m.wParam});
  return posted;
}

int ExitClicks(const diag::CapturingSink& sink) {
  int n = 0;
  for (const diag::Record& r : sink.records())
    n += r.kind == diag::Kind::kTrace && r.level == 3 && r.text == "User clicked on exit button";
  return n;
}

}  // namespace

TEST(SystemTray, RecordAndStatesFollowEachChange) {
  CSystemTray tray;
  const std::string title(200, 'T');
  ASSERT_TRUE(tray.Create(Module(), nullptr, title.c_str(), nullptr));
  TrayIconRecord r = tray.record();
  EXPECT_EQ(528u, r.size);
  EXPECT_EQ(tray.trayWindow(), r.window);
  EXPECT_EQ(102u, r.id);
  EXPECT_EQ(7u, r.flags);
  EXPECT_EQ(0x800Au, r.callbackMessage);
  EXPECT_EQ(title.substr(0, 127), r.tooltip);
  EXPECT_TRUE(ShellKnows(r));
  HICON idle = LoadIconA(Module(), MAKEINTRESOURCEA(IDI_TRAY_IDLE));
  HICON connected = LoadIconA(Module(), MAKEINTRESOURCEA(IDI_TRAY_CONNECTED));
  struct Step {
    const char* what;
    std::function<bool()> change;
    bool result;
    unsigned flags, state;
    HICON icon;  // null: not checked
    bool hidden, removed, known;
  };
  const Step steps[] = {
      {"load", [&] { return tray.SetIcon(IDI_TRAY_IDLE); }, true, NIF_ICON, 0, nullptr, 0, 0, 1},
      {"set", [&] { return tray.SetIcon(connected); }, true, NIF_ICON, 0, connected, 0, 0, 1},
      {"no such icon", [&] { return tray.SetIcon(999u); }, false, NIF_ICON, 0, connected, 0, 0, 1},
      {"hide", [&] { return tray.HideIcon(); }, true, NIF_STATE, NIS_HIDDEN, connected, 1, 0, 1},
      {"set hidden", [&] { return tray.SetIcon(idle); }, true, NIF_ICON, NIS_HIDDEN, idle, 1, 0, 1},
      {"hide again", [&] { return tray.HideIcon(); }, true, NIF_ICON, NIS_HIDDEN, idle, 1, 0, 1},
      {"remove", [&] { return tray.RemoveIcon(); }, true, 0, NIS_HIDDEN, idle, 1, 1, 0},
      {"remove again", [&] { return tray.RemoveIcon(); }, true, 0, NIS_HIDDEN, idle, 1, 1, 0},
      {"set removed", [&] { return tray.SetIcon(connected); }, true, NIF_ICON, NIS_HIDDEN,
       connected, 1, 1, 0},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    EXPECT_EQ(s.result, s.change());
    r = tray.record();
    EXPECT_EQ(s.flags, r.flags);
    EXPECT_EQ(s.state, r.state);
    EXPECT_EQ(s.state, r.stateMask);
    if (s.icon != nullptr) {
      EXPECT_EQ(s.icon, r.icon);
    }
    EXPECT_EQ(s.hidden, tray.hidden());
    EXPECT_EQ(s.removed, tray.removed());
    EXPECT_EQ(s.known, ShellKnows(r));
  }
}

TEST(SystemTray, NotificationsShowTheMenuOrPostItsDefaultCommand) {
  WNDCLASSA target_class{};
  target_class.lpfnWndProc = TargetProc;
  target_class.hInstance = Module();
  target_class.lpszClassName = "TrayTestTarget";
  RegisterClassA(&target_class);
  HWND target = CreateWindowA("TrayTestTarget", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              Module(), nullptr);
  CSystemTray tray;
  EXPECT_FALSE(tray.HandleNotification(102, WM_LBUTTONDBLCLK));  // no target window yet
  ASSERT_TRUE(tray.Create(Module(), target, "tip", nullptr));
  struct Case {
    std::uintptr_t id;
    std::intptr_t event;
    bool result;
    UINT menu_default;  // 0: no menu shown
    Posted posted;
  };
  const Case cases[] = {
      {102, WM_LBUTTONDBLCLK, true, 0, {{WM_COMMAND, ID_TRAY_EXIT}}},
      {102, WM_RBUTTONUP, true, ID_TRAY_EXIT, {{WM_NULL, 0}}},
      {102, WM_MOUSEMOVE, true, 0, {}},
      {101, WM_RBUTTONUP, false, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.event);
    shown_default = 0;
    EXPECT_EQ(c.result, tray.HandleNotification(c.id, c.event));
    EXPECT_EQ(c.menu_default, shown_default);
    EXPECT_EQ(c.posted, TakePosted(target));
  }
  DestroyWindow(target);
}

TEST(TrayThread, ExitOnlyTracesAndShutdownTakesWindowsAndIconAway) {
  diag::CapturingSink sink;
  _MTrace_SetLevel("default", 3);
  TheRunSettings().programTitle = "Tray test v1.0";
  ASSERT_TRUE(StartTrayThread(Module()));
  HWND dummy = FindWindowA("DUMMYWIN", "Kelvomain.exe");
  ASSERT_NE(nullptr, dummy);
  EXPECT_TRUE(TheSystemTray().SetIcon(IDI_TRAY_CONNECTED));
  const TrayIconRecord r = TheSystemTray().record();
  EXPECT_EQ(dummy, r.window);
  EXPECT_EQ("Tray test v1.0", r.tooltip);
  SendMessageA(dummy, WM_COMMAND, ID_TRAY_EXIT, 0);
  EXPECT_EQ(1, ExitClicks(sink));
  SendMessageA(dummy, CSystemTray::kCallbackMessage, 102, WM_LBUTTONDBLCLK);  // posts "E&xit"
  for (int wait = 0; wait < 200 && ExitClicks(sink) < 2; ++wait)
    Sleep(50);
  EXPECT_EQ(2, ExitClicks(sink));
  EXPECT_TRUE(IsWindow(dummy));  // the run goes on
  ShutDownTray();
  EXPECT_FALSE(IsWindow(dummy));
  EXPECT_FALSE(ShellKnows(r));
  EXPECT_TRUE(sink.ErrorLog().empty());
}

#else

TEST(SystemTray, WithoutATrayEveryOperationDoesNothing) {
  diag::CapturingSink sink;
  CSystemTray tray;
  EXPECT_FALSE(tray.Create(nullptr, nullptr, "title", nullptr));
  EXPECT_FALSE(tray.SetIcon(106u));
  EXPECT_FALSE(tray.SetIcon(static_cast<HICON__*>(nullptr)));
  EXPECT_FALSE(tray.HideIcon());
  EXPECT_FALSE(tray.RemoveIcon());
  EXPECT_FALSE(tray.HandleNotification(CSystemTray::kIconId, 0x203));
  EXPECT_FALSE(tray.enabled());
  EXPECT_EQ(0u, tray.record().size);
  EXPECT_TRUE(sink.records().empty());
}

TEST(TrayThread, StopsInTheShutdownOrderWithoutTouchingTheTray) {
  diag::CapturingSink sink;
  ASSERT_TRUE(StartTrayThread(nullptr));
  EXPECT_FALSE(StartTrayThread(nullptr));  // one tray thread at a time
  ShutDownTray();
  EXPECT_FALSE(TheSystemTray().enabled());
  EXPECT_TRUE(sink.records().empty());
  ASSERT_TRUE(StartTrayThread(nullptr));
  TerminateTrayThread();  // without a stop request first: still ends, never hangs
}

#endif
