// The framework stand-in's user-interface thread.
//
// A CWinThread object is made with new, created suspended (CreateThread), then resumed. The new
// thread runs InitInstance; when that answers true it runs its message loop until a quit message
// arrives (PostQuit), then ExitInstance, and then deletes the object (m_bAutoDelete). Nobody else
// may delete a thread that was resumed, and after PostQuit the object must not be touched.
//
// Messages of the thread go through its main window's PreTranslateMessage first.
#pragma once

#include <memory>

class CWnd;

class CWinThread {
 public:
  CWinThread();
  virtual ~CWinThread();
  CWinThread(const CWinThread&) = delete;
  CWinThread& operator=(const CWinThread&) = delete;

  // Creates the thread, suspended: it runs nothing until ResumeThread. False when the system
  // refuses the thread; the object is then the caller's to delete.
  bool CreateThread();
  // Lets the created thread run. Call it exactly once.
  void ResumeThread();
  // Posts the quit message to the thread's queue; false when it cannot be posted.
  bool PostQuit(int exitCode = 0);

  // Runs on the thread. The defaults: InitInstance answers false, ExitInstance answers 0.
  virtual bool InitInstance();
  virtual int ExitInstance();

  // Waits until no thread made by this class runs any more (every one has deleted itself), at
  // most `seconds`; true when none runs.
  static bool WaitForThreadsToEnd(double seconds);

  CWnd* m_pMainWnd = nullptr;
  bool m_bAutoDelete = true;

  struct PlatformThread;  // the back end's thread state

 private:
  // The message loop until the quit message; answers the quit's exit code.
  int Run();
  // The new thread's life: InitInstance, Run, ExitInstance, delete.
  static void ThreadMain(CWinThread* thread);
  // Counts the threads that run (CreateThread succeeded) until ThreadMain has deleted them.
  static void NoteThreadCreated();
  static void NoteThreadEnded();

  std::unique_ptr<PlatformThread> m_platform;
};
