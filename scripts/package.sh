#!/usr/bin/env bash
# Builds the operator packages from release builds and checks them:
#   - build/package/component_updater-<version>-linux-<cpu>.tar.gz: program, simulated controller,
#     text table, examples, operator's guide;
#   - build/package/component_updater-<version>-windows-x64.zip: component_updater.exe, text table,
#     examples, operator's guide;
#   - the zip, unpacked into a fresh Wine prefix, runs the example update
#     (examples/component_updates.ini) against the example station (examples/station.ini) served by
#     the simulated controller of the Linux package, and ends with status 0.
# Prints one line per check, "PASS: ..." or "FAIL: ...", and exits 1 when a check failed.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
source scripts/wine-env.sh
out=$root/build/package
jobs=$(nproc 2>/dev/null || echo 2)
failures=0

pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Configures and builds a release tree, then packs it into $out. $1 names the tree.
build_and_pack() {
  local tree=$1; shift
  cmake "$@" >"$out/$tree.configure.log" 2>&1 &&
    cmake --build "build/$tree" -j "$jobs" >"$out/$tree.build.log" 2>&1 &&
    (cd "build/$tree" && cpack -B "$out" >"$out/$tree.cpack.log" 2>&1)
}

# Fails unless the listing on stdin names every one of the files given (as paths in the package).
holds() {
  local listing missing=() f
  listing=$(cat)
  for f in "$@"; do grep -qE "(^|[ /])$f\$" <<<"$listing" || missing+=("$f"); done
  [ ${#missing[@]} -eq 0 ] || { echo "  missing: ${missing[*]}"; return 1; }
}

examples=(examples/component_updates.ini examples/station.ini examples/files/plc_3.1.0.bin
          component_updater.loc operator_guide.md)
rm -rf "$out"
mkdir -p "$out"

if build_and_pack release --preset release; then
  tgz=$(ls "$out"/component_updater-*-linux-*.tar.gz)
  tar tzf "$tgz" | holds component_updater controller_sim "${examples[@]}" &&
    pass "Linux package $(basename "$tgz")" || fail "Linux package lacks files"
else
  fail "Linux package: release build or cpack failed (build/package/release.*.log)"
fi

if build_and_pack windows-release -S . -B build/windows-release -G Ninja \
     --toolchain cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release -DCU_BUILD_TESTS=OFF; then
  zip=$(ls "$out"/component_updater-*-windows-x64.zip)
  cmake -E tar tf "$zip" | holds component_updater.exe "${examples[@]}" &&
    pass "Windows package $(basename "$zip")" || fail "Windows package lacks files"
else
  fail "Windows package: release build or cpack failed (build/package/windows-release.*.log)"
fi

# The example update, as an operator would run it from the unpacked zip on a new machine.
run_example_update() {
  local check=$out/check
  mkdir -p "$check" || return 1
  (cd "$check" && cmake -E tar xf "$tgz" && cmake -E tar xf "$zip") || return 1
  local linux windows
  linux=$(ls -d "$check"/component_updater-*-linux-*)
  windows=$(ls -d "$check"/component_updater-*-windows-x64)
  "$linux/controller_sim" --station "$linux/examples/station.ini" --port 0 \
    --port-file "$check/port" --journal "$check/journal" --once 2>"$check/controller_sim.log" &
  local sim=$! port=
  for _ in $(seq 100); do [ -s "$check/port" ] && break; sleep 0.05; done
  port=$(cat "$check/port" 2>/dev/null)
  [ -n "$port" ] || { kill $sim; return 1; }
  xvfb-run -a -s "-screen 0 1280x1024x24" bash -c \
    "source scripts/wine-env.sh; start_wine '$check/wineprefix'; cd '$windows'
     timeout 300 wine component_updater.exe --dir examples --host 127.0.0.1 --port $port --silent
     echo \$? >'$check/status'; stop_wine" >"$check/wine.log" 2>&1
  wait $sim
  echo "  exit status $(cat "$check/status"); the controller received:"
  sed -n 's/^SEND\t\([^\t]*\).*/    \1/p' "$check/journal"
  [ "$(cat "$check/status")" = 0 ] && [ "$(grep -c '^SEND	' "$check/journal")" -gt 0 ]
}

if [ -n "${tgz:-}" ] && [ -n "${zip:-}" ] && run_example_update; then
  pass "the Windows zip runs the example update in a fresh Wine prefix"
else
  fail "the Windows zip does not run the example update in a fresh Wine prefix (build/package/check)"
fi

[ "$failures" -eq 0 ]
