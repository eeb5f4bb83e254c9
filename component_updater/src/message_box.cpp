// The silent-mode rule in front of the platform's message box, and the note of every box in the
// run record. A plan shows no box: it lists them.
#include "message_box.h"

#include "run_record.h"
#include "run_settings.h"

int ShowMessageBox(const char* text, const char* caption, unsigned flags) {
  RunRecord& record = TheRunRecord();
  const bool shown = !TheRunSettings().silent && !record.IsPlanning();
  record.NoteBox(caption, text, flags, shown);
  if (!shown)
    return 1;  // the answer OK
  return ShowPlatformMessageBox(text, caption, flags);
}
