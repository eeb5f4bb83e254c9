// The POSIX window table and the terminal line that stands for a dialog on the screen.
#include <stdio.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <map>

#include "CDialog.h"
#include "ui_posix.h"

namespace fw_posix {

namespace {

constexpr int kBarWidth = 20;
constexpr size_t kDefaultColumns = 80;

// Keys grow and are never reused, so map order is creation order: a dialog's controls are drawn
// in the order its DoDataExchange bound them.
struct WindowTable {
  std::mutex mutex;
  std::map<std::uintptr_t, WindowState> windows;
  std::uintptr_t next = 0x1000;
};

WindowTable& Table() {
  static WindowTable* table = new WindowTable;  // threads may outlive static destruction
  return *table;
}

std::uintptr_t Key(void* window) {
  return reinterpret_cast<std::uintptr_t>(window);
}

void* Handle(std::uintptr_t key) {
  return reinterpret_cast<void*>(key);
}

// REQUIRES: table mutex held.
WindowState* Find(void* window) {
  const auto it = Table().windows.find(Key(window));
  return it == Table().windows.end() ? nullptr : &it->second;
}

bool StderrIsTerminal() {
  static const bool terminal = isatty(STDERR_FILENO) != 0;
  return terminal;
}

size_t TerminalColumns() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 1)
    return size.ws_col;
  return kDefaultColumns;
}

std::string Bar(const WindowState& bar) {
  const double span = static_cast<double>(bar.upper) - bar.lower;
  const double done = span > 0 ? (bar.position - bar.lower) / span : 0.0;
  const int filled = std::max(0, std::min(kBarWidth, static_cast<int>(done * kBarWidth)));
  return "[" + std::string(static_cast<size_t>(filled), '#') +
         std::string(static_cast<size_t>(kBarWidth - filled), '.') + "]";
}

// REQUIRES: table mutex held. The caption, then each control: texts as they are, bars drawn.
std::string ComposeLine(std::uintptr_t dialogKey, const WindowState& dialog) {
  std::string line = dialog.text;
  for (const auto& [key, control] : Table().windows) {
    if (control.parent != Handle(dialogKey) || !control.visible)
      continue;
    const bool bar = control.controlClass == "msctls_progress32";
    if (!bar && control.text.empty())
      continue;
    line += "  ";
    line += bar ? Bar(control) : control.text;
  }
  for (char& c : line)
    if (static_cast<unsigned char>(c) < 0x20)
      c = ' ';
  return line;
}

void Write(const std::string& text) {
  fputs(text.c_str(), stderr);
  fflush(stderr);
}

}  // namespace

void* CreateDialogWindow(CDialog* dialog) {
  std::lock_guard<std::mutex> lock(Table().mutex);
  const std::uintptr_t key = Table().next++;
  WindowState& state = Table().windows[key];
  state.dialog = dialog;
  state.queue = CurrentQueue();
  return Handle(key);
}

void* ChildWindow(void* dialog, int id, const char* controlClass) {
  std::lock_guard<std::mutex> lock(Table().mutex);
  const WindowState* parent = Find(dialog);
  if (!parent)
    return nullptr;
  for (const auto& [key, state] : Table().windows)
    if (state.parent == dialog && state.controlId == id)
      return Handle(key);
  const std::uintptr_t key = Table().next++;
  WindowState child;
  child.parent = dialog;
  child.controlId = id;
  child.controlClass = controlClass;
  child.queue = parent->queue;
  Table().windows[key] = child;
  return Handle(key);
}

void DestroyDialogWindow(void* dialog) {
  std::shared_ptr<MessageQueue> queue = QueueOf(dialog);
  std::string last;
  {
    std::lock_guard<std::mutex> lock(Table().mutex);
    WindowState* state = Find(dialog);
    if (!state)
      return;
    // A line on the terminal is finished with its last state, so later output starts below it.
    if (state->drawn && state->changed)
      last = "\r" + ComposeLine(Key(dialog), *state).substr(0, TerminalColumns() - 1) + "\x1b[K\n";
    else if (state->drawn)
      last = "\n";
    for (auto it = Table().windows.begin(); it != Table().windows.end();) {
      if (it->first == Key(dialog) || it->second.parent == dialog)
        it = Table().windows.erase(it);
      else
        ++it;
    }
  }
  if (queue)
    queue->ForgetWindow(dialog);
  if (!last.empty())
    Write(last);
}

std::shared_ptr<MessageQueue> QueueOf(void* window) {
  std::lock_guard<std::mutex> lock(Table().mutex);
  const WindowState* state = Find(window);
  return state ? state->queue.lock() : nullptr;
}

bool ReadWindow(void* window, const std::function<void(const WindowState&)>& read) {
  std::lock_guard<std::mutex> lock(Table().mutex);
  const WindowState* state = Find(window);
  if (!state)
    return false;
  read(*state);
  return true;
}

bool ChangeWindow(void* window, const std::function<void(WindowState&)>& change) {
  std::lock_guard<std::mutex> lock(Table().mutex);
  WindowState* state = Find(window);
  if (!state)
    return false;
  change(*state);
  WindowState* dialog = state->parent ? Find(state->parent) : state;
  if (dialog)
    dialog->changed = true;
  return true;
}

bool DispatchToWindow(const fw::Message& message) {
  CDialog* dialog = nullptr;
  if (!ReadWindow(message.window, [&](const WindowState& state) { dialog = state.dialog; }) ||
      !dialog)
    return false;
  dialog->HandleMessage(message.message, message.wParam, message.lParam);
  DrawDialog(message.window);
  return true;
}

void DrawDialog(void* dialog) {
  if (!StderrIsTerminal())
    return;
  std::string text;
  {
    std::lock_guard<std::mutex> lock(Table().mutex);
    WindowState* state = Find(dialog);
    if (!state || !state->changed)
      return;
    state->changed = false;
    if (!state->visible || state->minimized) {
      if (state->drawn)
        text = "\r\x1b[K";  // hidden or minimized: the line goes away
      state->drawn = false;
    } else {
      text = "\r" + ComposeLine(Key(dialog), *state).substr(0, TerminalColumns() - 1) + "\x1b[K";
      state->drawn = true;
    }
  }
  if (!text.empty())
    Write(text);
}

}  // namespace fw_posix
