#!/usr/bin/env bash
# Builds the operator packages from release builds (docs/packages.md) and checks them:
#   - build/package/component-updater_<version>_amd64.deb (scripts/check-deb.sh: lintian; dpkg -i,
#     the example update from a folder without a text table, dpkg -r while the program runs,
#     dpkg --purge, in a private mount namespace);
#   - build/package/component_updater-<version>-linux-<cpu>.tar.gz: program, simulated controller,
#     text table, examples, operator's guide;
#   - build/package/component_updater-<version>-x64.msi (scripts/check-msi.sh, in a fresh Wine
#     prefix: install, the example update against the simulated controller, the Programs and
#     Features entry, the upgrade to a higher version built for the check, the refused downgrade,
#     removal, removal while the program runs);
#   - build/package/component_updater-<version>-windows-x64.zip: component_updater.exe, text
#     table, examples, operator's guide (the same files as the MSI, whose check runs the program).
# Prints one line per check, "PASS: ..." or "FAIL: ...", and exits 1 when a check failed.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
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

# The version a build tree was configured with (from program_version.h, or its override).
tree_version() { sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "build/$1/CMakeCache.txt"; }

examples=(examples/component_updates.ini examples/station.ini examples/files/plc_3.1.0.bin
          component_updater.loc operator_guide.md)
rm -rf "$out"
mkdir -p "$out"

# --- Linux: the tar.gz and the Debian package, built for /usr with Debian's hardening flags ---
# (without -g: the packages are stripped, and debug information would only slow the build down)
export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_CFLAGS_MAINT_STRIP=-g DEB_CXXFLAGS_MAINT_STRIP=-g
flags() { dpkg-buildflags --get "$1" 2>/dev/null; }
if build_and_pack release --preset release -DCMAKE_INSTALL_PREFIX=/usr \
     "-DCMAKE_C_FLAGS=$(flags CPPFLAGS) $(flags CFLAGS)" \
     "-DCMAKE_CXX_FLAGS=$(flags CPPFLAGS) $(flags CXXFLAGS)" \
     "-DCMAKE_EXE_LINKER_FLAGS=$(flags LDFLAGS)"; then
  tgz=$(ls "$out"/component_updater-*-linux-*.tar.gz)
  tar tzf "$tgz" | holds component_updater controller_sim "${examples[@]}" &&
    pass "Linux package $(basename "$tgz")" || fail "Linux package lacks files"
  deb=$(ls "$out"/component-updater_*.deb)
  scripts/check-deb.sh "$deb" "$out/deb-check" || failures=$((failures + 1))
else
  fail "Linux packages: release build or cpack failed (build/package/release.*.log)"
fi

# --- Windows: the zip and the MSI, and a second MSI of a higher version for the upgrade ---
windows=(-S . -B build/windows-release -G Ninja --toolchain cmake/mingw-w64.cmake
         -DCMAKE_BUILD_TYPE=Release -DCU_BUILD_TESTS=OFF)
if build_and_pack windows-release "${windows[@]}" -DCU_VERSION_OVERRIDE= &&
   cmake --build build/windows-release --target msi >>"$out/windows-release.build.log" 2>&1; then
  zip=$(ls "$out"/component_updater-*-windows-x64.zip)
  cmake -E tar tf "$zip" | holds component_updater.exe "${examples[@]}" &&
    pass "Windows package $(basename "$zip")" || fail "Windows package lacks files"
  version=$(tree_version windows-release)
  msi=$out/component_updater-$version-x64.msi
  cp "build/windows-release/$(basename "$msi")" "$msi"
  # The same tree as the next patch version: only the version resource is compiled again.
  IFS=. read -r major minor patch build <<<"$version"
  higher=$major.$minor.$((patch + 1)).$build
  mkdir -p "$out/upgrade"
  if cmake "${windows[@]}" "-DCU_VERSION_OVERRIDE=$higher" >"$out/upgrade/configure.log" 2>&1 &&
     cmake --build build/windows-release --target msi >"$out/upgrade/build.log" 2>&1; then
    cp "build/windows-release/component_updater-$higher-x64.msi" "$out/upgrade/"
    xvfb-run -a -s "-screen 0 1280x1024x24" scripts/check-msi.sh "$msi" \
      "$out/upgrade/component_updater-$higher-x64.msi" "$version" \
      build/release/tools/controller_sim/controller_sim \
      build/windows-release/tools/box_probe/box_probe.exe "$out/msi-check" ||
      failures=$((failures + 1))
  else
    fail "the MSI of version $higher for the upgrade check was not built (build/package/upgrade)"
  fi
  # The tree goes back to the version of program_version.h.
  cmake "${windows[@]}" -DCU_VERSION_OVERRIDE= >>"$out/upgrade/configure.log" 2>&1
else
  fail "Windows packages: release build, cpack or wixl failed (build/package/windows-release.*.log)"
fi

[ "$failures" -eq 0 ]
