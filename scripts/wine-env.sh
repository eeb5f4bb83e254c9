# The Wine set-up shared by the Windows tests (scripts/test.sh), the screenshots
# (scripts/screenshots.sh) and the package check (scripts/package.sh). Source it, then inside an
# X session (xvfb-run):
#
#   start_wine PREFIX [desktop]   a quiet prefix (created the first time) with a persistent server
#                                 (and a virtual desktop that stays open while the server runs)
#   stop_wine                     ends the prefix's server and everything it runs
#
# Quiet and self-contained: no debug output, and no Mono or Gecko installer is ever offered.

start_wine() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=d;mshtml=d"
  mkdir -p "$WINEPREFIX"
  wineserver -p
  # Boot the prefix (creating it the first time) with its services detached from our output:
  # a service started by the first test would inherit ctest's pipe and keep the test "running".
  wineboot -i >/dev/null 2>&1 </dev/null
  [ "${2:-}" = desktop ] && { use_virtual_desktop; hold_desktop; }
  return 0
}

# A virtual desktop: Wine then draws window frames and a taskbar with a notification area itself,
# which the box probe reads, and it does not wait ~2 s for a window manager whenever a minimized
# dialog goes away (bare Xvfb has none). Explorer reads the setting when it starts, so the first
# time the server is started once more.
use_virtual_desktop() {
  local key='HKCU\Software\Wine\Explorer'
  wine reg query "$key" /v Desktop >/dev/null 2>&1 </dev/null && return 0
  wine reg add "$key" /v Desktop /d Default /f >/dev/null 2>&1 </dev/null
  wine reg add "$key\\Desktops" /v Default /d 1024x768 /f >/dev/null 2>&1 </dev/null
  wineserver -k; wineserver -w
  wineserver -p
  wineboot >/dev/null 2>&1 </dev/null
}

# Keeps the virtual desktop open until stop_wine. Wine closes a desktop a second after its last
# program has ended and opens a new one for the next program; a program that starts while the old
# desktop is closing gets a desktop window that is already gone and dies of an X error (BadWindow).
# A console program waiting on a pipe that nobody writes to stays on the desktop until the server
# ends.
hold_desktop() {
  local pipe=$WINEPREFIX/desktop-hold
  rm -f "$pipe" && mkfifo "$pipe" || return 1
  exec {desktop_hold}<>"$pipe"
  wine cmd /c pause <"$pipe" >/dev/null 2>&1 &
}

stop_wine() {
  wineserver -k 2>/dev/null || true
  rm -f "$WINEPREFIX/desktop-hold"
}
