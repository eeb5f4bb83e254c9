// The timed send: the progress dialog around one Send, with the optional wait after it.
#include "timed_send.h"

#include "CBusy.h"
#include "errtrace.h"
#include "msleep_sec.h"
#include "mtalkclient.h"
#include "run_settings.h"

bool StartSendAndShowBusyThread(const std::string& title, const std::string& text, double duration,
                                MTalkClient* client, const std::string& component,
                                const std::string& data, bool wait_after_send) {
  const RunSettings& settings = TheRunSettings();
  // The dialog stops and its thread ends on every way out, also when the copy of the data below
  // cannot be made (the destructor stops without saving).
  CBusy busy(settings.settingsFilePath.c_str());
  if (wait_after_send) {
    MTRACE(4, "%.3f sec sleep for send to: %s calculated.", kWaitAfterSendSeconds,
           component.c_str());
    duration += kWaitAfterSendSeconds;
  }
  busy.SaveDuration(duration);
  busy.Start(text.c_str(), settings.programTitle.c_str(), title.c_str());
  const bool sent = client->Send(component.c_str(), data);
  if (!sent)
    MERRTRACE("%s: Send() failed for:%s", "StartSendAndShowBusyThread", component.c_str());
  if (wait_after_send)
    msleep_sec(kWaitAfterSendSeconds);
  busy.Stop(true);
  return sent;
}
