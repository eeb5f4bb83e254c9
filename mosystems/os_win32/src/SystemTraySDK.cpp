// The process's one tray object, the same on both platforms.
#include "SystemTraySDK.h"

CSystemTray& TheSystemTray() {
  static CSystemTray tray;
  return tray;
}

namespace {
// Constructed during static initialisation, as start-up expects, not on first use.
[[maybe_unused]] CSystemTray& constructed_at_start = TheSystemTray();
}  // namespace
