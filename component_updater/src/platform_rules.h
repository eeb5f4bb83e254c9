// The small rules of the platform update: names it derives from component names (BSP
// component, BSP section, compensation channel), the exact section lookup, the error-handling
// mode, the base-firmware gate, the file version shown in the trace and the send duration.
//
// All pure functions of their inputs (the description is only read), so that a caller can list
// what the update would do without a controller.
#pragma once

#include <string>

#include "MIniData_template_core.h"

extern const char kBaseFirmwareComponent[];  // "firmware.config"
extern const char kColdfireMarker[];         // "quorvex,coldfire,s19"
extern const char kArmhfMarker[];            // "quorvex,armhf,deb.gpg"
extern const char kCompensationChannel[];    // "compensation"

// True when the description has a section of exactly this name. A name holding a NUL byte names
// no section (a C-string lookup would find the section named by its first part instead).
bool HasSectionNamed(const MIniData& description, const std::string& name);

// The BSP component of a firmware component: its first "firmware.config" replaced by "bsp".
// A name without the marker (discovery never yields one) is returned unchanged.
std::string BspComponentName(const std::string& firmware_name);

// The BSP section of a board: "<hardware>,<BSP version>", joined byte for byte.
std::string BspSectionName(const std::string& hardware, const std::string& bsp_version);

// Strict mode: the [general] "error_handling" value is "error" once comment and blanks are gone.
bool IsStrictErrorHandling(std::string value);

// What the base-firmware gate says about a component and its identifier.
enum class BaseFirmwareGate {
  kNotBaseFirmware,        // not "firmware.config": the gate does not apply
  kUnsupportedIdentifier,  // neither marker: the controller installs it on its own; skip
  kCheckBasePackage,       // the armhf marker: send only if the base package may go
  kSupportedIdentifier,    // the coldfire marker alone: send
};
BaseFirmwareGate JudgeBaseFirmware(const std::string& name, const std::string& identifier);

// Components whose identifier holds the coldfire marker get their compensation reset and are
// sent without force or version check.
bool NeedsCompensationReset(const std::string& identifier);

// "compensation" in place of the first 15 bytes of the name (of all of it when shorter).
std::string CompensationChannelOf(const std::string& name);

// The version shown in the update trace: the text of the resolved file name between its
// second-to-last and last "_"; before the last "_" when there is one; the whole name with none.
std::string FileVersionOfUpdateFile(const std::string& resolved_name);

// Where the send duration of a component came from.
enum class DurationSource { kIdentifierSection, kGeneralSection, kNeither };
struct SendDuration {
  double seconds;
  DurationSource source;
};
// 60.0 s unless [identifier] "duration" or else [general] "duration" reads; the value read last
// stands, so an entry that is no number gives 0.0.
SendDuration ChooseSendDuration(const MIniData& description, const std::string& identifier);
