// The crash logger: once installed, a crash of the process (access violation, abort, ...) leaves
// one line naming the cause in the error log before the process dies.
#pragma once

class CrashLogDLL {
 public:
  // Installs the handlers. Called during static initialisation, before the application object.
  static void InitCrashLogger();
  // Restores the handlers that were there before.
  ~CrashLogDLL();
};
