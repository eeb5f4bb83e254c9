// box_probe: runs a Windows program and watches it as an operator would, for the end-to-end tests
// under Wine. It starts the program (with the probe's own standard handles), then looks at the
// program's windows every few milliseconds until it ends: message boxes are written to stderr as
// "[caption] text" (the form the POSIX program writes) and answered with OK; boxes, progress
// dialogs, the program's other windows and its notification-area icon go to the record, one event
// a line (docs/box_probe.md). The probe exits with the program's exit status.
//
//   box_probe --program PATH [--record FILE] [--shots DIR] [--press-keys]
//             [--use-tray-icon] [--resources] -- COMMAND LINE OF THE PROGRAM
#include <windows.h>
#include <shellapi.h>

#include <map>
#include <string>
#include <vector>

#include "box_watch.h"
#include "dialog_watch.h"
#include "icon_set.h"
#include "record.h"
#include "resource_dump.h"
#include "tray_watch.h"
#include "windows_of.h"

namespace probe {
namespace {

constexpr DWORD kLookEveryMs = 10;
constexpr DWORD kTrayEveryMs = 100;
constexpr int kProbeFailed = 255;

// The program's resources that the operator meets: its icons, the tray menu, the progress dialog.
const std::vector<int> kProgramIcons = {101, 105, 106};
const std::vector<int> kProgramMenus = {102};
const std::vector<int> kProgramDialogs = {107};

struct Options {
  std::string program;
  std::string command_line;  // everything after " -- ", as it stands
  std::string record;
  std::string shots;
  bool press_keys = false;
  bool use_tray_icon = false;
  bool resources = false;
};

std::string Narrow(const wchar_t* wide) {
  char text[4096] = {};
  WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof text, nullptr, nullptr);
  return text;
}

bool ParseOptions(Options* options, std::string* error) {
  const std::string raw = GetCommandLineA();
  const size_t split = raw.find(" -- ");
  if (split == std::string::npos) {
    *error = "no \" -- \" before the program's command line";
    return false;
  }
  options->command_line = raw.substr(split + 4);
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  const std::map<std::string, bool*> flags = {{"--press-keys", &options->press_keys},
                                              {"--use-tray-icon", &options->use_tray_icon},
                                              {"--resources", &options->resources}};
  const std::map<std::string, std::string*> values = {{"--program", &options->program},
                                                      {"--record", &options->record},
                                                      {"--shots", &options->shots}};
  for (int i = 1; i < count; ++i) {
    const std::string arg = Narrow(args[i]);
    if (arg == "--")
      break;
    if (flags.count(arg)) {
      *flags.at(arg) = true;
    } else if (values.count(arg) && i + 1 < count) {
      *values.at(arg) = Narrow(args[++i]);
    } else {
      *error = "unknown option " + arg;
      break;
    }
  }
  LocalFree(args);
  if (error->empty() && options->program.empty())
    *error = "--program is missing";
  return error->empty();
}

// Starts the program suspended inside a job that ends it should the probe be ended first, so a
// test that gives up on a run never leaves the program behind; then lets it run.
bool Launch(const Options& options, PROCESS_INFORMATION* started, std::string* error) {
  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  if (job)
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  // Wine on a loaded machine now and then fails a process start with an internal error before
  // the program ran a single instruction; such a start is tried again.
  DWORD failure = ERROR_INTERNAL_ERROR;
  for (int attempt = 0; attempt < 3 && failure == ERROR_INTERNAL_ERROR; ++attempt) {
    std::string command = options.command_line;
    failure = CreateProcessA(options.program.c_str(), &command[0], nullptr, nullptr, TRUE,
                             CREATE_SUSPENDED, nullptr, nullptr, &startup, started)
                  ? ERROR_SUCCESS
                  : GetLastError();
  }
  if (failure != ERROR_SUCCESS) {
    *error = "cannot start " + options.program + ": error " + std::to_string(failure);
    if (job)
      CloseHandle(job);
    return false;
  }
  if (job)
    AssignProcessToJobObject(job, started->hProcess);  // the handle stays open until exit
  ResumeThread(started->hThread);
  return true;
}

// Everything the probe follows, looked at together.
class Watch {
 public:
  Watch(const Options& options, Record* record, HMODULE program)
      : record_(record),
        boxes_(record, &box_icons_, options.shots),
        dialogs_(record, &program_icons_, options.shots, options.press_keys),
        tray_(record, &program_icons_, options.use_tray_icon) {
    AddBoxIcons(&box_icons_);
    for (int id : kProgramIcons)
      program_icons_.AddResource(std::to_string(id), program, id);
  }

