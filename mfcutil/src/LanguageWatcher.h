// The language-setting watcher: keeps the "language" value of the station settings in the
// registry, and reads it again whenever the base library reports that the active user changed.
//
// The text table does not use this value: its language is fixed when it is created. One
// process-wide watcher exists from static initialisation to exit (ProcessLanguageWatcher); tests
// may create their own.
#pragma once

#include <string>

#include "tevar_lock.h"

class LanguageWatcher {
 public:
  // Under the watcher's mutex: registers OnActiveUserChanged with the base library and reads
  // "language" from HKEY_LOCAL_MACHINE "Software\\Tevar\\pivot32\\settings", default "".
  LanguageWatcher();
  // Unregisters (which waits for a callback in progress), then frees the watcher.
  ~LanguageWatcher();
  LanguageWatcher(const LanguageWatcher&) = delete;
  LanguageWatcher& operator=(const LanguageWatcher&) = delete;

  // The value last read. Any thread.
  std::string language() const;

  // Whether the registration with the base library succeeded.
  bool registered() const { return registered_; }

 private:
  // Called by the base library on its own thread: reads the value again, default "EN".
  static void OnActiveUserChanged(void* user);
  void Read(const char* fallback);

  mutable tevar::ThreadMutex mutex_;
  std::string language_;
  bool registered_ = false;
};

// The process-wide watcher, created during static initialisation.
LanguageWatcher& ProcessLanguageWatcher();
