#!/usr/bin/env bash
# The main job, end to end: builds the program and the simulated controller (release build, no
# tests), starts the simulator on an example station, shows the plan of the update (--plan), runs
# the real update against it with the progress line on the terminal and its report (--report), and
# shows the outcome, what the controller received and what the report says.
#
#   scripts/demo.sh                                       per-component example
#   scripts/demo.sh DESCRIPTION [STATION]                 another description (and station), e.g.
#   scripts/demo.sh examples/platform/component_updates.ini examples/platform/station.ini
#
# Everything the run leaves (settings file, logs, journal, plan and report) is under build/demo/.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
description=$(realpath "${1:-examples/component_updates.ini}")
station=$(realpath "${2:-examples/station.ini}")

scripts/install-tools.sh native || exit 1
cmake --preset release >/dev/null || exit 1
cmake --build build/release --target component_updater controller_sim >/dev/null || exit 1

demo=$root/build/demo
rm -rf "$demo"
mkdir -p "$demo/appdata"
# The program runs in a copy of the description's folder: per-component update files are found
# relative to it, platform update files relative to the current folder, and the operator texts
# are read from the current folder.
cp -r "$(dirname "$description")" "$demo/work"
cp component_updater/src/component_updater.loc "$demo/work/"

# Without --once: the simulator serves the plan and then the update.
build/release/tools/controller_sim/controller_sim --station "$station" --port 0 \
  --port-file "$demo/port" --journal "$demo/journal" 2>"$demo/controller_sim.log" &
sim=$!
trap 'kill $sim 2>/dev/null' EXIT
for _ in $(seq 100); do [ -s "$demo/port" ] && break; sleep 0.05; done
port=$(cat "$demo/port" 2>/dev/null) || { cat "$demo/controller_sim.log"; exit 1; }
head -n 1 "$demo/controller_sim.log"

run() {
  (cd "$demo/work" && TEVAR_CONFIGPATH="$demo/appdata" \
    "$root/build/release/component_updater/src/component_updater" \
    --file "$(basename "$description")" --host 127.0.0.1 --port "$port" "$@")
}
echo "(in $demo/work) component_updater --file $(basename "$description") --host 127.0.0.1 --port $port --plan"
run --plan --report "$demo/plan.json"
echo
echo "(in $demo/work) component_updater --file $(basename "$description") --host 127.0.0.1 --port $port --report $demo/report.json"
run --report "$demo/report.json"
status=$?
kill $sim 2>/dev/null
wait $sim 2>/dev/null
trap - EXIT

echo
if [ $status -eq 0 ]; then echo "Outcome: updated (exit status 0)"; else echo "Outcome: not updated (exit status $status)"; fi
echo
echo "What the controller received (its journal):"
awk -F'\t' '
  $1 == "SEND"        { printf "  sent       %-32s %10d bytes  crc32 %s\n", $2, $3, $4; next }
  $1 == "SEND_FAILED" { printf "  failed     %-32s %s\n", $2, $3; next }
  $1 == "RECEIVE"     { printf "  asked for  %s\n", $2; next }
  $1 == "SET"         { printf "  set        %s = %s\n", $2, $3; next }
                      { printf "  %s\n", $1 }' "$demo/journal"
logs=$demo/appdata/Tevar/Quorvex/Logs
echo
echo "What the program decided (from its trace):"
grep -E 'start updating|no update necessary|will be updated|will be excluded|not present|skip send' \
  "$logs/component_updater.trace.log" | sed -E 's/^.*\] /  /'
echo
echo "What the report says ($demo/report.json):"
/usr/bin/python3 - "$demo/report.json" <<'PY' || echo "  (python3 is needed to read the report)"
import json, sys
report = json.load(open(sys.argv[1]))
for c in report["components"]:
    print(f"  {c['verdict']:8} {c['name']:32} {c['outcome']:9} {c['bytes_sent']:>8} bytes  {c['reason']}")
print(f"  exit status {report['exit_status']}, {len(report['sends'])} sends, "
      f"{len(report['warnings'])} warnings, reason: {report['reason']}")
PY
echo
echo "Trace: $logs/component_updater.trace.log"
echo "Errors: $logs/component_updater.errors.log"
exit $status
