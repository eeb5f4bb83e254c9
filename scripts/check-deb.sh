#!/usr/bin/env bash
# Checks the Debian package the way an administrator uses it (run by scripts/package.sh):
#   - lintian reports nothing (errors, warnings or notes; what it need not say is overridden in
#     the package, each with its reason);
#   - dpkg -i installs it, its dependencies met by the system;
#   - the installed program runs the example update from a folder without a text table (status 0,
#     sends in the journal);
#   - that folder gets the installed table's texts, and a folder with a table of its own keeps it;
#   - dpkg -r while the program runs removes every file of the package, and the running update
#     still ends well; dpkg --purge then also removes what the program wrote, so nothing is left.
# The installing happens in a private mount namespace in which /usr, /var and /etc are overlays:
# dpkg installs and removes for real, against the system's own package database and libraries,
# while the system itself never changes (the overlays go with the namespace). Needs root.
#
#   scripts/check-deb.sh PACKAGE WORK_FOLDER
#
# Prints one line per check, "PASS: ..." or "FAIL: ...", and exits 1 when a check failed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/sim-env.sh"
failures=0
pass() { echo "PASS: $*"; }
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

readonly name=component-updater
readonly data=/usr/share/component_updater  # where the package puts the table and examples

# --- outside: lintian, then this script again inside the namespace ---
if [ "$1" != --inside ]; then
  deb=$(realpath "$1") work=$2
  rm -rf "$work" && mkdir -p "$work"
  if lintian --display-info --pedantic --fail-on error,warning,info,pedantic "$deb" >"$work/lintian.log" 2>&1; then
    pass "lintian has nothing to say about $(basename "$deb")"
  else
    sed 's/^/  /' "$work/lintian.log"
    fail "lintian reports tags for $(basename "$deb") ($work/lintian.log)"
  fi
  if [ "$(id -u)" -ne 0 ]; then
    fail "the Debian package checks need root (dpkg in a private mount namespace)"
    exit 1
  fi
  unshare --mount --propagation private "$0" --inside "$deb" "$work" || failures=$((failures + 1))
  [ "$failures" -eq 0 ]
  exit
fi

# --- inside the namespace ---
deb=$2 work=$3
# The overlays' writable layers live on a memory file system of this namespace, outside the trees
# they cover, wherever the work folder is.
layers=$(mktemp -d)
trap 'umount -l /usr /var /etc "$layers" 2>/dev/null; rmdir "$layers"' EXIT
mount -t tmpfs tmpfs "$layers" || { fail "cannot mount a memory file system on $layers"; exit 1; }
for dir in /usr /var /etc; do
  layer=$layers$dir
  mkdir -p "$layer/upper" "$layer/work"
  mount -t overlay overlay -o "lowerdir=$dir,upperdir=$layer/upper,workdir=$layer/work" "$dir" ||
    { fail "cannot lay an overlay over $dir"; exit 1; }
done

# man-db's index is not what is checked here, and rebuilding it costs seconds at each dpkg run:
# without this file man-db's trigger leaves it alone.
rm -f /var/lib/man-db/auto-update

# The package's paths that the system does not have yet: after removal none may remain.
mapfile -t own < <(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' |
                   while read -r path; do [ -e "$path" ] || echo "$path"; done)
data_folder=/var/lib/Tevar
[ -e "$data_folder" ] && data_folder=  # the system has it already: not ours to check
# Lists what is left of the package's paths and of the further paths given.
leftovers() {
  local path
  for path in "${own[@]}" "$@"; do [ -e "$path" ] && echo "  left: $path"; done
}

if dpkg -i "$deb" >"$work/dpkg-install.log" 2>&1; then
  pass "dpkg -i installs $(basename "$deb") (Depends: $(dpkg-deb -f "$deb" Depends))"
else
  sed 's/^/  /' "$work/dpkg-install.log"
  fail "dpkg -i does not install $(basename "$deb")"
  exit 1
fi

# Every run gets the same language and registry whatever the machine has.
program() {
  env -u LC_ALL -u LC_MESSAGES LANG=C TEVAR_REGISTRY_FILE="$work/registry.ini" \
    timeout 300 /usr/bin/component_updater "$@"
}
: >"$work/registry.ini"

