#!/usr/bin/env bash
# Checks the Windows Installer package the way an administrator uses it, in a fresh Wine prefix
# (run by scripts/package.sh inside an X session):
#   - msiexec /i /qn installs every file of the package into C:\Program Files\Tevar\component_updater;
#   - the installed program runs the example update against the simulated controller (status 0,
#     sends in the journal);
#   - the Programs and Features entry (the Uninstall key) names the product, the maker, the version
#     and the program's icon;
#   - a package of a higher version upgrades in place: one entry, the new version, the new files;
#   - the older package over the newer one is refused with a message and changes nothing;
#   - msiexec /x removes every file, folder and registry entry the package made;
#   - msiexec /x while the program runs: see the note it prints.
#
#   scripts/check-msi.sh PACKAGE HIGHER_PACKAGE VERSION SIMULATOR BOX_PROBE WORK_FOLDER
#
# VERSION is the version the build says PACKAGE has; SIMULATOR the native controller_sim;
# BOX_PROBE the Windows box probe (tools/box_probe), which answers and records message boxes.
# Prints one line per check, "PASS: ..." or "FAIL: ...", and exits 1 when a check failed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine-env.sh"
source "$here/sim-env.sh"
msi=$(realpath "$1") next=$(realpath "$2") version=$3 sim=$(realpath "$4") probe=$(realpath "$5")
work=$6
failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

rm -rf "$work" && mkdir -p "$work"
start_wine "$work/wineprefix"
trap stop_wine EXIT
readonly install="$WINEPREFIX/drive_c/Program Files/Tevar/component_updater"
readonly uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

windows_path() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }
# Wine passes on only the low byte of an exit status: 1603 arrives as 67, 3010 as 188.
installer() { timeout 300 wine msiexec "$@" </dev/null >/dev/null 2>&1; }
property() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' -v name="$2" '$1 == name {print $2}'; }
file_version() { strings -el "$1" | grep -A1 -x FileVersion | tail -n 1; }
product=$(property "$msi" ProductName)
next_version=$(property "$next" ProductVersion)

# The product's entries in Programs and Features, one line each: key, version, publisher.
entries() {
  wine reg query "$uninstall" /s 2>/dev/null | tr -d '\r' | awk -F'    ' -v product="$product" '
    /^HKEY/ { key = $0; name = version = publisher = ""; next }
    $2 == "DisplayName" { name = $4 } $2 == "DisplayVersion" { version = $4 }
    $2 == "Publisher" { publisher = $4 }
    name == product && version != "" && publisher != "" && !(key in seen) {
      seen[key]; print key "\t" version "\t" publisher }'
}

