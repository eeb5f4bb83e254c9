# The simulated controller for the package checks (scripts/check-deb.sh, scripts/check-msi.sh).
# Source it, then:
#
#   start_sim SIMULATOR STATION FOLDER   serves STATION once on a free port: sets SIM_PORT and
#                                        SIM_PID; the journal is FOLDER/journal
#   wait_for_journal FOLDER LINE         waits (up to 60 s) until the journal has a line
#                                        starting with LINE
#   sends_of FOLDER                      the names of the components the controller received

start_sim() {
  local sim=$1 station=$2 folder=$3
  mkdir -p "$folder" && rm -f "$folder/port" "$folder/journal"
  "$sim" --station "$station" --port 0 --port-file "$folder/port" --journal "$folder/journal" \
    --once 2>"$folder/controller_sim.log" &
  SIM_PID=$!
  SIM_PORT=
  # The port file appears complete or not at all; a loaded machine may take seconds to start.
  for _ in $(seq 600); do
    [ -s "$folder/port" ] && { SIM_PORT=$(cat "$folder/port"); return 0; }
    kill -0 "$SIM_PID" 2>/dev/null || break
    sleep 0.1
  done
  echo "  the simulator did not start (${folder}/controller_sim.log)"
  kill "$SIM_PID" 2>/dev/null
  return 1
}

wait_for_journal() {
  for _ in $(seq 600); do
    grep -q "^$2" "$1/journal" 2>/dev/null && return 0
    sleep 0.1
  done
  return 1
}

sends_of() {
  sed -n 's/^SEND\t\([^\t]*\).*/\1/p' "$1/journal" 2>/dev/null
}