# The example update from a folder without a text table, as an operator would run it.
mkdir -p "$work/plain"
if start_sim /usr/bin/controller_sim "$data/examples/station.ini" "$work/plain/sim"; then
  (cd "$work/plain" && program --dir "$data/examples" --host 127.0.0.1 --port "$SIM_PORT" \
     --silent >stdout 2>stderr)
  status=$?
  wait "$SIM_PID"
  echo "  exit status $status; the controller received:" $(sends_of "$work/plain/sim")
  [ "$status" = 0 ] && [ -n "$(sends_of "$work/plain/sim")" ] &&
    pass "the installed program runs the example update from a folder without a text table" ||
    fail "the installed program does not run the example update ($work/plain)"
else
  fail "the installed simulator does not start ($work/plain/sim)"
fi

# Texts: an unknown option shows the syntax box and the failure box. A folder without a table gets
# the installed table's texts (the same as a folder with a copy of it); a folder with a table of
# its own gets that table's texts, and only those (a key it lacks shows as the key).
boxes_in() {
  (cd "$1" && program --no-such-option >/dev/null 2>boxes)
  cat "$1/boxes"
}
mkdir -p "$work/texts/none" "$work/texts/copy" "$work/texts/own"
cp "$data/component_updater.loc" "$work/texts/copy/"
printf '[Syntax Error.txt]\r\nEN=Syntax error of the folder\r\n' >"$work/texts/own/component_updater.loc"
installed=$(boxes_in "$work/texts/none")
if [ "$installed" = "$(boxes_in "$work/texts/copy")" ] && ! grep -q 'Syntax Error\.txt' <<<"$installed"; then
  pass "without a text table in the current folder the program shows the installed table's texts"
else
  printf '  %s\n' "$installed"
  fail "a folder without a text table does not get the installed table's texts"
fi
own=$(boxes_in "$work/texts/own")
if grep -q '^\[Syntax error of the folder\]' <<<"$own" && grep -q 'No such option\.txt' <<<"$own"; then
  pass "the current folder's text table wins over the installed one"
else
  printf '  %s\n' "$own"
  fail "the current folder's text table does not win over the installed one"
fi

# Removal while the program runs: the second of two slow sends is under way when dpkg -r starts.
busy=$work/busy
mkdir -p "$busy" && cp -r "$data/examples" "$busy/"
{ cat "$data/examples/station.ini"; echo "send_seconds = 2"; } >"$busy/station.ini"
if start_sim /usr/bin/controller_sim "$busy/station.ini" "$busy/sim"; then
  (cd "$busy" && program --dir examples --host 127.0.0.1 --port "$SIM_PORT" --silent \
     >stdout 2>stderr) &
  running=$!
  wait_for_journal "$busy/sim" SEND
  kill -0 "$running" 2>/dev/null && before=running || before=ended
  dpkg -r "$name" >"$work/dpkg-remove.log" 2>&1
  removed=$?
  kill -0 "$running" 2>/dev/null && after=running || after=ended
  echo "  the program: $before when dpkg -r started, $after when it had ended"
  left=$(leftovers)
  wait "$running"
  status=$?
  wait "$SIM_PID"
  echo "  dpkg -r: status $removed; the program: status $status, sends:" $(sends_of "$busy/sim")
  [ "$before$after" = runningrunning ] && [ "$removed" = 0 ] && [ -z "$left" ] &&
    [ "$status" = 0 ] &&
    pass "dpkg -r while the program runs removes every file of the package; the update ends well" ||
    { echo "$left"; fail "dpkg -r while the program runs ($work/dpkg-remove.log, $busy)"; }
else
  fail "the installed simulator does not start ($busy/sim)"
  dpkg -r "$name" >"$work/dpkg-remove.log" 2>&1
fi

# Purging removes the settings file and the logs the runs wrote; nothing of the package is left.
dpkg --purge "$name" >"$work/dpkg-purge.log" 2>&1
left=$(leftovers $data_folder)
if [ -z "$left" ] && ! dpkg-query -W "$name" >/dev/null 2>&1; then
  pass "dpkg --purge leaves nothing of the package or of the program's runs"
else
  echo "$left"
  fail "dpkg --purge leaves something behind ($work/dpkg-purge.log)"
fi

[ "$failures" -eq 0 ]
