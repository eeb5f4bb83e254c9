// The progress dialog of a send (dialog template 107): a bar that advances with time towards
// the expected duration and halts at 99 % until the sending side closes the dialog. It starts
// minimized and restores itself after 1.5 s, so sends that end sooner never show more than that.
// The operator has no button or key to end it.
//
// Threads: the texts and the duration are set before the dialog's thread runs; the dialog runs
// on that thread (DoModal); Close, GetElapsedTime and HasWindow may be called from any thread.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "BusyModel.h"
#include "CDialog.h"

class CBusyDialog : public CDialog {
 public:
  CBusyDialog();
  ~CBusyDialog() override;

  // Caption, upper and lower text: each shown only when not empty. A null text is empty.
  void SetCaption(const char* text) { m_caption = text ? text : ""; }
  void SetUpperText(const char* text) { m_upperText = text ? text : ""; }
  void SetLowerText(const char* text) { m_lowerText = text ? text : ""; }
  // Stores the expected duration; with a window, the bar's range follows it.
  void SetDuration(double seconds);
  double GetElapsedTime() const { return m_model.ElapsedSeconds(); }

  // Puts "caption [n%]" into the window's caption and answers n.
  int UpdateTitle();

  // Any thread: ends the dialog. With a window: waits (blocked, not polling) until it is not
  // minimized, then sends it the OK command and waits until that was handled. Without a window
  // yet: leaves a close request that the window takes up as soon as it exists, and returns.
  // After the window has ended: nothing.
  void Close();
  // Any thread: true while the window exists.
  bool HasWindow() const;

  const BusyModel& model() const { return m_model; }

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  bool PreTranslateMessage(const fw::Message& message) override;
  bool OnInitDialog() override;
  void OnOK() override;
  void OnTimer(std::uintptr_t id) override;
  void OnDestroy() override;

 private:
  static constexpr std::uintptr_t kTimerId = 1;

  // Makes the window known to Close, or closes it at once when Close came first.
  void PublishWindow();
  // Wakes a Close that waits for the window to be restored or gone.
  void NotifyWindowChanged();

  std::string m_caption;
  std::string m_upperText;
  std::string m_lowerText;
  BusyModel m_model;
  std::uintptr_t m_timer = 0;
  CStatic m_upperStatic;
  CProgressCtrl m_progress;
  CStatic m_lowerStatic;

  // The close handshake: the window as Close may use it (null before it exists and once it is
  // going), and a close request made while there was none.
  mutable std::mutex m_windowMutex;
  std::condition_variable m_windowChanged;
  void* m_window = nullptr;
  bool m_closeRequested = false;
};
