// The process's one set of run settings.
#include "run_settings.h"

RunSettings& TheRunSettings() {
  // Constructed on first use, so static initialisers of other files may already reach it.
  static RunSettings settings;
  return settings;
}
