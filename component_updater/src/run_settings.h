// RunSettings: the process-wide values of one run. Start-up writes the program title and the
// settings file path, main writes the command-line values and the tray, the update run writes the
// machine name and the drive-unit flag; the update engine reads them.
//
// Threads: written by the main thread only. The tray thread reads programTitle once when it
// starts, which start-up has written before it starts the thread.
#pragma once

#include <string>

class CSystemTray;

struct RunSettings {
  std::string descriptionPath;       // update description, as main built it
  std::string workFolder;            // folder of the per-component update files
  std::string hostOverride;          // "--host", empty when not given
  std::string portOverride;          // "--port", empty when not given
  std::string baseVersion;           // "--version"; the base-package check may fill it
  bool silent = false;               // "--silent": ShowMessageBox shows nothing
  std::string machineName;           // the connected machine's name
  bool driveUnitConfigSent = false;  // "x_DriveUnit.firmware.config" was sent
  std::string programTitle;          // FileDescription + " v" + FileVersion
  std::string settingsFilePath;      // "component_updater.ini" in the product's data folder
  CSystemTray* tray = nullptr;       // the tray icon the run switches; none before main sets it
};

// The one set of the process.
RunSettings& TheRunSettings();
