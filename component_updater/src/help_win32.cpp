// The help on Windows: written to the console of the parent process when there is one, else shown
// in an information box. The console API reports how many characters arrived, which is checked.
#include <windows.h>

#include <cstring>
#include <string>

#include "errtrace.h"
#include "help.h"

void DisplayHelp() {
  const int length = static_cast<int>(std::strlen(kHelpText));
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
    // Not through ShowMessageBox: the help box shows even in silent mode.
    MessageBoxExA(nullptr, kHelpText, "Tevar GmbH component_updater", 0x00040040,
                  MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT));
    return;
  }
  const std::string text = "\n" + std::string(kHelpText) + "\n";
  // A windowed program started with redirected output keeps that handle; otherwise it writes to
  // the console it just attached to.
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  const bool own_handle = out == nullptr || out == INVALID_HANDLE_VALUE;
  if (own_handle)
    out =
        CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD written = 0;
  // A console handle takes WriteConsole; a file or a pipe takes WriteFile.
  if (!WriteConsoleA(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr))
    WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  if (own_handle && out != INVALID_HANDLE_VALUE)
    CloseHandle(out);
  if (static_cast<int>(written) != length + 2)
    MERRLOG("%s(): write to console failed. Written: %d attempt to write:%d.", "DisplayHelp",
            static_cast<int>(written), length);
  FreeConsole();
}
