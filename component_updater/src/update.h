// The update run: open the update description, connect to the controller, and either update the
// components the description lists one by one, or hand the whole run to the platform update.
#pragma once

#include <map>
#include <string>

#include "MIniData_template_core.h"

class MTalkClient;

// One entry of the controller's component map: the component's name and its installed version.
using ComponentEntry = std::map<std::string, std::string>::value_type;

// Runs the update named by the run settings. True when the run succeeded; every failure leaves
// its reason in the error context for main to dump. A controller that fails while the run reads
// its maps ends the run with false and an error-log entry.
bool update();

// Brings `component` to the version of `section` of the description: sends the section's file
// under the progress dialog when the versions differ or the update is forced. True when no
// update was needed or the file was sent. `client` must be open.
bool update_component(MIniData& description, const ComponentEntry& component, const char* section,
                      MTalkClient* client);
