// The platform update: discovery, the group loop (last key first) and the component steps.
//
// A component step ends by going on with the next component or by stopping the run. In warning
// mode a failing component is skipped; in strict mode ("error_handling" = error) the first
// failure that the rules let stop the run does so, with its box. A missing "file" entry and an
// unreadable update file stop the run in both modes.
//
// Left open by the rules and decided here:
// - A CTevarTalkError from reading the controller's maps (components, machine name, options,
//   channels) passes out of PlatformUpdate; the error context is closed on the way.
// - Component names holding a NUL byte cannot be addressed through the client (names are passed
//   as C strings, so another component would be read and sent to): they are dropped from the
//   component map with an error-log entry before discovery.
// - An identifier holding a NUL byte names no section (error-log entry); the component then
//   takes the path of an identifier without section.
#include "platform_update.h"

#include <algorithm>

#include "Localize.h"
#include "bsp_update.h"
#include "checksum.h"
#include "erroneous_comps.h"
#include "errtrace.h"
#include "firmware_discovery.h"
#include "message_box.h"
#include "mstring_tools.h"
#include "mtalkclient.h"
#include "particular_update.h"
#include "platform_rules.h"
#include "run_record.h"
#include "run_settings.h"
#include "timed_send.h"
#include "update_file.h"
#include "version_checks.h"
#include "version_incompatibility.h"