# What the package may have changed: the files of drive C: (without the program's own data, which
# its runs write to C:\ProgramData\Tevar) and the values of HKLM\Software and HKCU\Software, one
# line per key and per value.
snapshot() {
  (cd "$WINEPREFIX/drive_c" && find . -path ./ProgramData/Tevar -prune -o -print | sort) \
    >"$work/files.$1"
  local hive
  for hive in 'HKEY_LOCAL_MACHINE\Software' 'HKEY_CURRENT_USER\Software'; do
    rm -f "$work/export.reg"
    wine regedit /E "$(windows_path "$work/export.reg")" "$hive" </dev/null >/dev/null 2>&1
    iconv -f UTF-16 -t UTF-8 "$work/export.reg" | tr -d '\r' | awk '
      /\\$/ { line = line substr($0, 1, length($0) - 1); next }
      { line = line $0 }
      line ~ /^\[/ { key = line; print key } line !~ /^\[/ && line != "" { print key " " line }
      { line = "" }'
  done | sort >"$work/registry.$1"
  # An export that failed would make every comparison empty: fail instead.
  grep -qxF '[HKEY_LOCAL_MACHINE\Software\Microsoft]' "$work/registry.$1" &&
    grep -qxF '[HKEY_CURRENT_USER\Software\Wine]' "$work/registry.$1" ||
    { echo "  the registry export $1 failed"; return 1; }
}
# Windows Installer's own folder and keys, made at its first use and present on every Windows.
readonly installer_roots='^(\./windows/Installer|\[HKEY_LOCAL_MACHINE\\Software\\(Classes\\Installer(\\(Features|Products|UpgradeCodes))?|Microsoft\\Windows\\CurrentVersion\\Installer\\(UpgradeCodes|UserData(\\S-1-5-18(\\(Components|Products))?)?))\])$'
# Wine's own settings, which its programs change as they run.
readonly wine_settings='^\[HKEY_(CURRENT_USER|LOCAL_MACHINE)\\Software\\Wine[]\\]'
# Lists what is in snapshot $2 and not in snapshot $1, but for the installer's own roots and Wine's
# settings.
made_since() {
  { comm -13 "$work/files.$1" "$work/files.$2"; comm -13 "$work/registry.$1" "$work/registry.$2"; } |
    grep -Ev "$installer_roots" | grep -Ev "$wine_settings" | sed 's/^/  left: /'
}

# The installed program runs the update of FOLDER (a Windows path) against STATION, from the
# installation folder, where its text table lies. The simulator's journal, the program's output
# and its exit status (file "status") go to LOG.
run_update() {
  local station=$1 folder=$2 log=$3
  echo none >"$log/status"
  start_sim "$sim" "$station" "$log" || return 1
  (cd "$install" && timeout 300 wine component_updater.exe --dir "$folder" --host 127.0.0.1 \
     --port "$SIM_PORT" --silent </dev/null >"$log/stdout" 2>"$log/stderr")
  echo $? >"$log/status"
  wait "$SIM_PID"
}

# --- install ---
snapshot before || fail "no snapshot of the fresh prefix"
installer /i "$(windows_path "$msi")" /qn /l*v "$(windows_path "$work/install.log")"
status=$?
msiextract -C "$work/package" "$msi" >/dev/null
if [ "$status" = 0 ] && diff -r "$work/package/Tevar/component_updater" "$install" >/dev/null; then
  pass "msiexec /i /qn installs every file of $(basename "$msi") into C:\\Program Files\\Tevar\\component_updater"
else
  fail "msiexec /i /qn of $(basename "$msi"): status $status ($work/install.log)"
fi

mkdir -p "$work/example"
run_update "$install/examples/station.ini" examples "$work/example"
status=$(cat "$work/example/status")
echo "  exit status $status; the controller received:" $(sends_of "$work/example")
[ "$status" = 0 ] && [ -n "$(sends_of "$work/example")" ] &&
  pass "the installed program runs the example update against the simulated controller" ||
  fail "the installed program does not run the example update ($work/example)"

entry=$(entries)
key=$(cut -f1 <<<"$entry")
icon=$(wine reg query 'HKLM\Software\Classes\Installer\Products' /s /v ProductIcon 2>/dev/null |
       tr -d '\r' | awk -F'    ' '$2 == "ProductIcon" {print $4}')
icon_file=$WINEPREFIX/drive_c/$(sed 's/^C://; s/\\/\//g' <<<"$icon")
echo "  entry: $(tr '\t' ' ' <<<"$entry"); icon $icon"
if [ "$(wc -l <<<"$entry")" = 1 ] && [ "$(cut -f2 <<<"$entry")" = "$version" ] &&
   [ "$(file_version "$install/component_updater.exe")" = "$version" ] &&
   [ "$(cut -f3 <<<"$entry")" = "$(property "$msi" Manufacturer)" ] &&
   [ "${key##*\\}" = "$(property "$msi" ProductCode)" ] &&
   cmp -s "$icon_file" "$here/../component_updater/src/res/program.ico"; then
  pass "Programs and Features lists $product $version by $(cut -f3 <<<"$entry") with the program's icon"
else
  fail "the Programs and Features entry is not $product $version with the program's icon"
fi

# --- upgrade, then the older package again ---
installer /i "$(windows_path "$next")" /qn /l*v "$(windows_path "$work/upgrade.log")"
status=$?
msiextract -C "$work/next" "$next" >/dev/null
entry=$(entries)
if [ "$status" = 0 ] && [ "$(wc -l <<<"$entry")" = 1 ] && [ "$(cut -f2 <<<"$entry")" = "$next_version" ] &&
   diff -r "$work/next/Tevar/component_updater" "$install" >/dev/null &&
   [ "$(file_version "$install/component_updater.exe")" = "$next_version" ]; then
  pass "version $next_version upgrades $version in place: one entry, the new version, the new files"
else
  echo "  status $status; entries:"; sed 's/^/    /' <<<"$entry"
  fail "version $next_version does not upgrade $version in place ($work/upgrade.log)"
fi

state() { entries; (cd "$install" && find . -type f -exec md5sum {} + | sort); }
state >"$work/state.newer"
# Basic UI, so that the refusal is shown as a box, which the probe answers and writes to stderr.
(cd "$work" && timeout 300 wine "$probe" --program 'C:\windows\system32\msiexec.exe' -- \
   msiexec /i "$(windows_path "$msi")" /qb </dev/null >/dev/null 2>refusal.txt)
status=$?
state >"$work/state.after"
echo "  status $status:" $(head -n 1 "$work/refusal.txt")
if [ "$status" = 67 ] && grep -q "A newer version of $product is already installed" "$work/refusal.txt" &&
   cmp -s "$work/state.newer" "$work/state.after"; then
  pass "version $version over $next_version is refused with a message (status 1603) and changes nothing"
else
  fail "version $version over $next_version is not refused cleanly ($work/refusal.txt)"
fi

# --- removal ---
installer /x "$(windows_path "$next")" /qn /l*v "$(windows_path "$work/remove.log")"
status=$?
snapshot removed && snapshots=ok || snapshots=failed
left=$(made_since before removed)
if [ "$status" = 0 ] && [ -z "$left" ] && [ "$snapshots" = ok ]; then
  pass "msiexec /x removes every file, folder and registry entry the package made"
else
  echo "$left"
  fail "msiexec /x: status $status, something of the package is left ($work/remove.log)"
fi

# --- removal while the program runs: the second of two slow sends is under way ---
installer /i "$(windows_path "$next")" /qn
busy=$work/busy
mkdir -p "$busy" && cp -r "$install/examples" "$busy/"
{ cat "$busy/examples/station.ini"; echo "send_seconds = 2"; } >"$busy/station.ini"
run_update "$busy/station.ini" "$(windows_path "$busy/examples")" "$busy" &
running=$!
wait_for_journal "$busy" SEND
kill -0 "$running" 2>/dev/null && before=running || before=ended
installer /x "$(windows_path "$next")" /qn /l*v "$(windows_path "$work/remove-busy.log")"
removed=$?
kill -0 "$running" 2>/dev/null && after=running || after=ended
wait "$running"
status=$(cat "$busy/status")
left=$(cd "$WINEPREFIX/drive_c" && find "Program Files/Tevar" 2>/dev/null | grep -v '^Program Files/Tevar\(/component_updater\(/component_updater\.exe\)\?\)\?$')
pending=$(wine reg query 'HKLM\System\CurrentControlSet\Control\Session Manager' \
            /v PendingFileRenameOperations </dev/null 2>/dev/null | grep -c component_updater)
echo "  NOTE: msiexec /x while the program ran ($before, then $after): status $removed;" \
     "component_updater.exe $( [ -e "$install/component_updater.exe" ] && echo left || echo removed);" \
     "$pending deletions scheduled for the next start of Windows; the program: status $status," \
     "sends:" $(sends_of "$busy")
if [ "$before$after" = runningrunning ] && { [ "$removed" = 0 ] || [ "$removed" = 188 ]; } &&
   [ -z "$(entries)" ] && [ -z "$left" ] && [ "$status" = 0 ]; then
  pass "msiexec /x while the program runs removes the entry and every file but the running program; the update ends"
else
  echo "$left"
  fail "msiexec /x while the program runs ($work/remove-busy.log, $busy)"
fi

[ "$failures" -eq 0 ]
