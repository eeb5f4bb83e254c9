// The progress controller of a send: it keeps the expected duration of sends in a durations
// file, shows the progress dialog on a busy thread of its own while the send runs, and writes
// the measured duration back.
//
//   CBusy busy(settingsFilePath.c_str());
//   busy.SaveDuration(expectedSeconds);
//   busy.Start(caption, upperText, lowerText);
//   ... the send blocks this thread ...
//   busy.Stop(true);
//
// The file keeps the value as [busy_thread] duration. Failures to read or write it are dumped
// to the error log and never stop the send. A CBusy belongs to the thread that sends; it runs one
// busy thread at a time.
#pragma once

#include <string>

class CBusyThread;

class CBusy {
 public:
  // `durationsFile` null: "busy_thread.ini" in the current folder.
  explicit CBusy(const char* durationsFile = nullptr);
  // Stop(false).
  virtual ~CBusy();
  CBusy(const CBusy&) = delete;
  CBusy& operator=(const CBusy&) = delete;

  // The expected duration: [busy_thread] duration from the file, else the one kept in memory;
  // 0 becomes 120 s. Reading failures dump the error context (the kept value stands).
  double GetDuration();
  // Keeps `seconds` and writes it to the file; failures dump the error context.
  void SaveDuration(double seconds);

  // Shows the progress dialog on a new busy thread, running against GetDuration(). A null text
  // leaves that text of the dialog empty. A busy thread still running is stopped first.
  void Start(const char* caption = nullptr, const char* upperText = nullptr,
             const char* lowerText = nullptr);
  // Ends the dialog and the busy thread; with `save`, first saves the elapsed time rounded to
  // whole seconds. Waits for a minimized dialog to restore itself (at 1.5 s) and then polls the
  // thread's end once a second. Nothing happens without a running thread.
  void Stop(bool save);

  // The running busy thread, or null.
  CBusyThread* GetThread() const { return m_pThread; }

 private:
  double m_duration = 0.0;
  std::string m_durationsFile;
  CBusyThread* m_pThread = nullptr;
};
