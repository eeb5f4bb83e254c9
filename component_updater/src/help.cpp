// The help text. "--version" is accepted but deliberately not listed.
#include "help.h"

const char kHelpText[] =
    "Program to install the firmware on a measuring station\n\nUsage: component_updater "
    "<options>\noptions:\n--update_file <filename> absolute path to the update file, that has to "
    "be sent. If not set or 'auto_update' is set, no update will be started and the program "
    "fails.\n--dir <path> path to the configuration file 'component_updates.ini' or to the file "
    "set with the --file argument.\n--file: <name> name of the configuration file, that have to "
    "be used. If not set, the filename 'component_updates.ini' will be used. The file have to be "
    "in the same folder or in folder path set with the --dir argument.\n--port: <portnumber> "
    "number of port, that have to be used for communication with the measurnig station. This "
    "argument overwrites possible configuration file settings.\n--host: <hostadress> host name, "
    "that have to be used for communication with the measurnig station. This argument overwrites "
    "possible configuration file settings.\n--silent: silent mode on\n--help: this help\n -?:    "
    "this help\n /?:    this help\n\nreturns:\n 0 ... update was successful\n 1 ... update was "
    "not successful";
