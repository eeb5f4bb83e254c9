#include "icon_set.h"

namespace probe {
namespace {

constexpr double kMinShare = 0.9;

}  // namespace

IconSet::~IconSet() {
  for (HICON icon : owned_)
    DestroyIcon(icon);
}

void IconSet::AddSystem(const std::string& name, LPCSTR id) {
  if (HICON icon = LoadIconA(nullptr, id))
    entries_.push_back({name, {icon}});
}

void IconSet::AddResource(const std::string& name, HMODULE module, int id) {
  Entry entry{name, {}};
  for (const int size : {GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CXSMICON)}) {
    HICON icon = static_cast<HICON>(
        LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (!icon)
      continue;
    entry.variants.push_back(icon);
    owned_.push_back(icon);
  }
  if (!entry.variants.empty())
    entries_.push_back(entry);
}

std::string IconSet::Identify(const Pixels& shot, int size) const {
  if (shot.width == 0 || shot.height == 0)
    return "unknown";
  std::string best_name = "unknown";
  double best = kMinShare;
  for (const Entry& entry : entries_)
    for (HICON icon : entry.variants) {
      const double share = BestMatch(shot, RenderIcon(icon, size, size, shot.At(0, 0)));
      if (share >= best) {
        best = share;
        best_name = entry.name;
      }
    }
  return best_name;
}

}  // namespace probe
