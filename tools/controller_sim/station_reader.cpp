// Reading the station file with the project's INI document. The INI reader keeps values raw
// (the text after '='); trimming and escapes are the station file's own rules, applied by
// BuildStation. A missing file is an empty document to the INI reader, but a simulator without
// its station is a mistake, so existence is checked first.
#include <cstdio>

#include "MIniData_template_core.h"
#include "station_file.h"

namespace sim {
namespace {

bool FileReadable(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr)
    return false;
  std::fclose(file);
  return true;
}

RawSections CollectSections(MIniData& document) {
  RawSections sections;
  std::vector<std::string> names;
  document.GetSectionNames(&names);
  for (const std::string& section : names) {
    std::map<std::string, std::string>& entries = sections[section];
    std::vector<std::string> keys;
    document.GetEntryNames(section.c_str(), &keys);
    for (const std::string& key : keys) {
      std::string value;
      if (document.GetStringEntry(section.c_str(), key.c_str(), &value))
        entries[key] = value;
    }
  }
  return sections;
}

}  // namespace

bool ReadStationFile(const std::string& path, Station* station, std::string* error) {
  const std::string prefix = "station file '" + path + "': ";
  if (!FileReadable(path)) {
    *error = prefix + "cannot be read";
    return false;
  }
  MIniData document;
  if (!document.Open(path.c_str())) {
    *error = prefix + document.GetLastError();
    return false;
  }
  if (!BuildStation(CollectSections(document), station, error)) {
    *error = prefix + *error;
    return false;
  }
  return true;
}

}  // namespace sim
