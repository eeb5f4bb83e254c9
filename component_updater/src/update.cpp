// The update run: the description's connection, the machine connection, and the choice between
// the per-component loop and the platform update.
#include "update.h"

#include <new>
#include <string>
#include <vector>

#include "SystemTraySDK.h"
#include "TevarTalkCOM.h"
#include "errtrace.h"
#include "Localize.h"
#include "message_box.h"
#include "mstring_tools.h"
#include "mtalkclient.h"
#include "platform_update.h"
#include "resource.h"
#include "run_record.h"
#include "run_settings.h"

namespace {

// Gives the client the connection of the description: host and port for "tcpip", nothing (the
// library's default connection) for any other type. False when a required key is missing.
bool SetUpConnection(const MIniData& description, MTalkClient* client) {
  const RunSettings& settings = TheRunSettings();
  const char* path = settings.descriptionPath.c_str();
  RunRecord& record = TheRunRecord();
  std::string type;
  if (!description.GetStringEntry("connection", "type", &type)) {
    MERRTRACE("update(): GetStringEntry [connection] type= failed in file %s", path);
    record.Fail(std::string("no \"type\" entry in [connection] of ") + path);
    return false;
  }
  RemoveCommentAndBlanks(type);
  if (type != "tcpip")
    return true;
  // Host and port are used as written: not cleaned of comments or blanks.
  std::string host;
  if (!description.GetStringEntry("connection", "host", &host)) {
    MERRTRACE("update(): GetStringEntry [connection] host= failed in file %s", path);
    record.Fail(std::string("no \"host\" entry in [connection] of ") + path);
    return false;
  }
  if (!settings.hostOverride.empty())
    host = settings.hostOverride;
  std::string port;
  if (!description.GetStringEntry("connection", "port", &port)) {
    MTRACE(0, "update(): GetStringEntry [connection] port= failed used default");
    MErrTrace_ClearContext();
  }
  if (!settings.portOverride.empty())
    port = settings.portOverride;
  client->SetConnection(host, port);
  record.host = host;
  record.port = port;
  return true;
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool UpdateOne(MIniData& description, const ComponentEntry& component, const std::string& section,
               MTalkClient* client) {
  if (update_component(description, component, section.c_str(), client))
    return true;
  MERRTRACE("update(): [%s] update_component failed", component.first.c_str());
  RunRecord& record = TheRunRecord();
  record.Fail("component " + component.first + ": " + record.CurrentComponent()->reason);
  return false;
}

// The per-component loop over the description's sections, byte-wise ordered. A "*" section
// matches every component whose name ends with the rest of the section's name.
bool UpdateListedComponents(MIniData& description, MTalkClient* client) {
  const std::map<std::string, std::string> components = client->GetComponentsMap();
  std::vector<std::string> sections;
  description.GetSectionNames(&sections);
  bool success = true;
  for (const std::string& section : sections) {
    if (section == "connection")
      continue;
    bool present = false;
    if (!section.empty() && section[0] == '*') {
      const std::string suffix = section.substr(1);
      for (const ComponentEntry& component : components) {
        if (!EndsWith(component.first, suffix))
          continue;
        present = true;
        success = UpdateOne(description, component, section, client) && success;
      }
    } else {
      const auto found = components.find(section);
      if (found != components.end()) {
        present = true;
        success = UpdateOne(description, *found, section, client) && success;
      }
    }
    if (!present) {
      MTRACE(3, "update(): component \"%s\" is not present", section.c_str());
      TheRunRecord().absentComponents.push_back(section);
    }
  }
  return success;
}

bool IsPlatformUpdate(const MIniData& description) {
  return description.HasEntry("general", "auto_update") || description.HasEntry("general", "order");
}

// Everything after the connection stands: machine name, then one of the two update paths.
bool UpdateConnectedMachine(MIniData& description, MTalkClient* client) {
  RunSettings& settings = TheRunSettings();
  if (settings.tray != nullptr)
    settings.tray->SetIcon(IDI_TRAY_CONNECTED);
  settings.machineName = client->GetMachineName();
  MTRACE(0, "update(): connect to \"%s\"", settings.machineName.c_str());
  RunRecord& record = TheRunRecord();
  if (!IsPlatformUpdate(description)) {
    record.mode = "per-component";
    return UpdateListedComponents(description, client);
  }
  record.mode = "platform";
  if (!PlatformUpdate(description, client)) {
    MERRTRACE("update(): PlatformUpdate() failed.");
    record.Fail("the platform update stopped");
    return false;
  }
  return true;
}

// Runs the update over the open connection and notes how far it got; a library failure while
// the run reads the controller's maps or name is noted as the reason (the plan was not made).
bool RunOverConnection(MIniData& description, MTalkClient* client) {
  RunRecord& record = TheRunRecord();
  record.stage = RunStage::kDecisions;
  try {
    const bool updated = UpdateConnectedMachine(description, client);
    record.stage = RunStage::kFinished;
    return updated;
  } catch (const CTevarTalkError& error) {
    MERRLOG("update(): machine-talk error '%s'", error.message.c_str());
    record.Fail("machine-talk error: " + error.message);
  } catch (const std::bad_alloc&) {
    MERRLOG("update(): out of memory");
    record.Fail("out of memory");
  }
  return false;
}

// A connection that went down during the run fails every later step; in warning mode the run can
// still end well, so the report says so.
void NoteLostConnection(const MTalkClient& client) {
  if (!client.LostConnectionReason().empty())
    TheRunRecord().Warn("the connection to the controller was lost: " +
                        client.LostConnectionReason());
}

}  // namespace

bool update() {
  const char* path = TheRunSettings().descriptionPath.c_str();
  RunRecord& record = TheRunRecord();
  record.stage = RunStage::kDescription;
  record.description = path;
  // The document outlives the client: the connection closes first on every way out.
  MIniData description;
  if (!description.Open(path)) {
    MERRTRACE("update(): mid.Open(%s) failed", path);
    record.Fail(std::string("the update description ") + path + " cannot be read");
    return false;
  }
  if (description.IsNewFile()) {
    MERRTRACE("update(): file %s not found", path);
    record.Fail(std::string("the update description ") + path + " was not found");
    return false;
  }
  MTalkClient client;
  if (!SetUpConnection(description, &client))
    return false;
  record.stage = RunStage::kConnection;
  if (!client.Open()) {
    record.connectionError = client.LastLinkError();
    record.Fail("no machine connection: " + client.LastLinkError());
    MERRLOG("update(): mtc->Open() failed");
    ShowMessageBox(GetLocalizedText("No machine connection.txt"),
                   GetLocalizedText("Connection error.txt"), kBoxExclamation);
    return false;
  }
  // The library throws when the controller fails while the run reads its maps or its name; the
  // client turns only transfer failures into results. Such a run ends here, logged, never with
  // an exception through main.
  const bool updated = RunOverConnection(description, &client);
  NoteLostConnection(client);
  return updated;
}
