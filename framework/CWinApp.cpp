// The application object's registration and the shared half of AfxWinInit.
#include "CWinApp.h"

#include <atomic>

#include "fw_platform.h"

namespace {
std::atomic<CWinApp*> g_app{nullptr};
}

CWinApp::CWinApp(const char* appName) : m_appName(appName ? appName : "") {
  g_app.store(this);
}

CWinApp::~CWinApp() {
  CWinApp* self = this;
  g_app.compare_exchange_strong(self, nullptr);
}

CWinApp* AfxGetApp() {
  return g_app.load();
}

bool AfxWinInit(void* instance, void* /*prevInstance*/, const char* commandLine, int showCommand) {
  std::string exeName;
  if (!fw::ExecutableName(instance, &exeName))
    return false;
  if (CWinApp* app = AfxGetApp()) {
    app->m_hInstance = instance ? instance : fw::ExecutableInstance();
    app->m_exeName = exeName;
    if (app->m_appName.empty())
      app->m_appName = exeName;
    app->m_commandLine = commandLine ? commandLine : "";
    app->m_nCmdShow = showCommand;
  }
  return true;
}
