// Resource ids of the program: icons, the tray menu, the progress dialog and its controls.
// Shared by the resource script and the C++ code (plain #defines, so windres reads it too).
#pragma once

#define IDI_PROGRAM 101         // program icon, class icon of the hidden windows
#define IDR_TRAY_MENU 102       // tray menu: popup "QUORVEX_MENU" with "E&xit"
#define IDI_TRAY_CONNECTED 105  // tray icon while the machine connection stands
#define IDI_TRAY_IDLE 106       // tray icon when idle
#define IDD_BUSY_DIALOG 107     // progress dialog

#define IDC_BUSY_PROGRESS 1000    // progress bar of the progress dialog
#define IDC_BUSY_UPPER_TEXT 1001  // upper text: the program title
#define IDC_BUSY_LOWER_TEXT 1002  // lower text: what is being sent

#define ID_TRAY_EXIT 40001  // "E&xit" of the tray menu
