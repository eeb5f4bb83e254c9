// The standard output of the windowed program: the handle it was given, else the console of the
// parent process (CONOUT$ after attaching to it).
#include <windows.h>

#include "standard_output.h"

namespace {

std::string WithCarriageReturns(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 32);
  for (const char c : text) {
    if (c == '\n')
      out += '\r';
    out += c;
  }
  return out;
}

// A console handle takes WriteConsole; a file or a pipe takes WriteFile.
bool WriteAll(HANDLE out, const std::string& text) {
  DWORD written = 0;
  const DWORD size = static_cast<DWORD>(text.size());
  if (WriteConsoleA(out, text.data(), size, &written, nullptr))
    return written == size;
  for (std::size_t done = 0; done < text.size(); done += written) {
    if (!WriteFile(out, text.data() + done, static_cast<DWORD>(text.size() - done), &written,
                   nullptr) ||
        written == 0)
      return false;
  }
  return true;
}

}  // namespace

bool WriteStandardOutput(const std::string& text) {
  const std::string lines = WithCarriageReturns(text);
  HANDLE given = GetStdHandle(STD_OUTPUT_HANDLE);
  if (given != nullptr && given != INVALID_HANDLE_VALUE)
    return WriteAll(given, lines);
  if (!AttachConsole(ATTACH_PARENT_PROCESS))
    return false;
  HANDLE console =
      CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  const bool written = console != INVALID_HANDLE_VALUE && WriteAll(console, lines);
  if (console != INVALID_HANDLE_VALUE)
    CloseHandle(console);
  FreeConsole();
  return written;
}
