// The platform update's derived names and small verdicts.
#include "platform_rules.h"

#include "firmware_discovery.h"
#include "mstring_tools.h"

const char kBaseFirmwareComponent[] = "firmware.config";
const char kColdfireMarker[] = "quorvex,coldfire,s19";
const char kArmhfMarker[] = "quorvex,armhf,deb.gpg";
const char kCompensationChannel[] = "compensation";

namespace {

const double kDefaultSendSeconds = 60.0;
// The compensation channel keeps what follows this many bytes of the component name.
const size_t kCompensationReplacedBytes = 15;

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

}  // namespace

bool HasSectionNamed(const MIniData& description, const std::string& name) {
  if (name.find('\0') != std::string::npos)
    return false;
  return description.GetSection(name.c_str()) != nullptr;
}

std::string BspComponentName(const std::string& firmware_name) {
  std::string name = firmware_name;
  const size_t marker = name.find(kFirmwareConfig);
  if (marker != std::string::npos)
    name.replace(marker, kFirmwareConfigLength, "bsp");
  return name;
}

std::string BspSectionName(const std::string& hardware, const std::string& bsp_version) {
  return hardware + "," + bsp_version;
}

bool IsStrictErrorHandling(std::string value) {
  RemoveCommentAndBlanks(value);
  return value == "error";
}

BaseFirmwareGate JudgeBaseFirmware(const std::string& name, const std::string& identifier) {
  if (name != kBaseFirmwareComponent)
    return BaseFirmwareGate::kNotBaseFirmware;
  if (Contains(identifier, kArmhfMarker))
    return BaseFirmwareGate::kCheckBasePackage;
  if (Contains(identifier, kColdfireMarker))
    return BaseFirmwareGate::kSupportedIdentifier;
  return BaseFirmwareGate::kUnsupportedIdentifier;
}

bool NeedsCompensationReset(const std::string& identifier) {
  return Contains(identifier, kColdfireMarker);
}

std::string CompensationChannelOf(const std::string& name) {
  const size_t replaced =
      name.size() < kCompensationReplacedBytes ? name.size() : kCompensationReplacedBytes;
  return kCompensationChannel + name.substr(replaced);
}

std::string FileVersionOfUpdateFile(const std::string& resolved_name) {
  const size_t last = resolved_name.rfind('_');
  if (last == std::string::npos)
    return resolved_name;
  const size_t before = last == 0 ? std::string::npos : resolved_name.rfind('_', last - 1);
  if (before == std::string::npos)
    return resolved_name.substr(0, last);
  return resolved_name.substr(before + 1, last - before - 1);
}

SendDuration ChooseSendDuration(const MIniData& description, const std::string& identifier) {
  SendDuration duration{kDefaultSendSeconds, DurationSource::kIdentifierSection};
  if (HasSectionNamed(description, identifier) &&
      description.GetDoubleEntry(identifier.c_str(), "duration", &duration.seconds))
    return duration;
  duration.source = DurationSource::kGeneralSection;
  if (description.GetDoubleEntry("general", "duration", &duration.seconds))
    return duration;
  duration.source = DurationSource::kNeither;
  return duration;
}
