// The fallback for erroneous components: the file choice, then resolve, read and send.
#include "erroneous_comps.h"

#include "Localize.h"
#include "errtrace.h"
#include "fileops.h"
#include "menvironment.h"
#include "mstring_tools.h"
#include "mtalkclient.h"
#include "run_record.h"
#include "timed_send.h"
#include "update_file.h"

namespace {

const char kDefaultFirmwareFile[] = "%ProgramFiles%\\Tevar\\Quorvex\\firmware\\machkonkret.elf.S19";

FallbackFile DefaultFirmwareFile() {
  FallbackFile choice;
  choice.file = kDefaultFirmwareFile;
  if (!MReplaceEnvironmentVars(choice.file)) {
    choice.verdict = FallbackFileVerdict::kEnvironmentFailed;
    return choice;
  }
  if (file_exists(choice.file.c_str()))
    return choice;
  ReplaceFirmwareWithBin(choice.file);
  if (!file_exists(choice.file.c_str()))
    choice.verdict = FallbackFileVerdict::kNoDefaultFile;
  return choice;
}

FallbackFile ComponentSectionFile(const MIniData& description, const std::string& component) {
  FallbackFile choice;
  choice.durationRead =
      description.GetDoubleEntry(component.c_str(), "duration", &choice.seconds) ||
      description.GetDoubleEntry("general", "duration", &choice.seconds);
  if (!description.GetStringEntry(component.c_str(), "file", &choice.file)) {
    choice.verdict = FallbackFileVerdict::kNoFileEntry;
    return choice;
  }
  StripComment(choice.file);
  return choice;
}

// Notes the fallback's verdict after the reason the component got here.
void DecideFallback(Verdict verdict, const std::string& what) {
  RunRecord& record = TheRunRecord();
  record.Decide(verdict, record.CurrentComponent()->reason + "; " + what);
}

}  // namespace

FallbackFile ChooseFallbackFile(const MIniData& description, const std::string& component,
                                bool use_default_file) {
  return use_default_file ? DefaultFirmwareFile() : ComponentSectionFile(description, component);
}

bool TryToUpdateErroneousComps(MIniData& description, MTalkClient* client,
                               const std::string& component, bool use_default_file) {
  MErrTraceScope context;
  FallbackFile choice = ChooseFallbackFile(description, component, use_default_file);
  if (!choice.durationRead)
    MTRACE(0, "TryToUpdateErroneousComps(): cant read duration value for:%s. Use default one.",
           component.c_str());
  switch (choice.verdict) {
    case FallbackFileVerdict::kEnvironmentFailed:
      MERRDUMP("TryToUpdateErroneousComps(): failed to replace environment variable ProgramFiles?");
      DecideFallback(Verdict::kFail, "the default firmware file's folder cannot be expanded");
      return false;
    case FallbackFileVerdict::kNoDefaultFile:
      MERRDUMP("TryToUpdateErroneousComps(): cant get default update file.");
      DecideFallback(Verdict::kFail, "no default firmware file " + choice.file);
      return false;
    case FallbackFileVerdict::kNoFileEntry:
      MERRDUMP("TryToUpdateErroneousComps(): component:%s cant get update file.",
               component.c_str());
      DecideFallback(Verdict::kFail, "no \"file\" entry in [" + component + "]");
      return false;
    case FallbackFileVerdict::kFound:
      break;
  }
  TheRunRecord().CurrentComponent()->section =
      use_default_file ? std::nullopt : std::optional<std::string>(component);
  DecideFallback(Verdict::kSend, use_default_file ? "the default firmware file is sent"
                                                  : "the file of [" + component + "] is sent");
  // The default firmware file has no section, so no digest in the description.
  const ExpectedDigest expected =
      use_default_file ? ExpectedDigest() : ReadExpectedDigest(description, component);
  std::string data;
  if (!CheckUpdateFileAndReadItOut(choice.file, data, expected)) {
    MERRDUMP("CheckUpdateFileAndReadItOut() failed for component:%s.", component.c_str());
    return false;
  }
  if (!CheckUpdateFileDigest(expected, choice.file, TheRunRecord().CurrentComponent()->sha256)) {
    MERRDUMP("CheckUpdateFileDigest() failed for component:%s.", component.c_str());
    return false;
  }
  if (!StartSendAndShowBusyThread("Updating " + component, GetLocalizedText("Updating.txt"),
                                  choice.seconds, client, component, data, false)) {
    MERRDUMP("StartSendAndShowBusyThread() failed for:%s", component.c_str());
    DecideFallback(Verdict::kSend, "send failed: " + client->LastLinkError());
    return false;
  }
  MTRACE(3, "TryToUpdateErroneousComps(): %s updated with file: %s", component.c_str(),
         choice.file.c_str());
  return true;
}
