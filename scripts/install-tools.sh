#!/usr/bin/env bash
# Installs the build tools a fresh Debian/Ubuntu machine lacks (only when run as root; otherwise it
# names what is missing and leaves it to you).
#
#   scripts/install-tools.sh          everything the tests need (both targets, Wine, fuzzing, the
#                                     packages and their checks)
#   scripts/install-tools.sh native   only what the native release build of the program needs
#   scripts/install-tools.sh fleet    that and Ansible, for the fleet rehearsal (scripts/fleet-demo.sh)
set -euo pipefail

if [ "${1:-}" = native ]; then
  packages=(cmake ninja-build g++ libssl-dev)
elif [ "${1:-}" = fleet ]; then
  packages=(cmake ninja-build g++ libssl-dev ansible-core ansible python3-jsonschema)
else
  packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libgmock-dev
            libbenchmark-dev libsimpleini-dev libinih-dev libssl-dev pkg-config mingw-w64
            nlohmann-json3-dev python3-jsonschema ansible-core ansible
            g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth
            wixl msitools lintian dpkg-dev man-db)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "missing packages: ${missing[*]} (run as root, or install them with apt-get)" >&2
  exit 1
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
