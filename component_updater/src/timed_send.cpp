// The timed send: the progress dialog around one Send, with the optional wait after it; and the
// two ways every send of the program ends up in the run record.
#include "timed_send.h"

#include <chrono>

#include "CBusy.h"
#include "errtrace.h"
#include "msleep_sec.h"
#include "mtalkclient.h"
#include "run_record.h"
#include "run_settings.h"

bool PlanSend(const std::string& component, std::size_t bytes, double duration) {
  TheRunRecord().NoteSend(component, bytes, duration, std::nullopt, Outcome::kPlanned,
                          std::nullopt);
  return true;
}

bool RecordedSend(MTalkClient* client, const std::string& component, std::string data,
                  double duration) {
  const std::size_t bytes = data.size();
  const auto start = std::chrono::steady_clock::now();
  const bool sent = client->Send(component.c_str(), std::move(data));
  const std::chrono::duration<double> taken = std::chrono::steady_clock::now() - start;
  TheRunRecord().NoteSend(
      component, bytes, duration, taken.count(), sent ? Outcome::kSent : Outcome::kFailed,
      sent ? std::nullopt : std::optional<std::string>(client->LastLinkError()));
  return sent;
}

bool StartSendAndShowBusyThread(const std::string& title, const std::string& text, double duration,
                                MTalkClient* client, const std::string& component,
                                const std::string& data, bool wait_after_send) {
  const RunSettings& settings = TheRunSettings();
  if (wait_after_send) {
    MTRACE(4, "%.3f sec sleep for send to: %s calculated.", kWaitAfterSendSeconds,
           component.c_str());
    duration += kWaitAfterSendSeconds;
  }
  if (TheRunRecord().IsPlanning())
    return PlanSend(component, data.size(), duration);
  // The dialog stops and its thread ends on every way out, also when the copy of the data below
  // cannot be made (the destructor stops without saving).
  CBusy busy(settings.settingsFilePath.c_str());
  busy.SaveDuration(duration);
  busy.Start(text.c_str(), settings.programTitle.c_str(), title.c_str());
  const bool sent = RecordedSend(client, component, data, duration);
  if (!sent)
    MERRTRACE("%s: Send() failed for:%s", "StartSendAndShowBusyThread", component.c_str());
  if (wait_after_send)
    msleep_sec(kWaitAfterSendSeconds);
  busy.Stop(true);
  return sent;
}
