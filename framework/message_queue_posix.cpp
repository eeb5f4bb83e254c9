// The POSIX message queue: posted messages, sent messages that block their sender until the
// owning thread has handled them, and timers. As on Windows, a timer message is made only when
// no posted message waits, and a timer that fell behind does not pile up messages.
#include <algorithm>

#include "ui_posix.h"

namespace fw_posix {

namespace {
thread_local std::shared_ptr<MessageQueue> t_queue;
}

std::shared_ptr<MessageQueue> CurrentQueue() {
  if (!t_queue)
    t_queue = std::make_shared<MessageQueue>(std::this_thread::get_id());
  return t_queue;
}

void SetCurrentQueue(std::shared_ptr<MessageQueue> queue) {
  t_queue = std::move(queue);
}

void MessageQueue::SetOwner(std::thread::id owner) {
  std::lock_guard<std::mutex> lock(mutex_);
  owner_ = owner;
}

bool MessageQueue::Post(const fw::Message& message) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_)
    return false;
  posted_.push_back(message);
  arrived_.notify_all();
  return true;
}

bool MessageQueue::Send(const fw::Message& message) {
  auto pending = std::make_shared<PendingSend>();
  pending->message = message;
  std::unique_lock<std::mutex> lock(mutex_);
  if (owner_ == std::this_thread::get_id()) {
    lock.unlock();
    return DispatchToWindow(message);
  }
  // Checked under the queue's lock: a window destroyed after this check answers the send in
  // ForgetWindow, which needs this lock, so the send can never be left waiting.
  if (closed_ || !ReadWindow(message.window, [](const WindowState&) {}))
    return false;
  sent_.push_back(pending);
  arrived_.notify_all();
  answered_.wait(lock, [&] { return pending->done; });
  return pending->handled;
}

bool MessageQueue::Get(fw::Message* message) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (!sent_.empty()) {
      const std::shared_ptr<PendingSend> pending = sent_.front();
      sent_.pop_front();
      lock.unlock();
      const bool handled = DispatchToWindow(pending->message);
      lock.lock();
      Answer(*pending, handled);
      continue;
    }
    if (!posted_.empty()) {
      *message = posted_.front();
      posted_.pop_front();
      return message->message != fw::kQuit;
    }
    if (TakeDueTimer(message))
      return true;
    if (timers_.empty()) {
      arrived_.wait(lock);
    } else {
      const auto next =
          std::min_element(timers_.begin(), timers_.end(),
                           [](const Timer& a, const Timer& b) { return a.due < b.due; });
      arrived_.wait_until(lock, next->due);
    }
  }
}

bool MessageQueue::TakeDueTimer(fw::Message* message) {
  const Clock::time_point now = Clock::now();
  for (Timer& timer : timers_) {
    if (timer.due > now)
      continue;
    // Stay on the timer's grid; a timer more than one interval late skips what it missed.
    timer.due += timer.interval;
    if (timer.due <= now)
      timer.due = now + timer.interval;
    *message = fw::Message{timer.window, fw::kTimer, timer.id, 0};
    return true;
  }
  return false;
}

void MessageQueue::SetTimer(void* window, std::uintptr_t id, unsigned milliseconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Clock::duration interval = std::chrono::milliseconds(std::max(milliseconds, 1u));
  const Clock::time_point due = Clock::now() + interval;
  for (Timer& timer : timers_) {
    if (timer.window == window && timer.id == id) {
      timer.interval = interval;
      timer.due = due;
      arrived_.notify_all();
      return;
    }
  }
  timers_.push_back(Timer{window, id, interval, due});
  arrived_.notify_all();
}

bool MessageQueue::KillTimer(void* window, std::uintptr_t id) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto end = std::remove_if(timers_.begin(), timers_.end(), [&](const Timer& timer) {
    return timer.window == window && timer.id == id;
  });
  const bool found = end != timers_.end();
  timers_.erase(end, timers_.end());
  return found;
}

void MessageQueue::ForgetWindow(void* window) {
  std::lock_guard<std::mutex> lock(mutex_);
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const Timer& timer) { return timer.window == window; }),
                timers_.end());
  for (auto it = sent_.begin(); it != sent_.end();) {
    if ((*it)->message.window == window) {
      Answer(**it, false);
      it = sent_.erase(it);
    } else {
      ++it;
    }
  }
}

void MessageQueue::Close() {
  std::lock_guard<std::mutex> lock(mutex_);
  closed_ = true;
  for (const auto& pending : sent_)
    Answer(*pending, false);
  sent_.clear();
  posted_.clear();
  timers_.clear();
}

void MessageQueue::Answer(PendingSend& pending, bool handled) {
  pending.done = true;
  pending.handled = handled;
  answered_.notify_all();
}

}  // namespace fw_posix
