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
#include "plan_text.h"
#include "resource.h"
#include "run_record.h"
#include "run_report.h"
#include "run_settings.h"
#include "standard_output.h"
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

// A plan that got through its decisions ends with 0 however the planned run would end.
bool PlanWasMade() {
  const RunRecord& record = TheRunRecord();
  return record.IsPlanning() && record.stage == RunStage::kFinished;
}

int EndWithFailure() {
  const int status = 1;
  if (PlanWasMade())
    MERRDUMP("main(): the planned run would end with status %d", status);
  else
    MERRDUMP("main(): Program ends with status %d", status);
  ShowMessageBox(GetLocalizedText("Updating component failed.txt"), GetLocalizedText("Error.txt"),
                 kBoxExclamation);
  return status;
}

void BeginRecord(int argc, char** argv) {
  RunRecord& record = TheRunRecord();
  record.startedAt = UtcTimestamp();
  for (int i = 1; i < argc; ++i)
    record.arguments.push_back(argv[i] != nullptr ? argv[i] : "");
}

// What "--plan" and "--report" ask of the record; read whatever the parse found, so that a command
// line that fails after "--report FILE" still gets its report.
void ApplyRecordOptions(const Options& options) {
  RunRecord& record = TheRunRecord();
  if (options.report)
    record.reportPath = *options.report;
  record.planning = options.plan.has_value();
}

// The end of the record: the plan printed, the report written. Answers the exit status: the run's,
// or for a plan 0 when it was made and printed.
int EndRecord(int status, bool help_shown) {
  RunRecord& record = TheRunRecord();
  int exit_status = status;
  if (record.IsPlanning() && !help_shown) {
    if (PlanWasMade())
      record.predictedExitStatus = status;
    exit_status = PlanWasMade() ? 0 : 1;
    if (!WriteStandardOutput(PlanText(record))) {
      MERRLOG("main(): the plan could not be written to the standard output");
      exit_status = 1;
    }
  }
  if (record.predictedExitStatus.value_or(status) == 0)
    record.reason.reset();
  record.exitStatus = exit_status;
  record.endedAt = UtcTimestamp();
  if (!record.reportPath.empty())
    WriteRunReport(record);
  return exit_status;
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
  BeginRecord(argc, argv);
  CommandLine command_line;
  command_line.Attach(argc, argv, table);
  const ParseCode code = command_line.Parse();
  ApplyRecordOptions(options);
  const int status = RunParsed(code, options, program);
  return EndRecord(status, code == kParsed && options.help.has_value());
}

}  // namespace component_updater
