// The BSP module update: module entries and versions, the send target, the module file list,
// and the per-component procedure that sends what differs.
#include "bsp_update.h"

#include "errtrace.h"
#include "mstring_tools.h"
#include "mversion.h"

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
