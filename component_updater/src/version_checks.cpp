// Forced update, installed version and base-package gate: the verdicts and the steps that read
// the description and report them.
#include "version_checks.h"

#include <algorithm>

#include "Localize.h"
#include "errtrace.h"
#include "localized_format.h"
#include "message_box.h"
#include "mstring_tools.h"
#include "mversion.h"
#include "run_settings.h"

const char kBasePackageSection[] = "quorvex,armhf,deb.gpg";

namespace {

const char kBasePackagePrefix[] = "quorvex_";
const char kBasePackageEnding[] = "_armhf.deb.gpg";
// A base version from "--version" of at least this many bytes is trusted as it stands.
const size_t kTrustedBaseVersionLength = 6;
const size_t kLongBaseVersion = 10;

// "12.0.18-5+deb11u1" -> "12.0.18-5+": the Debian revision keeps two bytes.
std::string CutLongBaseVersion(const std::string& version) {
  if (version.size() <= kLongBaseVersion)
    return version;
  const size_t dash = version.find('-');
  if (dash == std::string::npos)
    return version;
  return version.substr(0, dash + 3);
}

}  // namespace

std::vector<std::string> ParseComponentNameList(std::string value) {
  RemoveCommentAndBlanks(value);
  std::vector<std::string> names;
  SplitString(value, ",", &names);
  return names;
}

std::string BaseNameOf(const std::string& path) {
  const size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

bool IsListedForForceUpdate(const std::string& force_update_value, const std::string& name) {
  if (force_update_value.empty())
    return false;
  const std::vector<std::string> names = ParseComponentNameList(force_update_value);
  return std::find(names.begin(), names.end(), name) != names.end();
}

bool CheckForForceUpdateValue(MIniData& description, const std::string& name) {
  if (!description.HasEntry("general", "force_update"))
    return false;
  std::string value;
  if (!description.GetStringEntry("general", "force_update", &value)) {
    MERRLOG("%s(): GetStringEntry(%s, %s) failed.", "CheckForForceUpdateValue", "general",
            "force_update");
    return false;
  }
  return IsListedForForceUpdate(value, name);
}

InstalledVersionVerdict JudgeInstalledVersion(const std::string& base_name,
                                              const std::string& installed) {
  const size_t start = base_name.find(installed);
  if (start == std::string::npos)
    return InstalledVersionVerdict::kNotInFileName;
  const size_t underscore = base_name.find('_', start + 1);
  if (underscore == std::string::npos)
    return InstalledVersionVerdict::kNoUnderscoreAfter;
  return base_name.compare(start, underscore - start, installed) == 0
             ? InstalledVersionVerdict::kInstalled
             : InstalledVersionVerdict::kDiffers;
}

bool CompareVersionOfUpdateFile(const std::string& update_file, const FirmwareComp& entry) {
  const std::string base_name = BaseNameOf(update_file);
  const InstalledVersionVerdict verdict = JudgeInstalledVersion(base_name, entry.version);
  if (verdict == InstalledVersionVerdict::kNoUnderscoreAfter)
    MTRACE(3, "%s(): No version information found in file:%s.", "CompareVersionOfUpdateFile",
           base_name.c_str());
  return verdict == InstalledVersionVerdict::kInstalled;
}

BasePackageVerdict JudgeBaseVersion(const std::string& base_version) {
  VersionNumber version;
  ParseVersion(&version, base_version.c_str());
  if (version.major < 12)
    return BasePackageVerdict::kRefusedWordSize;
  if (version.major > 12)
    return BasePackageVerdict::kAccepted;
  if ((version.minor == 0 && version.patch < 18) || (version.minor == 50 && version.patch < 2))
    return BasePackageVerdict::kRefusedTooOld;
  return BasePackageVerdict::kAccepted;
}

bool BaseVersionFromPackageFile(std::string file_value, std::string* version) {
  StripComment(file_value);
  const std::string base_name = BaseNameOf(file_value);
  const size_t prefix = base_name.find(kBasePackagePrefix);
  const size_t ending = base_name.find(kBasePackageEnding);
  if (prefix == std::string::npos || ending == std::string::npos)
    return false;
  const size_t begin = prefix + sizeof kBasePackagePrefix - 1;
  // An ending that comes first lets the version run to the end of the name.
  *version = ending >= begin ? base_name.substr(begin, ending - begin) : base_name.substr(begin);
  *version = CutLongBaseVersion(*version);
  return true;
}

bool CheckForBaseDowngradeProblems(MIniData& description) {
  std::string& base_version = TheRunSettings().baseVersion;
  if (base_version.size() < kTrustedBaseVersionLength) {
    std::string file;
    if (!description.GetStringEntry(kBasePackageSection, "file", &file)) {
      MERRLOG("%s(): no filename for section: %s specified.", "CheckForBaseDowngradeProblems",
              kBasePackageSection);
      return false;
    }
    if (!BaseVersionFromPackageFile(file, &base_version)) {
      MTRACE(0,
             "%s(): Version check is not possible. We use the old kind of installation for the "
             "'%s' identifier.",
             "CheckForBaseDowngradeProblems", kBasePackageSection);
      return false;
    }
  }
  switch (JudgeBaseVersion(base_version)) {
    case BasePackageVerdict::kRefusedWordSize: {
      const std::string text =
          FormatLocalizedText("32_64_bitproblem.txt", 3, base_version, "32", "64");
      MERRTRACE("%s(): %s", "CheckForBaseDowngradeProblems", text.c_str());
      ShowMessageBox(text.c_str(), GetLocalizedText("Error.txt"), kBoxPlain);
      return false;
    }
    case BasePackageVerdict::kRefusedTooOld:
      return false;
    case BasePackageVerdict::kAccepted:
      break;
  }
  return true;
}
