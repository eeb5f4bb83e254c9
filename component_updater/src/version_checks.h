// The three decisions the platform update takes for one component before it sends: is the
// component forced, is the file's version already installed, and may the controller's base
// package be installed at all.
//
// Each decision is a pure function that answers a verdict naming its reason (Judge...); the
// functions under the program's own names read the update description, write the traces, error
// log and box, and answer the boolean the platform update works with. Versions are compared by
// their text as written in file names; only the base-package gate parses numbers.
//
// Main thread only (the base-package check reads and writes the run settings).
#pragma once

#include <string>
#include <vector>

#include "MIniData_template_core.h"
#include "firmware_discovery.h"

// The section of the base package in the update description.
extern const char kBasePackageSection[];  // "quorvex,armhf,deb.gpg"

// A comma-separated list of component names as the description writes them ("force_update",
// "part_order"): comment cut, every blank removed, split at ",", no empty names.
std::vector<std::string> ParseComponentNameList(std::string value);

// The part of a path after its last "/" or "\" (the whole path when it has none).
std::string BaseNameOf(const std::string& path);

// ---- Forced update ----

// True when `name` is one of the names of the [general] "force_update" value, exactly.
bool IsListedForForceUpdate(const std::string& force_update_value, const std::string& name);

// True when the description's [general] "force_update" lists `name`. A present entry that
// cannot be read writes an error-log entry and answers false.
bool CheckForForceUpdateValue(MIniData& description, const std::string& name);

// ---- Installed version ----

enum class InstalledVersionVerdict {
  kInstalled,          // the file's base name holds the version, directly followed by "_"
  kNotInFileName,      // the installed version does not occur in the base name
  kNoUnderscoreAfter,  // it occurs, but no "_" follows anywhere behind its start
  kDiffers,            // it occurs, but runs on before the next "_" (2.1 in fw_2.10_x)
};

// Looks for `installed` in `base_name` (first occurrence only).
InstalledVersionVerdict JudgeInstalledVersion(const std::string& base_name,
                                              const std::string& installed);

// True when the component's installed version is already the version in the resolved update
// file's base name, i.e. no update is necessary. Traces at level 3 when no "_" follows.
bool CompareVersionOfUpdateFile(const std::string& update_file, const FirmwareComp& entry);

// ---- Base package ----

enum class BasePackageVerdict {
  kAccepted,
  kRefusedWordSize,  // major below 12: a 32-bit base system under a 64-bit update
  kRefusedTooOld,    // 12.0.x before 12.0.18, or 12.50.x before 12.50.2
};

// Judges a base version text by its major, minor and patch numbers.
BasePackageVerdict JudgeBaseVersion(const std::string& base_version);

// The version inside the base package file name "quorvex_<version>_armhf.deb.gpg", taken from
// the "file" value (comment cut, base name taken). False when either marker is missing. A
// version of more than 10 bytes is cut after the second byte behind its first "-"
// ("12.0.18-5+deb11u1" gives "12.0.18-5+"); one without "-" is kept uncut, since only its
// leading numbers are judged and the whole text is what the operator should see.
bool BaseVersionFromPackageFile(std::string file_value, std::string* version);

// True when the base package may be sent. Uses the run setting baseVersion when it holds 6 or
// more bytes ("--version"); otherwise reads the version from the base package's file name and
// stores it there. A major version below 12 is shown to the operator in the localized
// "32_64_bitproblem.txt" box; the other refusals are silent here.
bool CheckForBaseDowngradeProblems(MIniData& description);
