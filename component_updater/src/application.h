// The program's application object: one static object, constructed during static initialisation
// by the process entry. Start-up reads the executable's and the application's names from it; the
// framework's own start-up and message loop are never run.
#pragma once

#include "CWinApp.h"

class CNWinApp : public CWinApp {
 public:
  CNWinApp() = default;
};
