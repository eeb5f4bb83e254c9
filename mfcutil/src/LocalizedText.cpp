// Process-wide localization state: the lock, the application's table and the interned texts
// that GetLocalizedText hands out.
//
// All three live in function-local statics so that they exist whenever another static object
// uses them, whatever the order of static initialisation; they are touched here once at static
// initialisation so that they are in place before main.
#include <set>

#include "LanguageWatcher.h"
#include "Localize.h"

namespace {

CLocalize* g_application_table = nullptr;  // guarded by the localization lock

tevar::ThreadMutex& InterningMutex() {
  static tevar::ThreadMutex mutex;
  return mutex;
}

// Node-based: a stored string never moves, so its characters stay where the pointer points.
std::set<std::string>& InternedTexts() {
  static std::set<std::string> texts;
  return texts;
}

// The language-setting watcher is started here too: every program that shows texts links this
// file, so the watcher is in place before main wherever localization is used.
[[maybe_unused]] const bool g_localization_created =
    (LocalizationLock(), InterningMutex(), InternedTexts(), ProcessLanguageWatcher(), true);

}  // namespace

tevar::ThreadMutex& LocalizationLock() {
  static tevar::ThreadMutex lock;
  return lock;
}

void SetApplicationLocalize(CLocalize* table) {
  tevar::ScopedLock lock(LocalizationLock());
  g_application_table = table;
}

CLocalize* GetApplicationLocalize() {
  tevar::ScopedLock lock(LocalizationLock());
  return g_application_table;
}

const char* InternLocalizedText(const char* text) {
  if (text == nullptr)
    return nullptr;
  tevar::ScopedLock lock(InterningMutex());
  return InternedTexts().insert(text).first->c_str();
}

const char* GetLocalizedText(const char* key) {
  if (key == nullptr)
    return nullptr;
  // Always in this order: localization lock, then the interning mutex.
  tevar::ScopedLock lock(LocalizationLock());
  if (g_application_table == nullptr)
    return InternLocalizedText(key);
  return InternLocalizedText(g_application_table->Translate(key).c_str());
}