  // `tray_now`: look at the notification area now, not only every kTrayEveryMs.
  void Look(DWORD process_id, bool tray_now = false) {
    const std::vector<HWND> windows = TopWindowsOf(process_id);
    std::vector<WindowKind> kinds;
    for (HWND window : windows)
      kinds.push_back(KindOf(window));
    // The tray's windows first: the icon they own comes after them. Then the icon, looked at
    // whenever a box is up too, so the record tells which icon the operator saw while a box
    // asked for an answer.
    for (size_t i = 0; i < windows.size(); ++i) {
      if (kinds[i] == WindowKind::kOther)
        NoteOther(windows[i]);
      tray_now = tray_now || kinds[i] == WindowKind::kMessageBox;
    }
    if (tray_now || GetTickCount() - last_tray_look_ >= kTrayEveryMs) {
      tray_.Poll();
      last_tray_look_ = GetTickCount();
    }
    for (size_t i = 0; i < windows.size(); ++i) {
      if (kinds[i] == WindowKind::kMessageBox)
        boxes_.See(windows[i]);
      else if (kinds[i] == WindowKind::kProgressDialog)
        dialogs_.See(windows[i]);
      else if (kinds[i] == WindowKind::kPopupMenu)
        tray_.SeeMenu(windows[i]);
    }
    boxes_.Keep(windows);
    dialogs_.Keep(windows);
  }

 private:
  // The program's other windows (the tray's hidden ones) are recorded once each.
  void NoteOther(HWND window) {
    const std::string name = ClassOf(window);
    // No class: the window went away while it was looked at.
    if (name.empty() || name == "IME" || !others_.insert({window, name}).second)
      return;
    record_->Line("window " + name + " " + Quoted(TextOf(window)) +
                  (IsWindowVisible(window) ? " shown" : " hidden"));
  }

  Record* record_;
  IconSet box_icons_;
  IconSet program_icons_;
  BoxWatch boxes_;
  DialogWatch dialogs_;
  TrayWatch tray_;
  std::map<HWND, std::string> others_;
  DWORD last_tray_look_ = 0;
};

int Run() {
  Options options;
  std::string error;
  if (!ParseOptions(&options, &error)) {
    WriteBoxToStderr("box_probe", error);
    return kProbeFailed;
  }
  Record record(options.record);
  if (!record.ok()) {
    WriteBoxToStderr("box_probe", "cannot write " + options.record);
    return kProbeFailed;
  }
  if (options.resources)
    for (const std::string& line :
         DumpResources(options.program, kProgramIcons, kProgramMenus, kProgramDialogs))
      record.Line(line);
  HMODULE program = LoadLibraryExA(options.program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  Watch watch(options, &record, program);
  PROCESS_INFORMATION started = {};
  if (!Launch(options, &started, &error)) {
    WriteBoxToStderr("box_probe", error);
    return kProbeFailed;
  }
  while (WaitForSingleObject(started.hProcess, kLookEveryMs) == WAIT_TIMEOUT)
    watch.Look(started.dwProcessId);
  watch.Look(started.dwProcessId,
             true);  // what went with the program: dialogs closed, tray icon gone
  DWORD status = kProbeFailed;
  GetExitCodeProcess(started.hProcess, &status);
  record.Line("program ended with status " + std::to_string(status));
  return static_cast<int>(status);
}

}  // namespace
}  // namespace probe

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return probe::Run();
}
