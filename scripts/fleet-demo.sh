#!/usr/bin/env bash
# A rollout without a plant: builds the program and the simulated controller (release build, as
# scripts/demo.sh does), installs the tevar.stations Ansible collection from ansible/ into the
# build tree, starts eight simulated controllers on loopback (up to date, out of date, one that
# refuses every connection, one that drops the link mid-send) and runs the fleet playbook
# (examples/fleet/rollout.yml) against them with the local connection: the plans, the waves, the
# summary table. Ends with status 0 when every station ended as it was built to.
#
#   scripts/fleet-demo.sh            the rehearsal; what it leaves is in build/fleet-demo/
#   scripts/fleet-demo.sh --test     the fleet test instead (PASS:/FAIL: lines; scripts/test.sh)
#   scripts/fleet-demo.sh --bench [N]
#                                    the rollout benchmark over N stations (default 50)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-tools.sh fleet || exit 1
cmake --preset release >/dev/null || exit 1
cmake --build build/release --target component_updater controller_sim >/dev/null || exit 1

# Ansible finds the collection where ansible-galaxy put it; the copy follows every change in ansible/.
collections=$root/build/fleet/collections
rm -rf "$collections"
ansible-galaxy collection install "$root/ansible" -p "$collections" >build/fleet-collection.log 2>&1 ||
  { cat build/fleet-collection.log; exit 1; }
export ANSIBLE_COLLECTIONS_PATH=$collections

# The distribution's Python, which has Ansible's libraries and jsonschema. No bytecode beside the
# sources: the packages take examples/ as it is.
python=/usr/bin/python3
export PYTHONDONTWRITEBYTECODE=1
binaries=(--program "$root/build/release/component_updater/src/component_updater"
          --simulator "$root/build/release/tools/controller_sim/controller_sim"
          --text-table "$root/component_updater/src/component_updater.loc")
case ${1:-} in
  --test)  exec "$python" ansible/tests/fleet_test.py "${binaries[@]}" --work build/fleet-test ;;
  --bench) exec "$python" bench/fleet_rollout_bench.py "${binaries[@]}" --work build/fleet-bench \
             --stations "${2:-50}" ;;
  "")      exec "$python" examples/fleet/rehearsal/rehearse.py "${binaries[@]}" --work build/fleet-demo ;;
  *)       echo "usage: scripts/fleet-demo.sh [--test | --bench [N]]" >&2; exit 2 ;;
esac
