// The program's message boxes. Each box is read once it has been up long enough to be drawn,
// written to stderr in the form the POSIX program uses ("[caption] text"), written to the record
// with what the operator sees of its flags, photographed when asked, and answered with OK.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "icon_set.h"
#include "record.h"

namespace probe {

// What a message box shows.
struct BoxView {
  std::string caption;
  std::string text;
  std::vector<std::pair<int, std::string>> buttons;  // visible buttons: id and text
  std::string icon;  // "none", "stop", "question", "exclamation", "information" or "unknown"
  bool topmost = false;
  bool owned = false;
};

BoxView ReadBox(HWND box, const IconSet& box_icons);
// The part of the MessageBox flags that the box shows: icon, buttons, help button, topmost.
// Task-modal and foreground requests leave no mark on the box itself.
unsigned VisibleFlags(const BoxView& box);

class BoxWatch {
 public:
  // `shots` names a folder for a BMP of each box ("" for none).
  BoxWatch(Record* record, const IconSet* box_icons, const std::string& shots);

  // Called for each message box of the program at every look.
  void See(HWND box);
  // Forgets the boxes that are not in `alive` any more.
  void Keep(const std::vector<HWND>& alive);

 private:
  struct Seen {
    DWORD first_seen = 0;
    DWORD answered_at = 0;
    bool answered = false;
  };
  void Report(HWND box, const BoxView& view);
  void Answer(HWND box, const BoxView& view, Seen* seen);

  Record* record_;
  const IconSet* box_icons_;
  std::string shots_;
  int shot_count_ = 0;
  std::map<HWND, Seen> boxes_;
};

// The standard box icons under the names ReadBox uses.
void AddBoxIcons(IconSet* icons);

}  // namespace probe
