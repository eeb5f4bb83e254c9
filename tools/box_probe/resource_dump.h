// The resources of a program's executable as text lines: icon groups, menus, dialog templates
// and the version block, read from the file (loaded as data, never run). The lines are exact
// (numbers, styles in hex, texts quoted), so a test can hold the expected resources as text.
#pragma once

#include <string>
#include <vector>

namespace probe {

// Icon groups `icons`, menus `menus`, dialogs `dialogs` and the version block of `program`, each
// line starting with "resource ". A resource that is missing gets a line saying so.
std::vector<std::string> DumpResources(const std::string& program, const std::vector<int>& icons,
                                       const std::vector<int>& menus,
                                       const std::vector<int>& dialogs);

}  // namespace probe
