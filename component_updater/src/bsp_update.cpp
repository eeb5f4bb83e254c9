// The BSP module update: module entries and versions, the send target, the module file list,
// and the per-component procedure that sends what differs.
#include "bsp_update.h"

#include "Localize.h"
#include "checksum.h"
#include "errtrace.h"
#include "mstring_tools.h"
#include "mversion.h"
#include "mtalkclient.h"
#include "platform_rules.h"
#include "run_record.h"
#include "timed_send.h"
#include "update_file.h"

namespace {

const char kFunction[] = "UpdateBSPComp";

// A module the rules pass over quietly: the run goes on, the report warns.
void WarnModule(const std::string& module, const std::string& why) {
  RunRecord& run = TheRunRecord();
  run.Warn("BSP module " + module + " of component " + run.CurrentComponent()->name + ": " + why);
}

// Reads one module file and sends it to the BSP component, or to the firmware component of an
// older firmware (which needs the wait after the send).
void SendModule(const std::string& firmware_name, const std::string& bsp_name, MTalkClient* client,
                const ComponentMap& components, BspModuleRecord& record,
                const std::string& installed, double duration, const ExpectedDigest& expected) {
  RunRecord& run = TheRunRecord();
  std::string data;
  if (!CheckUpdateFileAndReadItOut(record.file, data, expected)) {
    MERRTRACE("%s: CheckUpdateFileAndReadItOut() failed for update file:%s.", kFunction,
              record.file.c_str());
    WarnModule(record.module, run.CurrentFacts()->reason);
    return;
  }
  if (!CheckUpdateFileDigest(expected, record.file, run.CurrentFacts()->sha256)) {
    WarnModule(record.module, run.CurrentFacts()->reason);
    return;
  }
  const bool to_bsp = UseBSPCompForUpdate(firmware_name, components);
  ModuleRecord& noted = *run.CurrentModule();
  noted.target = to_bsp ? bsp_name : firmware_name;
  if (!to_bsp) {
    noted.waitSeconds = kWaitAfterSendSeconds;
    run.Note("the firmware component takes the module itself: the run waits 6 s after the send");
  }
  std::string title;
  FormatString(&title, "Updating bsp module %s\nfrom%s to %s\nbsp: %s", record.module.c_str(),
               installed.c_str(), record.version.c_str(), bsp_name.c_str());
  if (!StartSendAndShowBusyThread(title, GetLocalizedText("Updating.txt"), duration, client,
                                  to_bsp ? bsp_name : firmware_name, data, !to_bsp)) {
    MERRTRACE("%s: StartSendAndShowBusyThread() failed for update file:%s.", kFunction,
              record.file.c_str());
    run.Decide(Verdict::kSend, "send failed: " + client->LastLinkError());
    WarnModule(record.module, noted.reason);
  }
}

// Decides for one module whether it goes, with the trace that says why; `installed` receives
// the version on the board ("" for a new module).
bool ModuleNeedsUpdate(const std::string& response, const BspModuleRecord& record,
                       std::string* installed) {
  RunRecord& run = TheRunRecord();
  switch (FindInstalledModuleVersion(response, record.module, installed)) {
    case InstalledModuleVerdict::kNew:
      MTRACE(4, "%s(): new module %s will be added to the firmware with version:%s", kFunction,
             record.module.c_str(), record.version.c_str());
      run.Decide(Verdict::kSend, "the board does not have the module yet");
      return true;
    case InstalledModuleVerdict::kNoSeparator:
      MTRACE(0,
             "%s(): Module found in bsp responce, but not a separator after that, to get the "
             "version value?",
             kFunction);
      run.Decide(Verdict::kFail, "the BSP response names the module without a version");
      WarnModule(record.module, run.CurrentFacts()->reason);
      return false;
    case InstalledModuleVerdict::kFound:
      break;
  }
  ModuleRecord& noted = *run.CurrentModule();
  noted.installedVersion = *installed;
  if (*installed == record.version) {
    MTRACE(0, "%s(): no update necessary for %s version:%s already installed.", kFunction,
           record.module.c_str(), record.version.c_str());
    run.Decide(Verdict::kSkip, "version " + record.version + " is installed");
    return false;
  }
  MTRACE(0, "%s(): module: %s with version: %s will be updated to version: %s.", kFunction,
         record.module.c_str(), installed->c_str(), record.version.c_str());
  run.Decide(Verdict::kSend, "the installed version " + *installed + " differs");
  return true;
}

void BeginModuleRecord(const BspModuleRecord& record, const std::string& bsp_name) {
  ModuleRecord& noted = TheRunRecord().BeginModule();
  noted.module = record.module;
  noted.board = bsp_name;
  noted.targetVersion = record.version;
}

}  // namespace

