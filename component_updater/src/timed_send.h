// The timed send of the platform update: one Send of the machine-talk client wrapped in the
// progress dialog, whose bar runs against the expected duration (not the transfer). The
// expected duration is written to the program settings file before the send and the measured
// one after it. The platform update, the fallback for erroneous components and the BSP module
// update all send through here.
//
// Main thread only; blocks for the send, the optional wait after it and the closing of the
// dialog, so no two sends ever overlap.
#pragma once

#include <cstddef>
#include <string>

class MTalkClient;

// The wait after a send to a firmware component that takes BSP modules itself.
constexpr double kWaitAfterSendSeconds = 6.0;

// The send of a plan: noted in the run record as planned, and nothing else (no dialog, no
// transfer, no wait, no learned duration). Answers true: a plan assumes that every send succeeds.
bool PlanSend(const std::string& component, std::size_t bytes, double duration);

// One Send of the client, timed and noted in the run record with its outcome (and the library's
// text when it failed). Answers the client's result.
bool RecordedSend(MTalkClient* client, const std::string& component, std::string data,
                  double duration);

// Sends a copy of `data` to `component` while the progress dialog shows `text` as its caption,
// the program title above and `title` below. With `wait_after_send` the dialog runs 6 seconds
// longer and the call waits 6 seconds after the send. Answers the result of the send; a failed
// send adds the error-trace entry "StartSendAndShowBusyThread: Send() failed for:<component>".
// In a plan only the wait's trace is written and the send is noted (PlanSend).
bool StartSendAndShowBusyThread(const std::string& title, const std::string& text, double duration,
                                MTalkClient* client, const std::string& component,
                                const std::string& data, bool wait_after_send);
