#!/usr/bin/env bash
# Every test of the project: installs missing tools (as root), builds the native, asan, tsan and
# windows configurations and runs their suites (the Windows ones under Wine), builds and checks the
# operator packages (scripts/package.sh), rolls an update out over simulated stations with Ansible
# (scripts/fleet-demo.sh --test), then runs each fuzz target for FUZZ_SECONDS (default 30).
# Ends with one line "N passed, N failed".
#
#   scripts/test.sh              everything
#   SUITES="native asan" scripts/test.sh   a subset (native asan tsan windows package fleet fuzz)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
FUZZ_SECONDS=${FUZZ_SECONDS:-30}
SUITES=${SUITES:-native asan tsan windows package fleet fuzz}
jobs=$(nproc 2>/dev/null || echo 2)

scripts/install-tools.sh || exit 1

passed=0
failed=0
failures=()

note() { printf '\n=== %s ===\n' "$*"; }

# Adds the counts of a ctest run (from its summary line) to the totals.
count_ctest() {
  local log=$1 name=$2 line total bad
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    failed=$((failed + 1)); failures+=("$name: no test ran"); return
  fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  [ "$bad" -eq 0 ] || failures+=("$name: $bad failed")
}

build() {
  local preset=$1
  cmake --preset "$preset" >"build/$preset.configure.log" 2>&1 || { cat "build/$preset.configure.log"; return 1; }
  cmake --build "build/$preset" -j "$jobs"
}

# The tsan tree builds only the programs of its threaded suites (the test programs name their
# tests; the scenario shards are one program), with what they depend on.
build_threaded() {
  local targets
  cmake --preset tsan >build/tsan.configure.log 2>&1 || { cat build/tsan.configure.log; return 1; }
  targets=$(ctest --test-dir build/tsan -N -L threaded |
              sed -nE 's/^ *Test +#[0-9]+: ([A-Za-z0-9_]+)$/\1/p' | sed -E 's/_shard[0-9]+$//' | sort -u)
  [ -n "$targets" ] || { echo "tsan: no threaded suite"; return 1; }
  cmake --build build/tsan -j "$jobs" --target $targets
}

run_ctest() {
  local preset=$1; shift
  local log="build/$preset/ctest.log"
  # Twice as many tests at once as there are cores: the end-to-end tests mostly wait (every run of
  # the program ends with its one-second shutdown wait), and each has its own folder and port.
  ctest --test-dir "build/$preset" --output-on-failure -j "$((2 * jobs))" "$@" 2>&1 | tee "$log"
  count_ctest "$log" "$preset"
}

# The first X display number from $1 on that no server holds.
free_display() {
  local n=$1
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  echo "$n"
}

# Runs ctest on the Windows tree ($3...: its test selection) under Wine on X display $1, with a
# Wine server of its own for prefix build/windows/$2, logging to build/windows/ctest-$1.log.
# Progress dialogs, tray icons and boxes are real windows: the box probe of the scenarios reads
# the display and its notification area, which must be its program's, so each display runs its
# tests one at a time.
wine_ctest() {
  local display=$1 prefix=$root/build/windows/$2; shift 2
  xvfb-run -n "$display" -s "-screen 0 1280x1024x24" bash -c \
    'source scripts/wine-env.sh; start_wine "$0" desktop
     ctest --test-dir build/windows --output-on-failure "$@"; rc=$?; stop_wine; exit $rc' \
    "$prefix" "$@" >"build/windows/ctest-$display.log" 2>&1
}

# Adds the PASS:/FAIL: lines of a suite's log to the totals. A suite without a FAIL line that
# printed no PASS line or ended with a status other than 0 ($3) broke off: one failure.
count_checks() {
  local log=$1 name=$2 status=$3 bad
  passed=$((passed + $(grep -c '^PASS: ' "$log")))
  bad=$(grep -c '^FAIL: ' "$log")
  if [ "$bad" -eq 0 ] && { [ "$status" -ne 0 ] || ! grep -q '^PASS: ' "$log"; }; then bad=1; fi
  failed=$((failed + bad))
  [ "$bad" -eq 0 ] || failures+=("$name: $bad failed")
}

