// The tray thread: from before main until shutdown it owns the program's hidden window
// "DUMMYWIN" (title "Kelvomain.exe") and the tray icon (TheSystemTray(), SystemTraySDK.h), and
// dispatches their messages. The icon's "E&xit" only writes a trace line; the run goes on.
// On POSIX there is no tray: the thread only waits for its stop flag, so that start-up and
// shutdown keep the same order and the same one-second wait on both targets.
//
// All functions: the main thread only (start-up), in this order:
//   StartTrayThread(instance);            before main
//   ...main...
//   RequestTrayThreadStop();              shutdown
//   msleep_sec(1.0);
//   TerminateTrayThread();
//   TheSystemTray().HideIcon();
//   TheSystemTray().RemoveIcon();
#pragma once

struct HINSTANCE__;

// Starts the tray thread for the module `instance` (the resources' module; ignored on POSIX)
// with a stack of 16383 bytes (Windows: the initial commit of CreateThread, the reserve stays the
// program's default; POSIX: the default stack). On Windows it returns once the thread holds the
// icon record, so any icon switch by the caller comes after the thread's first icon. False when
// the thread cannot be started, or one was started and not yet ended by TerminateTrayThread.
bool StartTrayThread(HINSTANCE__* instance);

// Sets the thread's stop flag (atomically) and wakes the thread: a thread waiting for input ends
// at once, one still creating the icon (up to 10 s when the shell does not answer) does not.
void RequestTrayThreadStop();

// Ends the thread: by force when it still runs (TerminateThread on Windows; the windows it owned
// go with it), by joining on POSIX after setting the stop flag. Nothing when no thread runs.
void TerminateTrayThread();
