// The POSIX back end's window system: no windows on a screen, but the same contract.
//
// - Each thread that runs windows has a MessageQueue: posted messages in order, messages sent
//   from other threads (the sender blocks until the owning thread has handled them), and timers
//   that produce fw::kTimer at their interval when nothing else is waiting.
// - Windows live in one in-memory table: a dialog and its controls with their texts, show state
//   and progress range and position. A handle is a key of that table; a key whose window is
//   gone is never reused, so a stale handle finds nothing.
// - A dialog that is shown and not minimized is drawn as one refreshed line on stderr when
//   stderr is a terminal (caption, texts and a bar), and not drawn otherwise.
//
// Locks: a queue's mutex may be held while the table's mutex is taken, never the other way
// round. No lock is held while a handler runs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fw_message.h"

class CDialog;

namespace fw_posix {

class MessageQueue {
 public:
  // `owner` reads the queue and handles sent messages; an empty id until SetOwner.
  explicit MessageQueue(std::thread::id owner = std::thread::id()) : owner_(owner) {}

  void SetOwner(std::thread::id owner);
  // Appends a message; false once the queue is closed.
  bool Post(const fw::Message& message);
  // Has the owning thread handle `message` (at once when the caller is the owner) and waits for
  // it. False when its window is gone or the queue closes before it is handled.
  bool Send(const fw::Message& message);
  // Owning thread: handles waiting sent messages, then takes the next posted message or due
  // timer, waiting as long as needed. False when the message taken is a quit.
  bool Get(fw::Message* message);

  void SetTimer(void* window, std::uintptr_t id, unsigned milliseconds);
  bool KillTimer(void* window, std::uintptr_t id);
  // The window is gone: its timers stop and sends waiting for it fail.
  void ForgetWindow(void* window);
  // The owning thread ends: everything waiting fails, later posts and sends are refused.
  void Close();

 private:
  using Clock = std::chrono::steady_clock;
  struct PendingSend {
    fw::Message message;
    bool done = false;
    bool handled = false;
  };
  struct Timer {
    void* window;
    std::uintptr_t id;
    Clock::duration interval;
    Clock::time_point due;
  };

  // REQUIRES: mutex_ held.
  bool TakeDueTimer(fw::Message* message);
  void Answer(PendingSend& pending, bool handled);

  std::mutex mutex_;
  std::condition_variable arrived_;   // for the owner: a message, a send, a timer change
  std::condition_variable answered_;  // for senders: a send was handled or failed
  std::thread::id owner_;
  std::deque<fw::Message> posted_;
  std::deque<std::shared_ptr<PendingSend>> sent_;
  std::vector<Timer> timers_;
  bool closed_ = false;
};

// The calling thread's queue, made on first use (owned by the calling thread).
std::shared_ptr<MessageQueue> CurrentQueue();
// Makes `queue` the calling thread's queue: a user-interface thread's first step.
void SetCurrentQueue(std::shared_ptr<MessageQueue> queue);

// What the table keeps of a window.
struct WindowState {
  void* parent = nullptr;  // the dialog of a control; null for a dialog
  int controlId = 0;
  std::string controlClass;
  std::string text;
  bool visible = true;
  bool minimized = false;
  int lower = 0;
  int upper = 100;
  int position = 0;
  int step = 10;
  CDialog* dialog = nullptr;  // a dialog's object, which handles its messages
  std::weak_ptr<MessageQueue> queue;
  bool changed = true;  // a dialog: something to draw since the last drawing
  bool drawn = false;   // a dialog: its line is on the terminal
};

// A new dialog window for `dialog`, run by the calling thread's queue.
void* CreateDialogWindow(CDialog* dialog);
// The control `id` of the dialog, made (of `controlClass`) on first use; null without a dialog.
void* ChildWindow(void* dialog, int id, const char* controlClass);
// Destroys the dialog and its controls, after drawing its last line.
void DestroyDialogWindow(void* dialog);
// The queue that runs `window`, or null when the window is gone.
std::shared_ptr<MessageQueue> QueueOf(void* window);

// Calls `read` with the window's state under the table's lock; false when the window is gone.
bool ReadWindow(void* window, const std::function<void(const WindowState&)>& read);
// The same for a change; the window's dialog is then drawn again.
bool ChangeWindow(void* window, const std::function<void(WindowState&)>& change);

// Owning thread: hands `message` to its window's dialog and draws the dialog if it changed.
// False when the message has no window or the window is gone.
bool DispatchToWindow(const fw::Message& message);
// Draws the dialog if it changed since its last drawing (see the top of this file).
void DrawDialog(void* dialog);

}  // namespace fw_posix
