// The run from the command line to the exit status, and the drive-unit check it ends with.
#pragma once

namespace component_updater {

// Parses the options, stores the run settings, runs the update and tells the operator the
// outcome; returns 0 (help shown, or updated) or 1. `argv` ends with a null entry behind element
// argc - 1; parsing sets consumed elements to null. Called once, on the main thread, after
// start-up has created the text table, read the settings file and started the tray thread.
int main(int argc, char** argv);

}  // namespace component_updater

// True when the drive-unit configuration was sent in this run and the connected machine is one
// of the four drive-unit models: the operator must then switch the machine off and on.
bool IsDriveUnitMachine();
