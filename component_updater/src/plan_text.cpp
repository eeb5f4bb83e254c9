// The printed plan: a sentence a line, readable by the engineer and easy to pick apart with grep.
#include "plan_text.h"

#include <cstdint>

#include "run_record.h"
#include "run_settings.h"

namespace {

std::string OrDash(const std::optional<std::string>& text) {
  return text ? *text : "-";
}

// Line ends inside a box text would break the one-line rule: they are shown as "\n".
std::string OneLine(const std::string& text) {
  std::string line;
  for (const char c : text) {
    if (c == '\n')
      line += "\\n";
    else if (c != '\r')
      line += c;
  }
  return line;
}

std::string FileText(const FileFacts& facts) {
  if (!facts.file)
    return "";
  std::string text = ", file " + *facts.file;
  if (facts.fileSize)
    text += " (" + std::to_string(*facts.fileSize) + " bytes";
  if (facts.sha256)
    text += ", sha256 " + *facts.sha256;
  if (facts.sha256Match)
    text += *facts.sha256Match ? ", as the description expects"
                               : ", the description expects " + *facts.sha256Expected;
  return facts.fileSize ? text + ")" : text;
}

std::string VerdictText(const FileFacts& facts) {
  std::string text = ": " + facts.reason;
  for (const std::string& note : facts.notes)
    text += "; note: " + note;
  return text;
}

std::string ComponentLine(const ComponentRecord& component) {
  return "component " + component.name + ": " + VerdictName(component.verdict) + ", " +
         OrDash(component.installedVersion) + " -> " + OrDash(component.targetVersion) +
         FileText(component) + VerdictText(component) + "\n";
}

std::string ModuleLines(const ComponentRecord& component) {
  std::string lines;
  for (const ModuleRecord& module : component.modules) {
    lines += "  module " + module.module + " of " + module.board + ": " +
             VerdictName(module.verdict) + ", " + OrDash(module.installedVersion) + " -> " +
             module.targetVersion + (module.target ? " to " + *module.target : "") +
             FileText(module) + VerdictText(module) + "\n";
  }
  for (const ChannelReset& reset : component.compensation)
    lines += "  compensation channel " + reset.channel + ": reset to 0.0\n";
  return lines;
}

// The description's host and port as they are written may carry blanks around them.
std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(' ');
  return first == std::string::npos ? ""
                                    : text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string Header(const RunRecord& record) {
  const std::string where = record.host
                                ? Trimmed(*record.host) + " " + Trimmed(record.port.value_or(""))
                                : std::string("the default connection");
  return "plan: " + record.mode.value_or("update") + " update of machine \"" +
         TheRunSettings().machineName + "\" at " + where + " from " + OrDash(record.description) +
         "\n";
}

std::string Footer(const RunRecord& record) {
  std::size_t sends = 0;
  std::uint64_t bytes = 0;
  for (const SendRecord& send : record.sends) {
    ++sends;
    bytes += send.bytes;
  }
  std::string text = "plan: " + std::to_string(sends) + (sends == 1 ? " send of " : " sends of ") +
                     std::to_string(bytes) + " bytes; the run would end with status " +
                     std::to_string(record.predictedExitStatus.value_or(1));
  if (record.predictedExitStatus.value_or(1) != 0 && record.reason)
    text += ": " + *record.reason;
  return text +
         "\nplan: assumes that every send succeeds and that the controller answers as it does "
         "now\n";
}

}  // namespace

std::string PlanText(const RunRecord& record) {
  const bool made = record.predictedExitStatus.has_value();
  std::string text = made ? Header(record) : std::string();
  // Components and boxes in the order the run met them.
  auto component = record.components.begin();
  auto box = record.boxes.begin();
  while (component != record.components.end() || box != record.boxes.end()) {
    if (box == record.boxes.end() ||
        (component != record.components.end() && component->sequence < box->sequence)) {
      text += ComponentLine(*component) + ModuleLines(*component);
      ++component;
    } else {
      text += "box: [" + box->caption + "] " + OneLine(box->text) + "\n";
      ++box;
    }
  }
  for (const std::string& section : record.absentComponents)
    text += "not on the controller: [" + section + "]\n";
  if (!made)
    return text + "plan: could not be made: " + record.reason.value_or("unknown") + "\n";
  return text + Footer(record);
}