# Runs one fuzz target for FUZZ_SECONDS on its corpus and seeds; its exit status tells whether it
# found a fault.
fuzz_one() {
  local target=$1 name corpus seeds
  name=$(basename "$target")
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  seeds="fuzz/seeds/${name%_fuzz}"
  [ -d "$seeds" ] || seeds=""
  "$target" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=4096 \
    -artifact_prefix="build/fuzz/$name-" "$corpus" $seeds >"build/fuzz/$name.log" 2>&1
}

# The targets run as many at once as there are cores (each fuzzer is one busy thread).
run_fuzzers() {
  local target name pids=() names=() i
  for target in build/fuzz/fuzz/*_fuzz; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    echo "fuzzing $name for ${FUZZ_SECONDS}s"
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
    fuzz_one "$target" & pids+=($!); names+=("$name")
  done
  for i in "${!pids[@]}"; do
    if wait "${pids[$i]}"; then
      passed=$((passed + 1))
    else
      tail -n 40 "build/fuzz/${names[$i]}.log"
      failed=$((failed + 1)); failures+=("fuzz: ${names[$i]} found a fault (build/fuzz/${names[$i]}.log)")
    fi
  done
}

mkdir -p build
for suite in $SUITES; do
  case $suite in
    native|asan)
      note "$suite: build"
      if build "$suite"; then note "$suite: tests"; run_ctest "$suite"
      else failed=$((failed + 1)); failures+=("$suite: build failed"); fi ;;
    tsan)
      note "tsan: build and the threaded suites"
      if build_threaded; then run_ctest tsan -L threaded
      else failed=$((failed + 1)); failures+=("tsan: build failed"); fi ;;
    windows)
      note "windows: cross build"
      if build windows; then
        note "windows: tests under Wine, on two virtual displays side by side"
        # The Windows end-to-end tests talk to the native simulator, which Wine runs from its Z: path.
        sim="$root/build/native/tools/controller_sim/controller_sim"
        [ -x "$sim" ] || { build native >/dev/null || true; }
        export CONTROLLER_SIM="$sim"
        # The first half of the scenarios runs on a display of its own while the second display
        # runs the other half and every other test (about as long); the reports of both halves are
        # validated once both have ended.
        first=$(free_display 99)
        wine_ctest "$first" wineprefix -R '^scenario_runner_test$' &
        second=$(free_display $((first + 1)))
        wine_ctest "$second" wineprefix2 -E '^(scenario_runner_test|scenario_reports_valid)$' &
        wait
        ctest --test-dir build/windows --output-on-failure -R '^scenario_reports_valid$' \
          >"build/windows/ctest-reports.log" 2>&1
        for log in "$first" "$second" reports; do
          cat "build/windows/ctest-$log.log"
          count_ctest "build/windows/ctest-$log.log" windows
        done
      else failed=$((failed + 1)); failures+=("windows: build failed"); fi ;;
    package)
      note "package: the MSI in a fresh Wine prefix, the Debian package with dpkg, the archives"
      scripts/package.sh 2>&1 | tee build/package.log
      passed=$((passed + $(grep -c '^PASS: ' build/package.log)))
      bad=$(grep -c '^FAIL: ' build/package.log)
      grep -q '^PASS: ' build/package.log || bad=$((bad + 1))  # not even one check ran
      failed=$((failed + bad))
      [ "$bad" -eq 0 ] || failures+=("package: $bad failed") ;;
    fleet)
      note "fleet: the Ansible collection rolls an update out over simulated stations"
      scripts/fleet-demo.sh --test 2>&1 | tee build/fleet.log
      count_checks build/fleet.log fleet "${PIPESTATUS[0]}" ;;
    fuzz)
      note "fuzz: build and run each target for ${FUZZ_SECONDS}s"
      if build fuzz; then run_fuzzers
      else failed=$((failed + 1)); failures+=("fuzz: build failed"); fi ;;
    *) echo "unknown suite $suite" >&2; exit 2 ;;
  esac
done

echo
for f in "${failures[@]}"; do echo "FAILED: $f"; done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
