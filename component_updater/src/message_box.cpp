// The silent-mode rule in front of the platform's message box.
#include "message_box.h"

#include "run_settings.h"

int ShowMessageBox(const char* text, const char* caption, unsigned flags) {
  if (TheRunSettings().silent)
    return 1;  // the answer OK
  return ShowPlatformMessageBox(text, caption, flags);
}
