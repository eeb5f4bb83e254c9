// The callback registry. Two locks: the registration lock guards the list and is never held while
// a callback runs, so callbacks can take their own locks (the language watcher takes its mutex
// and the registry-value lock); the firing lock is held for a whole firing, and unregistering
// takes it too, so once unregistering returns the callback is not running and will not run
// (its owner may then be destroyed). It is recursive so that a callback may unregister itself.
#include "tevbase.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace {

using Registration = std::pair<tevbaseActiveUserChangedCallback, void*>;

// Function-local statics: the language watcher registers during static initialisation and
// unregisters during static destruction, in whatever order relative to this file.
std::mutex& RegistryMutex() {
  static std::mutex* mutex = new std::mutex;  // never destroyed: used from static destructors
  return *mutex;
}

std::recursive_mutex& FiringMutex() {
  static std::recursive_mutex* mutex = new std::recursive_mutex;
  return *mutex;
}

std::vector<Registration>& Registrations() {
  static std::vector<Registration>* registrations = new std::vector<Registration>;
  return *registrations;
}

}  // namespace

bool tevbaseRegisterActiveUserChangedCallback(tevbaseActiveUserChangedCallback callback,
                                              void* user) {
  if (callback == nullptr)
    return false;
  std::lock_guard<std::mutex> lock(RegistryMutex());
  std::vector<Registration>& all = Registrations();
  const Registration entry(callback, user);
  if (std::find(all.begin(), all.end(), entry) != all.end())
    return false;
  all.push_back(entry);
  return true;
}

bool tevbaseUnregisterActiveUserChangedCallback(tevbaseActiveUserChangedCallback callback,
                                                void* user) {
  std::lock_guard<std::recursive_mutex> firing(FiringMutex());
  std::lock_guard<std::mutex> lock(RegistryMutex());
  std::vector<Registration>& all = Registrations();
  const auto found = std::find(all.begin(), all.end(), Registration(callback, user));
  if (found == all.end())
    return false;
  all.erase(found);
  return true;
}

namespace {

bool IsRegistered(const Registration& entry) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  const std::vector<Registration>& all = Registrations();
  return std::find(all.begin(), all.end(), entry) != all.end();
}

}  // namespace

int tevbaseFireActiveUserChanged() {
  std::lock_guard<std::recursive_mutex> firing(FiringMutex());
  std::vector<Registration> snapshot;
  {
    std::lock_guard<std::mutex> lock(RegistryMutex());
    snapshot = Registrations();
  }
  int called = 0;
  for (const Registration& entry : snapshot) {
    // An earlier callback of this firing may have unregistered a later one.
    if (!IsRegistered(entry))
      continue;
    entry.first(entry.second);
    ++called;
  }
  return called;
}
