#include "box_watch.h"

#include <set>

#include "windows_of.h"

namespace probe {
namespace {

// A box is read this long after it was first seen, so that it has been drawn; an icon that cannot
// be told yet is looked at again until the box is this old.
constexpr DWORD kSettleMs = 200;
constexpr DWORD kIconPatienceMs = 2000;
// An answer that did not close the box is given again after this long.
constexpr DWORD kAnswerAgainMs = 2000;

bool IsIconControl(HWND control) {
  return ClassOf(control) == "Static" &&
         (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

std::string IconShown(HWND control, const IconSet& box_icons) {
  if (SendWithTimeout(control, STM_GETICON, 0, 0) == 0)
    return "none";
  RECT rect;
  Pixels shot;
  if (!GetWindowRect(control, &rect) || !CaptureScreen(rect, &shot))
    return "unknown";
  return box_icons.Identify(shot, rect.right - rect.left);
}

unsigned IconBits(const std::string& icon) {
  if (icon == "stop")
    return MB_ICONHAND;
  if (icon == "question")
    return MB_ICONQUESTION;
  if (icon == "exclamation")
    return MB_ICONEXCLAMATION;
  if (icon == "information")
    return MB_ICONASTERISK;
  return 0;
}

unsigned ButtonBits(const std::vector<std::pair<int, std::string>>& buttons) {
  std::set<int> ids;
  for (const auto& button : buttons)
    if (button.first != IDHELP)
      ids.insert(button.first);
  const struct {
    std::set<int> ids;
    unsigned bits;
  } kSets[] = {
      {{IDOK}, MB_OK},
      {{IDOK, IDCANCEL}, MB_OKCANCEL},
      {{IDABORT, IDRETRY, IDIGNORE}, MB_ABORTRETRYIGNORE},
      {{IDYES, IDNO, IDCANCEL}, MB_YESNOCANCEL},
      {{IDYES, IDNO}, MB_YESNO},
      {{IDRETRY, IDCANCEL}, MB_RETRYCANCEL},
      {{IDCANCEL, IDTRYAGAIN, IDCONTINUE}, MB_CANCELTRYCONTINUE},
  };
  unsigned bits = ids.size() == buttons.size() ? 0 : MB_HELP;
  for (const auto& set : kSets)
    if (set.ids == ids)
      bits |= set.bits;
  return bits;
}

std::string ButtonList(const BoxView& view) {
  std::string list;
  for (const auto& button : view.buttons)
    list += (list.empty() ? "" : ",") + button.second;
  return list.empty() ? "none" : list;
}

}  // namespace

BoxView ReadBox(HWND box, const IconSet& box_icons) {
  BoxView view;
  view.caption = TextOf(box);
  view.topmost = (GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  view.owned = GetWindow(box, GW_OWNER) != nullptr;
  view.icon = "none";
  bool have_text = false;
  for (HWND control : ChildrenOf(box)) {
    const std::string name = ClassOf(control);
    if (IsIconControl(control)) {
      view.icon = IconShown(control, box_icons);
    } else if (name == "Static" && !have_text) {
      view.text = TextOf(control);
      have_text = true;
    } else if (name == "Button" && IsWindowVisible(control)) {
      view.buttons.emplace_back(GetDlgCtrlID(control), TextOf(control));
    }
  }
  return view;
}

unsigned VisibleFlags(const BoxView& box) {
  return IconBits(box.icon) | ButtonBits(box.buttons) | (box.topmost ? MB_TOPMOST : 0);
}

void AddBoxIcons(IconSet* icons) {
  icons->AddSystem("stop", IDI_HAND);
  icons->AddSystem("question", IDI_QUESTION);
  icons->AddSystem("exclamation", IDI_EXCLAMATION);
  icons->AddSystem("information", IDI_ASTERISK);
}

BoxWatch::BoxWatch(Record* record, const IconSet* box_icons, const std::string& shots)
    : record_(record), box_icons_(box_icons), shots_(shots) {}

void BoxWatch::See(HWND box) {
  if (!IsWindowVisible(box))
    return;
  const DWORD now = GetTickCount();
  Seen& seen = boxes_[box];
  if (seen.first_seen == 0)
    seen.first_seen = now;
  const DWORD age = now - seen.first_seen;
  if (seen.answered) {
    if (now - seen.answered_at >= kAnswerAgainMs)
      Answer(box, ReadBox(box, *box_icons_), &seen);
    return;
  }
  if (age < kSettleMs)
    return;
  const BoxView view = ReadBox(box, *box_icons_);
  if (view.icon == "unknown" && age < kIconPatienceMs)
    return;  // not drawn yet
  Report(box, view);
  Answer(box, view, &seen);
}

void BoxWatch::Report(HWND box, const BoxView& view) {
  WriteBoxToStderr(view.caption, view.text);
  record_->Line("box [" + view.caption + "] flags=" + std::to_string(VisibleFlags(view)) +
                " icon=" + view.icon + " buttons=" + ButtonList(view) + " owner=" +
                (view.owned ? "yes" : "none") + " topmost=" + (view.topmost ? "yes" : "no"));
  RECT rect;
  Pixels shot;
  if (!shots_.empty() && GetWindowRect(box, &rect) && CaptureScreen(rect, &shot))
    SaveBmp(shot, shots_ + "\\box-" + std::to_string(++shot_count_) + ".bmp");
}

void BoxWatch::Answer(HWND box, const BoxView& view, Seen* seen) {
  // OK when the box has it, else its first button.
  int id = view.buttons.empty() ? IDOK : view.buttons.front().first;
  std::string name = view.buttons.empty() ? "OK" : view.buttons.front().second;
  for (const auto& button : view.buttons)
    if (button.first == IDOK) {
      id = IDOK;
      name = button.second;
    }
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
  if (!seen->answered)
    record_->Line("box [" + view.caption + "] answered " + name);
  seen->answered = true;
  seen->answered_at = GetTickCount();
}

void BoxWatch::Keep(const std::vector<HWND>& alive) {
  for (auto it = boxes_.begin(); it != boxes_.end();) {
    bool found = false;
    for (HWND window : alive)
      found = found || window == it->first;
    it = found ? std::next(it) : boxes_.erase(it);
  }
}

}  // namespace probe
