// The particular installation: which components stay in the update, and their removal from the
// firmware component list with a trace for each.
#include "particular_update.h"

#include <set>

#include "errtrace.h"
#include "run_record.h"
#include "version_checks.h"

namespace {

const long kParticularInstallation = 2;

void NoteExclusion(const FirmwareComp& entry, const std::string& key) {
  RunRecord& record = TheRunRecord();
  ComponentRecord& noted = record.BeginComponent(entry.name);
  noted.installedVersion = entry.version;
  noted.group = key;
  record.Decide(Verdict::kExcluded, "not listed in part_order");
}

void RemoveUnlisted(const std::set<std::string>& keep, const std::string& key,
                    FirmwareGroup& group) {
  for (auto entry = group.begin(); entry != group.end();) {
    if (keep.count(entry->second.name) != 0) {
      ++entry;
      continue;
    }
    MTRACE(0,
           "Component %s will be excluded from update due to particular installation "
           "configuration.",
           entry->second.name.c_str());
    NoteExclusion(entry->second, key);
    entry = group.erase(entry);
  }
}

}  // namespace

ParticularUpdate ReadParticularUpdate(const MIniData& description) {
  ParticularUpdate result;
  long auto_update = 0;
  if (!description.GetLongEntry("general", "auto_update", &auto_update)) {
    result.verdict = ParticularUpdateVerdict::kNoAutoUpdate;
    return result;
  }
  if (auto_update != kParticularInstallation)
    return result;  // kOff
  std::string part_order;
  if (!description.GetStringEntry("general", "part_order", &part_order)) {
    result.verdict = ParticularUpdateVerdict::kNoPartOrder;
    return result;
  }
  result.verdict = ParticularUpdateVerdict::kKeepListed;
  result.keep = ParseComponentNameList(part_order);
  return result;
}

void CheckForParticularUpdate(MIniData& description, FirmwareCompList& list) {
  const ParticularUpdate particular = ReadParticularUpdate(description);
  switch (particular.verdict) {
    case ParticularUpdateVerdict::kNoAutoUpdate:
      MERRLOG("%s(): GetLongEntry(%s) failed.", "CheckForParticularUpdate", "auto_update");
      return;
    case ParticularUpdateVerdict::kNoPartOrder:
      MERRLOG("%s(): GetStringEntry(%s) failed. Particular update will be skipped.",
              "CheckForParticularUpdate", "part_order");
      return;
    case ParticularUpdateVerdict::kOff:
      return;
    case ParticularUpdateVerdict::kKeepListed:
      break;
  }
  const std::set<std::string> keep(particular.keep.begin(), particular.keep.end());
  for (auto group = list.begin(); group != list.end();) {
    RemoveUnlisted(keep, group->first, group->second);
    if (!group->second.empty()) {
      ++group;
      continue;
    }
    MTRACE(0,
           "Proxy machine with the chain value %s will be excluded from update due to "
           "particular installation configuration.",
           group->first.c_str());
    group = list.erase(group);
  }
}
