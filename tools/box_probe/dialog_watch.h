// The program's progress dialogs, followed over their life: shown (minimized or restored, with
// caption, texts, and whether it offers a close box), every change of state, caption or bar, and
// closed (with the last state seen while it was shown). A dialog that comes and goes between two
// looks (a send that ends before its dialog is up closes it at once) leaves no trace, as it
// leaves none for the operator. When asked, Enter and Escape are pressed in each dialog once
// it is restored, to show that the operator cannot end it; and each restored state is
// photographed.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "icon_set.h"
#include "record.h"

namespace probe {

struct DialogView {
  bool readable = false;  // the window answered; false while it goes away
  bool visible = false;
  bool minimized = false;
  std::string caption;
  int position = 0;
  int upper = 0;  // the bar's upper end; its lower end is 0 in the program's dialog
  std::string upper_text;
  std::string lower_text;
};

class DialogWatch {
 public:
  // `program_icons` knows the program's icon 101; `shots` names a folder for BMPs ("" for none).
  DialogWatch(Record* record, const IconSet* program_icons, const std::string& shots,
              bool press_keys);

  // Called for each progress dialog of the program at every look.
  void See(HWND dialog);
  // Reports as closed every dialog not in `alive`.
  void Keep(const std::vector<HWND>& alive);

 private:
  struct Followed {
    DialogView last;
    bool shown = false;
    bool keys_pressed = false;
    bool icon_reported = false;
  };
  void ReportShown(const DialogView& view, bool close_box);
  void ReportIcon(HWND dialog, Followed* followed);
  void PressKeys(HWND dialog);
  void Photograph(HWND dialog);

  Record* record_;
  const IconSet* program_icons_;
  std::string shots_;
  bool press_keys_;
  int shot_count_ = 0;
  std::map<HWND, Followed> dialogs_;
};

}  // namespace probe
