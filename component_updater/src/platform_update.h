// The platform update: discovers the controller's firmware components, orders them per machine
// and sends each its firmware and board-support modules under the rules of the update
// description.
#pragma once

#include "MIniData_template_core.h"

class MTalkClient;

// Runs the whole platform update over an opened description and a connected client. True when
// every group was gone through; false when the run was stopped. Exceptions of the machine-talk
// library from reading the controller's maps pass through to the caller.
bool PlatformUpdate(MIniData& description, MTalkClient* client);
