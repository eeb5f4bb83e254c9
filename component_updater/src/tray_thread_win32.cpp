// The tray thread on Windows: registers "DUMMYWIN", creates its never-shown window as the tray
// icon's target, creates the icon with the program title and the idle icon, and dispatches the
// thread's messages until the stop flag is set.
#include <windows.h>

#include <atomic>

#include "SystemTraySDK.h"
#include "errtrace.h"
#include "resource.h"
#include "run_settings.h"
#include "tray_thread.h"

namespace {

constexpr SIZE_T kTrayStackBytes = 16383;
constexpr DWORD kWaitForInputMs = 1000;

std::atomic<bool> stop_requested{false};
HANDLE tray_thread = nullptr;
DWORD tray_thread_id = 0;
HANDLE record_held = nullptr;  // set by the thread once it holds the icon record

LRESULT CALLBACK DummyWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) != ID_TRAY_EXIT)
        break;
      // The run is not stopped and the process does not end: the operator only leaves a mark.
      MTRACE(3, "User clicked on exit button");
      return 0;
    case CSystemTray::kCallbackMessage:
      return TheSystemTray().HandleNotification(wparam, lparam);
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

HWND CreateDummyWindow(HINSTANCE instance) {
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.style = CS_HREDRAW | CS_VREDRAW;
  window_class.lpfnWndProc = DummyWindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
  window_class.hIconSm = window_class.hIcon;
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  window_class.lpszClassName = "DUMMYWIN";
  RegisterClassExA(&window_class);  // already there when a thread ran before in this process
  return CreateWindowA("DUMMYWIN", "Kelvomain.exe", WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                       CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
}

void CreateTrayIcon(HINSTANCE instance, HWND target) {
  CSystemTray::Hold hold(TheSystemTray());
  SetEvent(record_held);
  if (!TheSystemTray().Create(instance, target, TheRunSettings().programTitle.c_str(), nullptr))
    MERRLOG("main(): TrayIcon.Create() failed");
  TheSystemTray().SetIcon(IDI_TRAY_IDLE);
}

DWORD WINAPI TrayThread(LPVOID instance_param) {
  HINSTANCE instance = static_cast<HINSTANCE>(instance_param);
  CreateTrayIcon(instance, CreateDummyWindow(instance));
  while (!stop_requested.load()) {
    // MWMO_INPUTAVAILABLE: also wake for messages already in the queue, so that a backlog does
    // not drain at one message per second.
    DWORD woke =
        MsgWaitForMultipleObjectsEx(0, nullptr, kWaitForInputMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG message;
    if (woke == WAIT_OBJECT_0 && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return 0;
}

}  // namespace

bool StartTrayThread(HINSTANCE__* instance) {
  if (tray_thread != nullptr)
    return false;
  stop_requested.store(false);
  record_held = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (record_held == nullptr)
    return false;
  tray_thread = CreateThread(nullptr, kTrayStackBytes, TrayThread, instance, 0, &tray_thread_id);
  if (tray_thread != nullptr) {
    // The thread signals as soon as it holds the record, or it has died: either ends the wait.
    HANDLE either[] = {record_held, tray_thread};
    WaitForMultipleObjects(2, either, FALSE, INFINITE);
  }
  CloseHandle(record_held);
  record_held = nullptr;
  return tray_thread != nullptr;
}

void RequestTrayThreadStop() {
  stop_requested.store(true);
  if (tray_thread_id != 0)
    PostThreadMessageA(tray_thread_id, WM_NULL, 0, 0);  // ends the wait for input at once
}

void TerminateTrayThread() {
  if (tray_thread == nullptr)
    return;
  if (WaitForSingleObject(tray_thread, 0) == WAIT_TIMEOUT) {
    TerminateThread(tray_thread, 0);
    WaitForSingleObject(tray_thread, INFINITE);
  }
  CloseHandle(tray_thread);
  tray_thread = nullptr;
  tray_thread_id = 0;
}
