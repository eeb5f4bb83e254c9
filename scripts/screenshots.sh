#!/usr/bin/env bash
# Regenerates the screenshots in docs/: the progress dialog of a send and a message box, as the
# Windows program shows them under Wine on a virtual X display. The box probe takes the pictures
# (tools/box_probe, --shots) and scripts/bmp_to_png.py turns them into PNG files.
#
#   scripts/screenshots.sh     builds what it needs (the windows and native presets) first
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/wine-env.sh
shots=$root/build/screenshots
windows=$root/build/windows
sim=$root/build/native/tools/controller_sim/controller_sim

cmake --preset windows >/dev/null && cmake --build build/windows --target component_updater box_probe >/dev/null &&
  cmake --preset native >/dev/null && cmake --build build/native --target controller_sim >/dev/null || exit 1
rm -rf "$shots"
mkdir -p "$shots/send/pictures" "$shots/box/pictures"

# A send of 5 s expected to take 10 s: the dialog comes up at 10 % and is caught on its way.
cat >"$shots/send/station.ini" <<'INI'
[machine]
name = Bench 7
[components]
plc = 3.0.2
[after_send]
plc = 3.1.0
[faults]
send_seconds = 5
INI
cp examples/files/plc_3.1.0.bin "$shots/send/plc.bin"
for dir in send box; do cp component_updater/src/component_updater.loc "$shots/$dir/"; done
"$sim" --station "$shots/send/station.ini" --port 0 --port-file "$shots/send/port" --once \
  2>"$shots/send/controller_sim.log" &
for _ in $(seq 100); do [ -s "$shots/send/port" ] && break; sleep 0.05; done
cat >"$shots/send/component_updates.ini" <<INI
[connection]
type = tcpip
host = 127.0.0.1
port = $(cat "$shots/send/port")
[plc]
version = 3.1.0
file = plc.bin
duration = 10
INI

probe="$windows/tools/box_probe/box_probe.exe --program $windows/component_updater/src/component_updater.exe"
xvfb-run -a -s "-screen 0 1280x1024x24" bash -c "
  source scripts/wine-env.sh; start_wine '$windows/wineprefix' desktop
  cd '$shots/send' && wine $probe --shots pictures -- component_updater
  cd '$shots/box' && wine $probe --shots pictures -- component_updater --file
  stop_wine" >"$shots/wine.log" 2>&1
wait

# The third restored picture of the dialog (20 %), and the first box (the syntax error).
convert() {
  [ -f "$1" ] || { echo "no picture $1 (see $shots/wine.log)" >&2; exit 1; }
  scripts/bmp_to_png.py "$1" "$2" && echo "wrote $2"
}
convert "$shots/send/pictures/dialog-3.bmp" docs/screenshot_progress_dialog.png
convert "$shots/box/pictures/box-1.bmp" docs/screenshot_message_box.png