BspModuleRecord ParseBspModuleEntry(const std::string& entry) {
  BspModuleRecord record;
  record.file = entry;
  const size_t separator = entry.find_last_of("/\\");
  const size_t name_begin = separator == std::string::npos ? 0 : separator + 1;
  const size_t first = entry.find('_');
  const size_t last = entry.rfind('_');
  if (first == std::string::npos || first < name_begin)
    record.module = entry.substr(name_begin);
  else
    record.module = entry.substr(name_begin, first - name_begin);
  if (first == std::string::npos)
    record.version = entry;
  else if (first == last)
    record.version = entry.substr(first + 1);
  else
    record.version = entry.substr(first + 1, last - first - 1);
  return record;
}

InstalledModuleVerdict FindInstalledModuleVersion(const std::string& response,
                                                  const std::string& module,
                                                  std::string* installed) {
  installed->clear();
  const size_t at = response.find(module);
  if (at == std::string::npos)
    return InstalledModuleVerdict::kNew;
  const size_t open = response.find(',', at);
  if (open == std::string::npos)
    return InstalledModuleVerdict::kNoSeparator;
  const size_t close = response.find(',', open + 1);
  *installed = close == std::string::npos ? response.substr(open + 1)
                                          : response.substr(open + 1, close - open - 1);
  return InstalledModuleVerdict::kFound;
}

BspTargetVerdict JudgeBspTarget(const std::string& firmware_name, const ComponentMap& components) {
  const auto reported = components.find(firmware_name);
  if (reported == components.end())
    return BspTargetVerdict::kFirmwareNotInMap;
  VersionNumber version;
  ParseVersion(&version, reported->second.c_str());
  const bool takes_modules =
      version.major >= 12 || (version.major == 11 && (version.minor >= 1 || version.patch >= 15));
  return takes_modules ? BspTargetVerdict::kBspComponent : BspTargetVerdict::kFirmwareTooOld;
}

bool UseBSPCompForUpdate(const std::string& firmware_name, const ComponentMap& components) {
  const BspTargetVerdict verdict = JudgeBspTarget(firmware_name, components);
  if (verdict == BspTargetVerdict::kFirmwareNotInMap)
    MTRACE(0,
           "%s(): component: %s not found in our component map. Try to update with the firmware "
           "component.",
           "UseBSPCompForUpdate", firmware_name.c_str());
  return verdict == BspTargetVerdict::kBspComponent;
}

bool GetBspFilesForUpdate(std::string section, MIniData& description,
                          std::vector<std::string>& files, double& duration) {
  std::string value;
  if (!description.GetStringEntry(section.c_str(), "file", &value)) {
    MERRTRACE("%s: GetStringEntry() failed for section:%s entry:%s", "GetBspFilesForUpdate",
              section.c_str(), "file");
    return false;
  }
  if (value.empty())
    return true;
  SplitString(value, ",", &files);
  if (description.GetDoubleEntry(section.c_str(), "duration", &duration))
    return true;
  MTRACE(0, "%s: GetDoubleEntry() failed for section:%s entry:%s", "GetBspFilesForUpdate",
         section.c_str(), "duration");
  if (description.GetDoubleEntry("general", "duration", &duration))
    return true;
  MERRTRACE("%s: GetDoubleEntry() failed for section:%s entry:%s", "GetBspFilesForUpdate",
            "general", "duration");
  return false;
}

bool UpdateBSPComp(const std::string& firmware_name, MTalkClient* client, MIniData& description,
                   const ComponentMap& components, const BspModuleTable& table) {
  const std::string bsp_name = BspComponentName(firmware_name);
  const auto board = table.find(bsp_name);
  if (board == table.end()) {
    MTRACE(0, "%s: bsp component: %s not present. Continue update with the firmware", kFunction,
           bsp_name.c_str());
    return true;
  }
  const BspModuleInfo& info = board->second;
  const std::string section = BspSectionName(info.hardware, info.bspVersion);
  if (!HasSectionNamed(description, section))
    return true;
  std::vector<std::string> files;
  double duration = 0.0;
  if (!GetBspFilesForUpdate(section, description, files, duration)) {
    MTRACE(0, "%s: GetBspFilesForUpdate() failed for:%s", kFunction, section.c_str());
    return false;
  }
  const std::vector<ExpectedDigest> digests = TakeModuleDigests(&files, section);
  for (std::size_t i = 0; i < files.size(); ++i) {
    BspModuleRecord record = ParseBspModuleEntry(files[i]);
    BeginModuleRecord(record, bsp_name);
    std::string installed;
    if (ModuleNeedsUpdate(info.bspResponse, record, &installed))
      SendModule(firmware_name, bsp_name, client, components, record, installed, duration,
                 digests[i]);
    TheRunRecord().EndModule();
  }
  return true;
}
