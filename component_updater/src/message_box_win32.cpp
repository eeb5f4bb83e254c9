// Operator boxes on Windows: a message box without owner window.
#include <windows.h>

#include "message_box.h"

int ShowPlatformMessageBox(const char* text, const char* caption, unsigned flags) {
  return MessageBoxA(nullptr, text, caption, flags);
}
