// The program's icon in the notification area, as far as the shell lets another program see it.
// Under Wine's virtual desktop, explorer draws a taskbar whose right end holds the icons, one
// square place each, from the right end leftwards; the probe tells each icon by its pixels. The
// icon's tip is the text of explorer's tooltip tool for the icons, read from explorer's memory.
// (Wine keeps that tool, with an empty place, after an icon is removed, and gives a later icon's
// tip to it; so the tool's text is the tip, but its place cannot be trusted and the pixels are
// used.) Every change is recorded. When asked the probe also uses the icon as an operator would: a
// double click, then a right click whose menu gets its first item chosen.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "icon_set.h"
#include "record.h"

namespace probe {

class TrayWatch {
 public:
  TrayWatch(Record* record, const IconSet* program_icons, bool use_icon);
  ~TrayWatch();
  TrayWatch(const TrayWatch&) = delete;
  TrayWatch& operator=(const TrayWatch&) = delete;

  // Looks at the notification area and records what changed.
  void Poll();
  // Called for each popup menu of the program: the icon's menu.
  void SeeMenu(HWND menu);

 private:
  using Place = std::pair<std::string, RECT>;  // the icon's name and its place in the taskbar

  bool Attach();
  bool AttachTips();
  std::vector<Place> IconsShown() const;
  std::string Tips();
  std::string ToolText(int index);
  void UseIcon(const Place& place);

  Record* record_;
  const IconSet* program_icons_;
  bool use_icon_;
  HWND taskbar_ = nullptr;
  HWND tips_ = nullptr;
  HANDLE explorer_ = nullptr;
  char* remote_ = nullptr;  // a page in explorer's memory for the tool records
  std::string last_;
  std::string unknown_state_;  // a state with an icon not told yet, and since when it stands
  DWORD unknown_since_ = 0;
  bool double_clicked_ = false;
  bool right_clicked_ = false;
  HWND menu_used_ = nullptr;
};

}  // namespace probe
