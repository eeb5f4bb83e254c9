// The progress controller: the durations file, and starting and stopping the busy thread.
#include "CBusy.h"

#include "CBusyThread.h"
#include "MIniData_template_core.h"
#include "errtrace.h"
#include "msleep_sec.h"

namespace {
constexpr char kDefaultDurationsFile[] = "busy_thread.ini";
constexpr char kSection[] = "busy_thread";
constexpr char kEntry[] = "duration";
constexpr double kDefaultDuration = 120.0;  // for a duration of 0
}  // namespace

CBusy::CBusy(const char* durationsFile)
    : m_durationsFile(durationsFile ? durationsFile : kDefaultDurationsFile) {}

CBusy::~CBusy() {
  Stop(false);
}

double CBusy::GetDuration() {
  MErrTraceScope context;
  MIniData mid;
  if (!mid.Open(m_durationsFile.c_str())) {
    MERRDUMP("GetDuration() mid.Open(%.120s) failed", m_durationsFile.c_str());
  } else {
    double value = 0.0;
    if (mid.GetDoubleEntry(kSection, kEntry, &value))
      m_duration = value;
    else
      MERRDUMP("GetDoubleEntry() failed");
  }
  if (m_duration == 0.0)
    m_duration = kDefaultDuration;
  return m_duration;
}

void CBusy::SaveDuration(double seconds) {
  m_duration = seconds;
  MErrTraceScope context;
  MIniData mid;
  if (!mid.Open(m_durationsFile.c_str())) {
    MERRDUMP("SaveDuration() mid.Open(%.120s) failed", m_durationsFile.c_str());
    return;
  }
  if (!mid.SetDoubleEntry(kSection, kEntry, seconds)) {
    MERRDUMP("SaveDuration(): SetDoubleEntry() failed");
    return;
  }
  if (!mid.Save())
    MERRDUMP("SaveDuration(): mid.Save() failed");
}

void CBusy::Start(const char* caption, const char* upperText, const char* lowerText) {
  Stop(false);
  auto* thread = new CBusyThread;
  if (!thread->CreateThread()) {
    delete thread;
    MERRLOG("CBusy::Start(): CreateThread() failed");
    return;
  }
  // Everything the dialog reads is in place before the thread runs.
  thread->SetDuration(GetDuration());
  if (caption)
    thread->SetCaption(caption);
  if (upperText)
    thread->SetUpperText(upperText);
  if (lowerText)
    thread->SetLowerText(lowerText);
  thread->ResumeThread();
  m_pThread = thread;
}

void CBusy::Stop(bool save) {
  if (!m_pThread)
    return;
  CBusyThread* const thread = m_pThread;
  m_pThread = nullptr;
  if (save)
    SaveDuration(BusyModel::WholeSeconds(thread->GetElapsedTime()));
  thread->CloseDialog();
  while (!thread->IsFinished())
    msleep_sec(1.0);
  // The thread deletes itself once its message loop has the quit message.
  if (!thread->PostQuit())
    MERRLOG("CBusy::Stop(): PostThreadMessage() failed");
}
