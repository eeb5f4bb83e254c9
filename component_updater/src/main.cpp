// main: options, run settings, the update run and the operator's end-of-run boxes.
#include "main.h"

#include <cerrno>
#include <string>

#include "SystemTraySDK.h"
#include "Localize.h"
#include "command_line.h"
#include "mdirtools.h"
#include "os_error.h"
#include "errtrace.h"
#include "help.h"
#include "message_box.h"
#include "plan_and_report.h"
#include "resource.h"
#include "run_record.h"
#include "run_settings.h"
#include "update.h"

namespace {

const char kDefaultDescription[] = "component_updates.ini";
const char kUsageLine[] =
    "\ncomponent_updater --file <filename> --dir <foldername> --update_file <filename> --host "
    "<hostadress> --port <portnumber> --help --silent\n";

// What the option table found. The three help words share one value. "--plan" and "--report"
// are ours: a plan run, and the run report.
struct Options {
  OptionValue version, updateFile, file, dir, host, port, silent, help, plan, report;
};

const char* ReasonKey(ParseCode code) {
  switch (code) {
    case kNoSuchOption:
      return "No such option.txt";
    case kTooFewArguments:
      return "Too few option arguments.txt";
    case kInvalidArgument:
      return "Invalid option argument.txt";
    case kParsed:
      break;
  }
  return "";
}

void ShowSyntaxError(ParseCode code) {
  const std::string caption = GetLocalizedText("Syntax Error.txt");
  const std::string reason = GetLocalizedText(ReasonKey(code));
  TheRunRecord().Fail("the command line cannot be parsed: " + reason);
  const std::string text = caption + " " + reason + kUsageLine;
  // Silent mode is not in force yet: this box shows even with "--silent".
  ShowMessageBox(text.c_str(), caption.c_str(), kBoxExclamation);
}

// Stores the values of the options in the run settings. False when the current folder, which
// stands in for a missing "--dir", cannot be had.
bool StoreRunSettings(const Options& options) {
  RunSettings& settings = TheRunSettings();
  if (options.silent)
    settings.silent = true;
  const std::string file = options.file ? *options.file : kDefaultDescription;
  if (options.version)
    settings.baseVersion = *options.version;
  if (options.host) {
    settings.hostOverride = *options.host;
    MTRACE(5, "%s(): use ip host \"%s\" from program parameter", "main",
           settings.hostOverride.c_str());
  }
  if (options.port) {
    settings.portOverride = *options.port;
    MTRACE(5, "%s(): use ip port \"%s\" from program parameter", "main",
           settings.portOverride.c_str());
  }
  if (options.dir) {
    settings.workFolder = *options.dir;
    // Joined as they stand: a folder that ends in a backslash gives two.
    settings.descriptionPath = *options.dir + "\\" + file;
    return true;
  }
  settings.descriptionPath = file;
  char folder[kMaxWorkingDir];
  if (dir_getwd(folder) == nullptr) {
    MERRTRACE("update(): _getcwd() failed [%s]", ErrnoText(errno).c_str());
    TheRunRecord().Fail("the current folder cannot be determined");
    return false;
  }
  settings.workFolder = folder;
  return true;
}

int EndWithFailure() {
  const int status = 1;
  if (TheRunRecord().PlanMade())
    MERRDUMP("main(): the planned run would end with status %d", status);
  else
    MERRDUMP("main(): Program ends with status %d", status);
  ShowMessageBox(GetLocalizedText("Updating component failed.txt"), GetLocalizedText("Error.txt"),
                 kBoxExclamation);
  return status;
}

// The run from the parsed command line to its status.
int RunParsed(ParseCode code, const Options& options, const std::string& program) {
  if (code != kParsed) {
    ShowSyntaxError(code);
    return EndWithFailure();
  }
  RunSettings& settings = TheRunSettings();
  settings.tray = &TheSystemTray();
  if (options.help) {
    DisplayHelp();
    MTRACE(4, "%s done.", program.c_str());
    return 0;
  }
  if (!StoreRunSettings(options))
    return EndWithFailure();

  const bool updated = update();
  if (!updated)
    MERRTRACE("main(): update() failed");
  else if (IsDriveUnitMachine())
    ShowMessageBox(GetLocalizedText("SwithOffOn.txt"), GetLocalizedText("Attention.txt"),
                   kBoxExclamation);
  settings.tray->SetIcon(IDI_TRAY_IDLE);
  return updated ? 0 : EndWithFailure();
}

}  // namespace

bool IsDriveUnitMachine() {
  static const char* const kModels[] = {"DriveUnit.PH 150", "DriveUnit.PH 300", "DriveUnit.TW 150",
                                        "DriveUnit.TW 300"};
  const RunSettings& settings = TheRunSettings();
  if (!settings.driveUnitConfigSent)
    return false;
  for (const char* model : kModels)
    if (settings.machineName == model)
      return true;
  return false;
}

namespace component_updater {

int main(int argc, char** argv) {
  Options options;
  OptionSpec table[] = {
      {"--version", 1, &options.version},
      {"--update_file", 1, &options.updateFile},
      {"--file", 1, &options.file},
      {"--dir", 1, &options.dir},
      {"--host", 1, &options.host},
      {"--port", 1, &options.port},
      {"--silent", 0, &options.silent},
      {"--help", 0, &options.help},
      {"/?", 0, &options.help},
      {"-?", 0, &options.help},
      {"--plan", 0, &options.plan},
      {"--report", 1, &options.report},
      {nullptr, 0, nullptr},
  };
  // The program's name and arguments, kept before parsing may consume elements.
  const std::string program = argc > 0 && argv[0] != nullptr ? argv[0] : "";
  BeginRunRecord(argc, argv);
  CommandLine command_line;
  command_line.Attach(argc, argv, table);
  const ParseCode code = command_line.Parse();
  ApplyPlanAndReportOptions(options.plan.has_value(), options.report);
  const int status = RunParsed(code, options, program);
  return EndRunRecord(status, code == kParsed && options.help.has_value());
}

}  // namespace component_updater
