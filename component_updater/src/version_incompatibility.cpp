// The group check: identifier sections, BSP responses and the board verdicts, with the boxes of
// each refusal.
#include "version_incompatibility.h"

#include "Localize.h"
#include "errtrace.h"
#include "localized_format.h"
#include "message_box.h"
#include "mstring_tools.h"
#include "mtalkclient.h"
#include "platform_rules.h"
#include "run_record.h"

namespace {

const char kFunction[] = "CheckPossibleVersionIncompatibility";

// The component that refuses its group gets a record of its own: the group's other components
// are never reached.
void NoteRefusal(const FirmwareComp& entry, const std::string& why) {
  RunRecord& record = TheRunRecord();
  record.BeginComponent(entry.name).installedVersion = entry.version;
  record.Decide(Verdict::kRefused, why + "; its group is refused");
}

void ShowRefusal(const std::string& text, const char* caption) {
  ShowMessageBox(text.c_str(), caption, kBoxPlain);
}

std::string Formatted(const char* format, const std::string& value) {
  std::string text;
  FormatString(&text, format, value.c_str());
  return text;
}

// The identifier step: a component whose identifier the description does not know refuses the
// group. A failed Receive does not: the BSP step still runs for the component.
bool IdentifierIsKnown(MTalkClient* client, const MIniData& description,
                       const FirmwareComp& entry) {
  const std::string& name = entry.name;
  std::string identifier;
  if (!client->Receive(name.c_str(), identifier)) {
    MERRLOG("%s: Receive() failed for:%s", kFunction, name.c_str());
    return true;
  }
  if (HasSectionNamed(description, identifier))
    return true;
  NoteRefusal(entry, "the description has no section [" + identifier + "] for its identifier");
  TheRunRecord().CurrentComponent()->identifier = identifier;
  ShowRefusal(FormatLocalizedText("VersionsproblemFirmware.txt", 1, identifier),
              GetLocalizedText("Error.txt"));
  return false;
}

// The BSP step for one component; false when the group is refused.
bool CheckBoard(MTalkClient* client, const MIniData& description, const ComponentMap& components,
                const FirmwareComp& entry, BspModuleTable& table) {
  const std::string& name = entry.name;
  const std::string bsp = BspComponentName(name);
  const auto reported = components.find(bsp);
  if (reported == components.end())
    return true;
  const std::string bsp_version = BspVersionOfReported(reported->second);
  std::string response;
  if (!client->Receive(bsp.c_str(), response)) {
    MERRTRACE("%s: Receive() failed for:%s", kFunction, bsp.c_str());
    NoteRefusal(entry, "its BSP component " + bsp + " cannot be read: " + client->LastLinkError());
    ShowRefusal(Formatted("Update will be skipped. No receive on component: %s possible.", bsp),
                GetLocalizedText("Error.txt"));
    return false;
  }
  const BspBoard board = JudgeBspBoard(description, response, bsp_version);
  switch (board.verdict) {
    case BspBoardVerdict::kNoSeparator:
      MERRTRACE("%s: no separator found in bsp response for:%s", kFunction, bsp.c_str());
      NoteRefusal(entry, "the response of its BSP component " + bsp + " has no line end");
      ShowRefusal(
          Formatted("No separator found in bsp response for : %s. Update will be skipped.", bsp),
          "Error");
      return false;
    case BspBoardVerdict::kDescribed:
      table.emplace(bsp, BspModuleInfo{board.hardware, bsp_version, response});
      return true;
    case BspBoardVerdict::kOtherVersion:
      NoteRefusal(entry, "the description offers BSP version " + board.offered + " for " + bsp +
                             ", which has version " + bsp_version);
      ShowRefusal(FormatLocalizedText("Versionsproblem.txt", 3, bsp, bsp_version, board.offered),
                  GetLocalizedText("Error.txt"));
      return false;
    case BspBoardVerdict::kNotDescribed:
      MTRACE(0, "No updates necessary for: %s", bsp.c_str());
      return true;
  }
  return true;
}

}  // namespace

std::string BspVersionOfReported(const std::string& reported) {
  return !reported.empty() && reported[0] == 'v' ? reported.substr(1) : reported;
}

BspBoard JudgeBspBoard(const MIniData& description, const std::string& response,
                       const std::string& bsp_version) {
  BspBoard board;
  const size_t line_end = response.find_first_of("\r\n");
  if (line_end == std::string::npos)
    return board;  // kNoSeparator (an empty response included)
  board.hardware = response.substr(0, line_end);
  if (HasSectionNamed(description, BspSectionName(board.hardware, bsp_version))) {
    board.verdict = BspBoardVerdict::kDescribed;
    return board;
  }
  std::vector<std::string> sections;
  description.GetSectionNames(&sections);
  for (const std::string& section : sections) {
    if (section.find(board.hardware) == std::string::npos)
      continue;
    const size_t comma = section.rfind(',');
    board.offered = comma == std::string::npos ? section : section.substr(comma + 1);
    board.verdict = BspBoardVerdict::kOtherVersion;
    return board;
  }
  board.verdict = BspBoardVerdict::kNotDescribed;
  return board;
}

bool CheckPossibleVersionIncompatibility(MTalkClient* client, MIniData& description,
                                         FirmwareGroup group, const ComponentMap& components,
                                         BspModuleTable& table) {
  for (const auto& entry : group) {
    if (!IdentifierIsKnown(client, description, entry.second))
      return false;
    if (!CheckBoard(client, description, components, entry.second, table))
      return false;
  }
  for (const auto& board : table)
    MTRACE(0, "Comp:%s with hardware:%s will be updated to bsp version:%s", board.first.c_str(),
           board.second.hardware.c_str(), board.second.bspVersion.c_str());
  return true;
}