namespace {

const char kFunction[] = "PlatformUpdate";

// How a component step ends.
enum class Next { kComponent, kStop };

// What every step of one run works with.
struct Run {
  MIniData& description;
  MTalkClient* client;
  const ComponentMap& components;
  bool strict;
  std::string group;  // the key of the group being updated
};

void ShowError(const std::string& text) {
  ShowMessageBox(text.c_str(), GetLocalizedText("Error.txt"), kBoxPlain);
}

bool ReadStrictMode(const MIniData& description) {
  std::string mode = "warning";
  if (!description.GetStringEntry("general", "error_handling", &mode))
    MTRACE(3, "PlatformUpdate(): GetStringEntry(missing) failed. Possible errors will be warned.");
  return IsStrictErrorHandling(mode);
}

ComponentMap AddressableComponents(ComponentMap components) {
  for (auto it = components.begin(); it != components.end();) {
    if (it->first.find('\0') == std::string::npos) {
      ++it;
      continue;
    }
    MERRLOG("%s: component name with a NUL byte cannot be addressed, left out: %s", kFunction,
            it->first.c_str());
    it = components.erase(it);
  }
  return components;
}

// A component that failed: skipped in warning mode (the report warns), the end of the run in
// strict mode, with `strict_box` when there is one.
Next SkipOrStop(Run& run, const std::string& strict_box) {
  RunRecord& record = TheRunRecord();
  const ComponentRecord& component = *record.CurrentComponent();
  if (!run.strict) {
    record.Warn("component " + component.name + " skipped: " + component.reason);
    return Next::kComponent;
  }
  record.Fail("the run stopped at component " + component.name + ": " + component.reason);
  if (!strict_box.empty())
    ShowError(strict_box);
  return Next::kStop;
}

// A failure that stops the run in either mode.
Next Stop(const std::string& why) {
  RunRecord& record = TheRunRecord();
  record.Decide(Verdict::kFail, why);
  record.Fail("the run stopped at component " + record.CurrentComponent()->name + ": " + why);
  return Next::kStop;
}

// The fallback for a component without a usable identifier. `strict_box` is the box text shown
// when the fallback fails in strict mode.
Next TryFallback(Run& run, const std::string& name, bool use_default_file,
                 const std::string& strict_box) {
  if (TryToUpdateErroneousComps(run.description, run.client, name, use_default_file))
    return Next::kComponent;
  return SkipOrStop(run, strict_box);
}

std::string Formatted(const char* format, const std::string& first,
                      const std::string& second = std::string()) {
  std::string text;
  FormatString(&text, format, first.c_str(), second.c_str());
  return text;
}

// Steps 2 to 4: the identifier and its section. Answers true with the cleaned identifier in
// `identifier` when the component goes on; otherwise `next` says how the step ended.
bool ReceiveIdentifier(Run& run, const std::string& name, std::string* identifier, Next* next) {
  RunRecord& record = TheRunRecord();
  if (!record.sends.empty())
    record.Note("its identifier is read after this run's earlier sends");
  if (!run.client->Receive(name.c_str(), *identifier)) {
    MERRLOG("%s: Receive() failed for:%s", kFunction, name.c_str());
    record.Decide(Verdict::kFail, "no identifier: " + run.client->LastLinkError());
    *next = TryFallback(run, name, true,
                        Formatted("Receive on component %s failed. Update will be skipped.", name));
    return false;
  }
  if (identifier->empty()) {
    MERRLOG("%s: no identifier received for:%s", kFunction, name.c_str());
    record.Decide(Verdict::kFail, "the component reported an empty identifier");
    *next = TryFallback(
        run, name, true,
        Formatted("No identifier received from component %s.Update will be skipped.", name));
    return false;
  }
  RemoveCommentAndBlanks(*identifier);
  record.CurrentComponent()->identifier = *identifier;
  if (HasSectionNamed(run.description, *identifier))
    return true;
  record.Decide(Verdict::kFail, "the description has no section [" + *identifier + "]");
  if (identifier->find('\0') != std::string::npos)
    MERRLOG("%s: identifier of %s holds a NUL byte and names no section", kFunction, name.c_str());
  MTRACE(0, "%s: no update section found for: %s, excepted:%s", kFunction, name.c_str(),
         identifier->c_str());
  *next = TryFallback(
      run, name, false,
      Formatted("No identifier section found for: %s for component: %s. Update will be skipped.",
                *identifier, name));
  return false;
}

// Step 5: the update file of the identifier's section, resolved and read.
bool ReadUpdateFile(Run& run, const std::string& name, const std::string& identifier,
                    std::string* file, std::string* data, ExpectedDigest* expected) {
  if (!run.description.GetStringEntry(identifier.c_str(), "file", file)) {
    MERRTRACE("%s: no filename for section:%s comp:%s specified.", kFunction, identifier.c_str(),
              name.c_str());
    ShowError(Formatted("No entry %s for identifier: %s found. Update will be skipped.", "file",
                        identifier));
    Stop("no \"file\" entry in [" + identifier + "]");
    return false;
  }
  StripComment(*file);
  TheRunRecord().CurrentComponent()->section = identifier;
  *expected = ReadExpectedDigest(run.description, identifier);
  if (CheckUpdateFileAndReadItOut(*file, *data, *expected))
    return true;
  MERRTRACE("%s: CheckUpdateFileAndReadItOut() failed for component:%s.", kFunction, name.c_str());
  Stop(TheRunRecord().CurrentComponent()->reason);
  return false;
}

// Step 6: true when the base-firmware gate lets the component be sent.
bool PassesBaseFirmwareGate(Run& run, const std::string& name, const std::string& identifier) {
  const BaseFirmwareGate gate = JudgeBaseFirmware(name, identifier);
  const bool passes = gate == BaseFirmwareGate::kNotBaseFirmware ||
                      gate == BaseFirmwareGate::kSupportedIdentifier ||
                      (gate == BaseFirmwareGate::kCheckBasePackage &&
                       CheckForBaseDowngradeProblems(run.description));
  if (!passes) {
    MTRACE(1,
           "%s(): skip send with firmware for \"%s\": version is not supported. Update will be "
           "done automatically",
           kFunction, name.c_str());
    TheRunRecord().Decide(Verdict::kRefused,
                          gate == BaseFirmwareGate::kUnsupportedIdentifier
                              ? "the identifier names neither base-firmware kind: the controller "
                                "installs it itself"
                              : "the base package may not be installed over base version " +
                                    TheRunSettings().baseVersion);
  }
  return passes;
}

// One compensation channel back to 0.0; a plan only notes it.
void ResetChannel(Run& run, const std::string& channel) {
  RunRecord& record = TheRunRecord();
  std::vector<ChannelReset>& resets = record.CurrentComponent()->compensation;
  if (record.IsPlanning()) {
    resets.push_back({channel, "planned"});
    return;
  }
  const bool set = run.client->Set(channel.c_str(), 0.0);
  resets.push_back({channel, set ? "set" : "failed"});
  if (set)
    return;
  MERRLOG("%s: MTalkClient->Set(): compensation failed?Possible update error...", kFunction);
  record.Warn("component " + record.CurrentComponent()->name + ": compensation channel " + channel +
              " not reset: " + run.client->LastLinkError());
}

// Step 7: the component's compensation channel and the common one go back to 0.0.
void ResetCompensation(Run& run, const std::string& name) {
  TheRunRecord().Decide(Verdict::kSend,
                        "a coldfire identifier: compensation reset, sent without version check");
  std::map<std::string, CAxis> channels;
  if (!run.client->GetChannelMap(channels)) {
    MERRLOG("%s: MTalkClient->GetChannelMap(): failed?Possible update error...", kFunction);
    TheRunRecord().Warn("component " + name +
                        ": the channel list could not be read, no compensation channel reset");
    channels.clear();
  }
  for (const std::string& channel :
       {CompensationChannelOf(name), std::string(kCompensationChannel)}) {
    if (channels.count(channel) != 0)
      ResetChannel(run, channel);
  }
}

// Step 8: true when the component is to be sent (forced, or its version differs).
bool NeedsUpdate(Run& run, const FirmwareComp& entry, const std::string& file) {
  RunRecord& record = TheRunRecord();
  const bool forced = CheckForForceUpdateValue(run.description, entry.name);
  if (!forced && CompareVersionOfUpdateFile(file, entry)) {
    MTRACE(0, "%s: no update necessary for: %s. Version:%s is already installed.", kFunction,
           entry.name.c_str(), entry.version.c_str());
    record.Decide(Verdict::kSkip, "version " + entry.version + " is installed");
    return false;
  }
  const std::string version = FileVersionOfUpdateFile(file);
  MTRACE(0, "%s: firmware comp: %s with version:%s will be updated to version:%s", kFunction,
         entry.name.c_str(), entry.version.c_str(), version.c_str());
  record.Decide(Verdict::kSend, forced ? "forced by force_update"
                                       : "the installed version " + entry.version +
                                             " is not the file's version " + version);
  return true;
}

// Steps 9 and 10: the duration and the send, of bytes whose digest is what the description
// expects.
Next Send(Run& run, const std::string& name, const std::string& identifier, const std::string& file,
          const std::string& data, const ExpectedDigest& expected) {
  if (!CheckUpdateFileDigest(expected, file, TheRunRecord().CurrentComponent()->sha256))
    return SkipOrStop(run, std::string());
  const SendDuration duration = ChooseSendDuration(run.description, identifier);
  if (duration.source != DurationSource::kIdentifierSection)
    MTRACE(0, "%s: no duration value for:%s specified.", kFunction, identifier.c_str());
  if (duration.source == DurationSource::kNeither)
    MTRACE(0, "%s: no duration value in section %s specified. Use default one.", kFunction,
           "general");
  if (StartSendAndShowBusyThread("Updating " + name, GetLocalizedText("Updating.txt"),
                                 duration.seconds, run.client, name, data, false))
    return Next::kComponent;
  MERRLOG("%s: StartSendAndShowBusyThread() failed for:%s", kFunction, name.c_str());
  TheRunRecord().Decide(Verdict::kSend, "send failed: " + run.client->LastLinkError());
  return SkipOrStop(run,
                    Formatted("Sending update data to %s failed. Update will be skipped.", name));
}

// Starts the component's record: name, group and installed version.
void BeginRecord(const Run& run, const FirmwareComp& entry) {
  ComponentRecord& record = TheRunRecord().BeginComponent(entry.name);
  record.group = run.group;
  record.installedVersion = entry.version;
}

Next UpdateComponent(Run& run, const FirmwareComp& entry, const BspModuleTable& table) {
  const std::string& name = entry.name;
  BeginRecord(run, entry);
  if (!UpdateBSPComp(name, run.client, run.description, run.components, table)) {
    MERRLOG("%s: UpdateBSPComp() failed for : %s", kFunction, name.c_str());
    const std::string why = "its BSP module list or send duration cannot be read";
    if (run.strict)
      return Stop(why);
    TheRunRecord().Warn("component " + name + ": " + why + "; no module was sent");
  }
  std::string identifier;
  Next next = Next::kComponent;
  if (!ReceiveIdentifier(run, name, &identifier, &next))
    return next;
  std::string file, data;
  ExpectedDigest expected;
  if (!ReadUpdateFile(run, name, identifier, &file, &data, &expected))
    return Next::kStop;
  TheRunRecord().CurrentComponent()->targetVersion = FileVersionOfUpdateFile(file);
  if (!PassesBaseFirmwareGate(run, name, identifier))
    return Next::kComponent;
  if (NeedsCompensationReset(identifier))
    ResetCompensation(run, name);  // sent without force or version check
  else if (!NeedsUpdate(run, entry, file))
    return Next::kComponent;
  return Send(run, name, identifier, file, data, expected);
}

// One group: the version check, then its components from the lowest order number up.
bool UpdateGroup(Run& run, const FirmwareGroup& group) {
  BspModuleTable table;
  if (!CheckPossibleVersionIncompatibility(run.client, run.description, group, run.components,
                                           table)) {
    MERRLOG("%s(): CheckPossibleVersionIncompatibility() failed.", kFunction);
    // The group check noted the component that refused the group.
    ComponentRecord& refusing = *TheRunRecord().CurrentComponent();
    refusing.group = run.group;
    TheRunRecord().Fail("the group " + run.group + " was refused: " + refusing.reason);
    return false;
  }
  for (const auto& entry : group) {
    if (UpdateComponent(run, entry.second, table) == Next::kStop)
      return false;
  }
  return true;
}

}  // namespace

bool PlatformUpdate(MIniData& description, MTalkClient* client) {
  MErrTraceScope context;
  const bool strict = ReadStrictMode(description);
  const ComponentMap reported = client->GetComponentsMap();
  if (reported.empty()) {
    MTRACE(0, "%s: no update machine components found for:%s", kFunction,
           client->GetMachineName().c_str());
    return true;
  }
  const ComponentMap components = AddressableComponents(reported);
  FirmwareCompList list;
  CollectFirmwareComps(components, &list, client);
  if (list.empty()) {
    TheRunRecord().Fail("no firmware components found");
    ShowError(
        "No firmware components found. Check logfilefor possible error logs. Update will "
        "be skipped");
    return false;
  }
  CheckForParticularUpdate(description, list);
  Run run{description, client, components, strict, std::string()};
  // Byte-wise last group key first: "2_beta", "1_alpha", "10_gamma".
  for (auto group = list.rbegin(); group != list.rend(); ++group) {
    run.group = group->first;
    if (!UpdateGroup(run, group->second))
      return false;
  }
  return true;
}
