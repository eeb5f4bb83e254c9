// The per-component update: one component, one section of the description, one file.
#include <string>

#include "CBusy.h"
#include "checksum.h"
#include "Localize.h"
#include "errtrace.h"
#include "fastfile.h"
#include "fileops.h"
#include "mstring_tools.h"
#include "mtalkclient.h"
#include "mversion.h"
#include "run_record.h"
#include "run_settings.h"
#include "timed_send.h"
#include "update.h"

namespace {

const char kDriveUnitConfig[] = "x_DriveUnit.firmware.config";

// The section's keys that say what the component must become.
struct ComponentTarget {
  std::string version;      // cleaned of comments and blanks
  std::string file;         // cleaned likewise; relative to the work folder
  double duration = 180.0;  // expected length of the send in seconds
  bool forced = false;      // "force_update" present, a number, not 0
  ExpectedDigest digest;    // "sha256" of the file
};

bool ReadCleanedEntry(const MIniData& description, const char* section, const char* entry,
                      std::string* value) {
  if (!description.GetStringEntry(section, entry, value)) {
    MERRTRACE("update_component(): not found \"[%s] %s=\" ", section, entry);
    TheRunRecord().Decide(Verdict::kFail,
                          std::string("no \"") + entry + "\" entry in [" + section + "]");
    return false;
  }
  RemoveCommentAndBlanks(*value);
  return true;
}

bool ReadTarget(const MIniData& description, const char* section, ComponentTarget* target) {
  if (!ReadCleanedEntry(description, section, "version", &target->version) ||
      !ReadCleanedEntry(description, section, "file", &target->file))
    return false;
  // A missing duration keeps the default; one that is no number reads as 0.
  description.GetDoubleEntry(section, "duration", &target->duration);
  long force = 0;
  target->forced = description.GetLongEntry(section, "force_update", &force) && force != 0;
  target->digest = ReadExpectedDigest(description, section);
  return true;
}

bool IsInstalled(const ComponentTarget& target, const std::string& installed) {
  VersionNumber wanted;
  ParseVersion(&wanted, target.version.c_str());
  return VersionEquals(&wanted, installed.c_str());
}

bool ReadUpdateFile(const std::string& component, const std::string& path,
                    const ExpectedDigest& expected, std::string* content) {
  RunRecord& record = TheRunRecord();
  std::string digest;
  if (ReadUpdateFileBytes(path.c_str(), content, NeedsDigest(expected) ? &digest : nullptr) >= 0) {
    record.NoteFile(path, content->size(),
                    digest.empty() ? std::nullopt : std::optional<std::string>(digest));
    return true;
  }
  MERRTRACE("update_component(): [%s] MFastFile_ReadAtOnce(%s) failed", component.c_str(),
            path.c_str());
  const bool exists = file_exists(path.c_str());
  if (!exists)
    MERRTRACE("update_component(): [%s] file \"%s\" does not exist", component.c_str(),
              path.c_str());
  record.Decide(Verdict::kFail,
                "update file " + path + (exists ? " cannot be read" : " does not exist"));
  return false;
}

// Sends the file under the progress dialog; the dialog learns the measured duration. A plan
// only notes the send, and takes the drive-unit configuration for sent, as the run would.
bool SendUnderProgress(const std::string& component, const ComponentTarget& target,
                       std::string content, MTalkClient* client) {
  RunSettings& settings = TheRunSettings();
  if (TheRunRecord().IsPlanning()) {
    if (component == kDriveUnitConfig) {
      settings.driveUnitConfigSent = true;
      TheRunRecord().Note("the switch-off-and-on request follows only when this send succeeds");
    }
    return PlanSend(component, content.size(), target.duration);
  }
  CBusy busy(settings.settingsFilePath.c_str());
  busy.SaveDuration(target.duration);
  const std::string lower = component + " to " + target.version;
  busy.Start(GetLocalizedText("Updating.txt"), settings.programTitle.c_str(), lower.c_str());
  const bool sent = RecordedSend(client, component, std::move(content), target.duration);
  if (!sent) {
    MERRTRACE("update_component(): Send to \"%s\" failed", component.c_str());
    TheRunRecord().Decide(Verdict::kSend, "send failed: " + client->LastLinkError());
  } else if (component == kDriveUnitConfig)
    settings.driveUnitConfigSent = true;
  busy.Stop(true);
  return sent;
}

}  // namespace

bool update_component(MIniData& description, const ComponentEntry& component, const char* section,
                      MTalkClient* client) {
  const std::string& name = component.first;
  const std::string& installed = component.second;
  RunRecord& record = TheRunRecord();
  ComponentRecord& noted = record.BeginComponent(name);
  noted.section = section;
  noted.installedVersion = installed;
  ComponentTarget target;
  if (!ReadTarget(description, section, &target))
    return false;
  noted.targetVersion = target.version;
  if (!target.forced && IsInstalled(target, installed)) {
    MTRACE(0, "update_firmware(): no update necessary for \"%s v%s\" (update version is \"%s\"",
           name.c_str(), installed.c_str(), target.version.c_str());
    record.Decide(Verdict::kSkip, "version " + target.version + " is installed");
    return true;
  }
  MTRACE(0, "update_component(): start updating (force update = %s) %s from %s to %s",
         target.forced ? "true" : "false", name.c_str(), installed.c_str(), target.version.c_str());
  record.Decide(Verdict::kSend, target.forced ? "forced by force_update"
                                              : "the installed version " + installed +
                                                    " differs from " + target.version);
  const std::string path = TheRunSettings().workFolder + "\\" + target.file;
  std::string content;
  if (!ReadUpdateFile(name, path, target.digest, &content) ||
      !CheckUpdateFileDigest(target.digest, path, noted.sha256))
    return false;
  return SendUnderProgress(name, target, std::move(content), client);
}
