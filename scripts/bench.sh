#!/usr/bin/env bash
# Builds the release benchmarks and runs each one; every figure is printed beside a reference
# measured in the same run. BENCH=name runs one of them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-tools.sh
cmake --preset bench >/dev/null
cmake --build build/bench -j "$(nproc)"
for b in build/bench/bench/*_bench; do
  [ -x "$b" ] || continue
  name=$(basename "$b")
  [ -n "${BENCH:-}" ] && [ "$name" != "$BENCH" ] && continue
  echo "=== $name ==="
  "$b"
done
