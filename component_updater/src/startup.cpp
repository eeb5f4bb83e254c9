// Start-up and shutdown: the order matters and is kept exactly. Boxes shown here appear even in
// silent mode, since the command line is parsed only later.
#include "startup.h"

#include <new>
#include <vector>

#include "CWinApp.h"
#include "Localize.h"
#include "MIniData_template_core.h"
#include "SystemTraySDK.h"
#include "common_app_data.h"
#include "diag.h"
#include "errtrace.h"
#include "main.h"
#include "mdirtools.h"
#include "message_box.h"
#include "msleep_sec.h"
#include "run_settings.h"
#include "startup_platform.h"
#include "tevbase_dll_tools.h"
#include "tray_thread.h"
#include "version_info.h"

namespace {

const char kAdminData[] = "SOFTWARE\\Tevar\\Pivot32\\AdminData\\";
const char kTextTableFile[] = "component_updater.loc";
const char kSettingsFile[] = "component_updater.ini";
const int kShowHidden = 0;  // the show state of a hidden window
const int kDefaultTraceLevel = 4;
const long kFirstStartTraceLevel = 3;

std::string ActiveUser() {
  std::string user = "administrator";
  get_config_string((std::string(kAdminData) + "$active_user").c_str(), "login", &user);
  return user;
}

// The user's display language, else the locale's, else English.
std::string DisplayLanguage(const std::string& user) {
  std::string language;
  if (get_config_string((kAdminData + user).c_str(), "setting_language", &language) &&
      !language.empty())
    return language;
  language = DefaultLocaleLanguage();
  return language.empty() ? "en" : language;
}

// The log files follow the settings file into the product's folder, unless TEVAR_LOG_DIR says
// otherwise. A folder that cannot be made leaves the logs where they were.
void PlaceLogFiles(const std::string& product_folder) {
  MErrTraceScope scope;
  const std::string logs = product_folder + "Logs";
  if (tevar::createDirectoryRecursive(logs.c_str()))
    diag::SetLogDirectory(logs);
  MErrTrace_ClearContext();
}

// Title and settings path from the version resource, which is released before the settings file
// is read.
void ApplyVersionResource() {
  RunSettings& settings = TheRunSettings();
  ProgramVersionInfo version(AfxGetApp()->m_exeName + ".EXE");
  settings.programTitle = version.FileDescription() + " v" + version.FileVersion();
  std::string folder;
  if (GetCommonAppDataFolderForProduct(folder, version.ProductName().c_str()))
    PlaceLogFiles(folder);
  else
    MERRDUMP("WinMain(): GetCommonAppDataFolder() failed");
  settings.settingsFilePath = folder + kSettingsFile;
}

long ClampTraceLevel(long level) {
  return level < 0 ? 0 : (level > 5 ? 5 : level);
}

void ShutDown(CLocalize* table) {
  RequestTrayThreadStop();
  msleep_sec(1.0);
  TerminateTrayThread();
  TheSystemTray().HideIcon();
  TheSystemTray().RemoveIcon();
  SetApplicationLocalize(nullptr);
  delete table;
}

}  // namespace

bool get_config_string(const char* key, const char* value, std::string* text) {
  char probe[1];
  unsigned size = sizeof probe;
  if (ReadRegistryValue(key, value, probe, &size)) {
    text->clear();  // only the terminator: an empty value
    return true;
  }
  if (size == 0)
    return false;
  std::vector<char> buffer(size);
  unsigned second = size;
  if (!ReadRegistryValue(key, value, buffer.data(), &second) || second != size) {
    MERRLOG("get_config_string(): failed due to unexpected buf_len");
    return false;
  }
  *text = buffer.data();
  return true;
}

void ReadAppIniFile() {
  MErrTraceScope scope;
  const char* path = TheRunSettings().settingsFilePath.c_str();
  bool failed = false;
  MIniData settings;
  if (!settings.Open(path)) {
    MERRTRACE("ReadAppIniFile(): mid.Open(%s) failed", path);
    failed = true;
  }
  long level = kDefaultTraceLevel;
  if (settings.HasEntry("common", "mtrace_level")) {
    if (!settings.GetLongEntry("common", "mtrace_level", &level)) {
      MERRTRACE("ReadAppIniFile(): get mtrace level to file '%s' failed", path);
      failed = true;
    }
    level = ClampTraceLevel(level);
  } else if (settings.IsOpen()) {
    // The entry is added for the next start only; this one keeps level 4. A document that could
    // not be read completely holds only part of the file and is left alone.
    if (!settings.SetLongEntry("common", "mtrace_level", kFirstStartTraceLevel)) {
      MERRTRACE("ReadAppIniFile(): set mtrace level to file '%s' failed", path);
      failed = true;
    }
  }
  MTRACE(0, "ReadAppIniFile(): mtrace level is %ld", level);
  _MTrace_SetLevel("default", static_cast<int>(level));
  if (settings.IsOpen() && !settings.IsClean() && !settings.Save())
    failed = true;
  if (failed)
    MERRDUMP("ReadApplIniFile(): failed");
}

int RunProgram(int argc, char** argv, void* instance, const char* command_line) {
  if (AfxGetApp() == nullptr || !AfxWinInit(instance, nullptr, command_line, kShowHidden)) {
    ShowMessageBox("MFC failed to initialized!", "Error", kBoxStartupFailure);
    return 1;
  }
  const std::string language = DisplayLanguage(ActiveUser());
  CLocalize* table = new (std::nothrow)
      CLocalize(language, TextTableFile(kTextTableFile), instance, AfxGetApp()->m_appName);
  if (table == nullptr) {
    ShowMessageBox("Error: null pointer for CLocalize obejct !\nNo memory !!", "Error",
                   kBoxStartupFailure);
    return 1;
  }
  SetApplicationLocalize(table);
  ApplyVersionResource();
  ReadAppIniFile();
  StartTrayThread(static_cast<HINSTANCE__*>(instance));
  const int status = component_updater::main(argc, argv);
  ShutDown(table);
  return status;
}
