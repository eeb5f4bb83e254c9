#include "dialog_watch.h"

#include <commctrl.h>

#include "windows_of.h"

namespace probe {
namespace {

// The dialog's controls: the texts above and below the bar.
constexpr int kUpperTextId = 1001;
constexpr int kLowerTextId = 1002;

HWND BarOf(HWND dialog) {
  for (HWND child : ChildrenOf(dialog))
    if (ClassOf(child) == "msctls_progress32")
      return child;
  return nullptr;
}

// Read while the window lives; a window that is going away (hidden by the end of its dialog, or
// destroyed while being read) is not readable, and the sample is dropped.
DialogView ReadDialog(HWND dialog) {
  DialogView view;
  view.visible = IsWindowVisible(dialog) != FALSE;
  view.minimized = IsIconic(dialog) != FALSE;
  view.caption = TextOf(dialog);
  view.upper_text = TextOf(GetDlgItem(dialog, kUpperTextId));
  view.lower_text = TextOf(GetDlgItem(dialog, kLowerTextId));
  HWND bar = BarOf(dialog);
  if (!bar)
    return view;
  view.position = static_cast<int>(SendWithTimeout(bar, PBM_GETPOS, 0, 0, -1));
  view.upper = static_cast<int>(SendWithTimeout(bar, PBM_GETRANGE, FALSE, 0, -1));
  view.readable =
      view.visible && view.position >= 0 && view.upper >= 0 && IsWindow(dialog) != FALSE;
  return view;
}

bool operator!=(const DialogView& a, const DialogView& b) {
  return a.visible != b.visible || a.minimized != b.minimized || a.caption != b.caption ||
         a.position != b.position || a.upper != b.upper;
}

std::string State(const DialogView& view) {
  return view.minimized ? "minimized" : "restored";
}

// "restored "caption [50%]" bar 30/40"
std::string Describe(const DialogView& view) {
  return State(view) + " " + Quoted(view.caption) + " bar " + std::to_string(view.position) + "/" +
         std::to_string(view.upper);
}

void PostKey(HWND window, WPARAM key) {
  PostMessageA(window, WM_KEYDOWN, key, 1);
  PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

}  // namespace

DialogWatch::DialogWatch(Record* record, const IconSet* program_icons, const std::string& shots,
                         bool press_keys)
    : record_(record), program_icons_(program_icons), shots_(shots), press_keys_(press_keys) {}

void DialogWatch::See(HWND dialog) {
  const DialogView view = ReadDialog(dialog);
  if (!view.readable)
    return;
  Followed& followed = dialogs_[dialog];
  if (!followed.shown) {
    ReportShown(view, (GetWindowLongA(dialog, GWL_STYLE) & WS_SYSMENU) != 0);
    followed.shown = true;
  } else if (view != followed.last) {
    record_->Line("dialog " + Describe(view));
    if (!view.minimized)
      Photograph(dialog);
  }
  followed.last = view;
  if (view.minimized)
    return;
  if (!followed.icon_reported)
    ReportIcon(dialog, &followed);
  // Keys only once the dialog is drawn (its icon told), so the record's order does not vary.
  if (press_keys_ && followed.icon_reported && !followed.keys_pressed) {
    PressKeys(dialog);
    followed.keys_pressed = true;
  }
}

void DialogWatch::ReportShown(const DialogView& view, bool close_box) {
  record_->Line("dialog shown " + Describe(view) + " upper " + Quoted(view.upper_text) + " lower " +
                Quoted(view.lower_text) + " close-box=" + (close_box ? "yes" : "no"));
}

void DialogWatch::ReportIcon(HWND dialog, Followed* followed) {
  for (HWND child : ChildrenOf(dialog)) {
    if (ClassOf(child) != "Static" || (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
      continue;
    RECT rect;
    Pixels shot;
    if (!GetWindowRect(child, &rect) || !CaptureScreen(rect, &shot))
      return;
    const std::string icon = program_icons_->Identify(shot, rect.right - rect.left);
    if (icon == "unknown")
      return;  // not drawn yet: looked at again next time
    record_->Line("dialog icon " + icon);
    followed->icon_reported = true;
    return;
  }
}

void DialogWatch::PressKeys(HWND dialog) {
  // Straight into the dialog thread's queue, where its message loop meets them first.
  PostKey(dialog, VK_RETURN);
  PostKey(dialog, VK_ESCAPE);
  record_->Line("dialog keys Enter Escape pressed");
}

void DialogWatch::Photograph(HWND dialog) {
  RECT rect;
  Pixels shot;
  if (!shots_.empty() && GetWindowRect(dialog, &rect) && CaptureScreen(rect, &shot))
    SaveBmp(shot, shots_ + "\\dialog-" + std::to_string(++shot_count_) + ".bmp");
}

void DialogWatch::Keep(const std::vector<HWND>& alive) {
  for (auto it = dialogs_.begin(); it != dialogs_.end();) {
    bool found = false;
    for (HWND window : alive)
      found = found || window == it->first;
    if (!found && it->second.shown)
      record_->Line("dialog closed " + Describe(it->second.last));
    it = found ? std::next(it) : dialogs_.erase(it);
  }
}

}  // namespace probe
