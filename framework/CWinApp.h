// The framework stand-in's application object and the framework's start-up for the module.
//
// The program has one application object, a static object of a class derived from CWinApp; it
// registers itself on construction and AfxGetApp reaches it from everywhere. AfxWinInit fills in
// what only the process entry knows. The program does not run the framework's own start-up and
// message loop, so InitInstance and ExitInstance are there for derived classes only.
#pragma once

#include <string>

class CWnd;

class CWinApp {
 public:
  // `appName` null: the application's name is the executable's name (set by AfxWinInit).
  explicit CWinApp(const char* appName = nullptr);
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual bool InitInstance() { return true; }
  virtual int ExitInstance() { return 0; }

  // The module's instance handle (HINSTANCE on Windows, null on POSIX).
  void* m_hInstance = nullptr;
  // The executable's file name without folder and without ".exe" (e.g. "component_updater").
  std::string m_exeName;
  // The application's name: the constructor's, else the executable's name.
  std::string m_appName;
  // The full command line text and the show state given to AfxWinInit.
  std::string m_commandLine;
  int m_nCmdShow = 0;
  // The application's main window; the program has none.
  CWnd* m_pMainWnd = nullptr;
};

// The one application object, or null when none exists (yet or any more).
CWinApp* AfxGetApp();

// Initialises the framework for the module `instance` (null: the executable): stores the
// instance, command line and show state in the application object (when there is one) and works
// out the executable's name. False when the executable's file name cannot be found.
bool AfxWinInit(void* instance, void* prevInstance, const char* commandLine, int showCommand);
