// Icons known by name, to tell which of them a window shows: the system's box icons, and the
// program's own icons read from its executable. A window's icon is judged from the display
// (screen_pixels.h): each known icon is drawn over the same background in every variant the window
// system may have used, and the one that covers the shot best names it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "screen_pixels.h"

namespace probe {

class IconSet {
 public:
  IconSet() = default;
  ~IconSet();
  IconSet(const IconSet&) = delete;
  IconSet& operator=(const IconSet&) = delete;

  // A system icon (IDI_...), shared by every process.
  void AddSystem(const std::string& name, LPCSTR id);
  // Icon resource `id` of `module` (the program loaded as a data file), at its large and small
  // sizes: a window may draw either, scaled to the size it shows.
  void AddResource(const std::string& name, HMODULE module, int id);

  // The name of the icon that `shot` shows at `size` x `size` somewhere inside it, or "unknown"
  // when no known icon matches 90 % of its pixels or better. The shot's top-left pixel is taken
  // as the background.
  std::string Identify(const Pixels& shot, int size) const;

 private:
  struct Entry {
    std::string name;
    std::vector<HICON> variants;
  };
  std::vector<Entry> entries_;
  std::vector<HICON> owned_;
};

}  // namespace probe
