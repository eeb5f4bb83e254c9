// The watcher's mutex is held while the registry is read, and the registry reader takes its own
// lock inside; the localization lock is never involved, so the lock order of the program holds.
#include "LanguageWatcher.h"

#include "tevbase.h"
#include "tevbase_dll_tools.h"

namespace {

constexpr char kSettingsKey[] = "Software\\Tevar\\pivot32\\settings";
constexpr char kLanguageValue[] = "language";

}  // namespace

LanguageWatcher::LanguageWatcher() {
  tevar::ScopedLock lock(mutex_);
  registered_ =
      tevbaseRegisterActiveUserChangedCallback(&LanguageWatcher::OnActiveUserChanged, this);
  Read("");
}

LanguageWatcher::~LanguageWatcher() {
  // Not under mutex_: unregistering waits for a running callback, which takes mutex_.
  if (registered_)
    tevbaseUnregisterActiveUserChangedCallback(&LanguageWatcher::OnActiveUserChanged, this);
}

std::string LanguageWatcher::language() const {
  tevar::ScopedLock lock(mutex_);
  return language_;
}

void LanguageWatcher::OnActiveUserChanged(void* user) {
  LanguageWatcher* watcher = static_cast<LanguageWatcher*>(user);
  tevar::ScopedLock lock(watcher->mutex_);
  watcher->Read("EN");
}

void LanguageWatcher::Read(const char* fallback) {
  const char* value = ReadRegistryString(kSettingsKey, kLanguageValue, fallback);
  language_ = value != nullptr ? value : fallback;
}

// Created before main by the localization state (LocalizedText.cpp), destroyed at exit.
LanguageWatcher& ProcessLanguageWatcher() {
  static LanguageWatcher watcher;
  return watcher;
}
