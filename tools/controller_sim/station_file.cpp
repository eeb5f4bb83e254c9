// Turning the raw values of a station file into a Station. Sections with a fixed set of entries
// ([machine], [faults]) reject entries they do not know: a misspelt fault switch would otherwise
// silently run a rehearsal without the fault the operator asked for.
#include "station_file.h"

#include <cstdlib>
#include <vector>

namespace sim {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin]))
    ++begin;
  while (end > begin && IsBlank(text[end - 1]))
    --end;
  return text.substr(begin, end - begin);
}

// Comma-separated names, each trimmed; empty items are skipped.
std::set<std::string> SplitNames(const std::string& list) {
  std::set<std::string> names;
  std::size_t start = 0;
  while (start <= list.size()) {
    std::size_t comma = list.find(',', start);
    if (comma == std::string::npos)
      comma = list.size();
    const std::string name = Trim(list.substr(start, comma - start));
    if (!name.empty())
      names.insert(name);
    start = comma + 1;
  }
  return names;
}

bool ParseSeconds(const std::string& text, double* seconds) {
  if (text.empty())
    return false;
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (*end != '\0' || !(value >= 0.0 && value <= 3600.0))
    return false;
  *seconds = value;
  return true;
}

// Unescapes every value of one section into *out.
bool ReadMap(const RawSections& sections, const std::string& section,
             std::map<std::string, std::string>* out, std::string* error) {
  const auto it = sections.find(section);
  if (it == sections.end())
    return true;
  for (const auto& entry : it->second) {
    std::string value;
    if (!UnescapeStationValue(entry.second, &value, error)) {
      *error = "[" + section + "] " + entry.first + ": " + *error;
      return false;
    }
    out->emplace(entry.first, value);
  }
  return true;
}

bool ParseSwitch(const std::string& key, const std::string& value, bool* on, std::string* error) {
  if (value != "0" && value != "1") {
    *error = "[faults] " + key + " must be 0 or 1, not \"" + value + "\"";
    return false;
  }
  *on = value == "1";
  return true;
}

bool ApplyFault(const std::string& key, const std::string& value, StationFaults* f,
                std::string* error) {
  if (key == "refuse") {
    return ParseSwitch(key, value, &f->refuse, error);
  } else if (key == "capabilities_error") {
    return ParseSwitch(key, value, &f->capabilities_error, error);
  } else if (key == "send_seconds") {
    if (!ParseSeconds(value, &f->send_seconds)) {
      *error =
          "[faults] send_seconds must be a number of seconds from 0 to 3600, not \"" + value + "\"";
      return false;
    }
  } else if (key == "send_error") {
    f->send_error = SplitNames(value);
  } else if (key == "receive_error") {
    f->receive_error = SplitNames(value);
  } else if (key == "set_error") {
    f->set_error = SplitNames(value);
  } else if (key == "drop_during_send") {
    f->drop_during_send = SplitNames(value);
  } else {
    *error = "unknown entry \"" + key + "\" in [faults]";
    return false;
  }
  return true;
}

bool ReadMachine(const std::map<std::string, std::string>& machine, Station* station,
                 std::string* error) {
  for (const auto& entry : machine) {
    if (entry.first != "name") {
      *error = "unknown entry \"" + entry.first + "\" in [machine]";
      return false;
    }
  }
  const auto name = machine.find("name");
  if (name == machine.end() || name->second.empty()) {
    *error = "[machine] needs a name";
    return false;
  }
  station->machine_name = name->second;
  return true;
}

bool CheckSectionNames(const RawSections& sections, std::string* error) {
  static const std::set<std::string> known = {"machine",  "components", "options", "values",
                                              "channels", "after_send", "faults"};
  for (const auto& section : sections) {
    if (known.count(section.first) == 0) {
      *error = "unknown section [" + section.first + "]";
      return false;
    }
  }
  return true;
}

}  // namespace

bool BuildStation(const RawSections& sections, Station* station, std::string* error) {
  *station = Station();
  std::map<std::string, std::string> machine;
  std::map<std::string, std::string> faults;
  if (!CheckSectionNames(sections, error) || !ReadMap(sections, "machine", &machine, error) ||
      !ReadMachine(machine, station, error) ||
      !ReadMap(sections, "components", &station->components, error) ||
      !ReadMap(sections, "options", &station->options, error) ||
      !ReadMap(sections, "values", &station->values, error) ||
      !ReadMap(sections, "channels", &station->channels, error) ||
      !ReadMap(sections, "after_send", &station->after_send, error) ||
      !ReadMap(sections, "faults", &faults, error))
    return false;
  for (const auto& entry : faults)
    if (!ApplyFault(entry.first, entry.second, &station->faults, error))
      return false;
  return true;
}

bool UnescapeStationValue(const std::string& raw, std::string* value, std::string* error) {
  const std::string text = Trim(raw);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    switch (next) {
      case 'r':
        out += '\r';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        *error = next == '\0' ? std::string("backslash at the end of the value")
                              : "unknown escape \"\\" + std::string(1, next) + "\"";
        return false;
    }
    ++i;
  }
  *value = out;
  return true;
}

}  // namespace sim
