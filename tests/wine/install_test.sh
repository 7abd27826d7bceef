#!/usr/bin/env bash
# Both packages installed under Wine the way a user installs them, with the system's setup
# library reading their installation files:
# - the extension, on a system whose adapter driver has put its own ("vendor") KVAPI32.DLL in
#   the system directory: that file is byte for byte the same after the install and after the
#   uninstall, and the installed extension talks to it while the default session plays;
# - the demonstration, into a folder of its own with the stand-in driver: the default session
#   plays against it, and no file of the Windows directory changes;
# - both, the demonstration after the extension: the last installed is the one registered, and
#   removing it leaves the extension's files alone;
# and after each uninstall the registry and the files exactly as they were before.
#
# Usage: install_test.sh PACKAGES_DIR BUILD_DIR KVSESSION_EXE
set -uo pipefail
packages_dir=$1
build_dir=$2
session_exe=$3

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
. "$root/scripts/wine-env.sh" "$build_dir"
wine_skip_unless_usable

clsid='{71DFC44E-99D6-4227-BF5F-B92D687429BD}'
handlers='HKLM\Software\Microsoft\Windows\CurrentVersion\Controls Folder\Display\shellex\PropertySheetHandlers'
uninstall='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
system_dir=$(wine_system_dir)
demo_dir="$WINEPREFIX/drive_c/Program Files/KVSDEMO"

work="$build_dir/wine-install"
rm -rf "$work" && mkdir -p "$work"
cp -r "$packages_dir/KVSETTNG" "$packages_dir/KVSDEMO" "$work/"

fail=0
problem() {
  echo "FAIL: $*"
  fail=1
}
expect_in() {
  grep -qF -- "$2" <<<"$3" || problem "$1: expected '$2' in: $3"
}
query() { wine reg query "$1" 2>&1 | tr -d '\r'; }
inf() { winepath -w "$1" 2>/dev/null; }
run_setup() { wine rundll32 setupapi.dll,InstallHinfSection "$1" 132 "$2"; }

# The registry's software branches as text, without Wine's own settings (which running a
# program changes) and the system's device enumeration (which Wine writes anew whenever its
# display driver starts); with every file of drive C: and its size.
snapshot() {
  wine reg export 'HKLM\Software' "$(inf "$work/hklm.reg")" /y >/dev/null 2>&1
  wine reg export 'HKCU\Software' "$(inf "$work/hkcu.reg")" /y >/dev/null 2>&1
  { iconv -f UTF-16 -t UTF-8 "$work/hklm.reg"; iconv -f UTF-16 -t UTF-8 "$work/hkcu.reg"; } | tr -d '\r' |
    awk '/^\[/ { skip = ($0 ~ /\\Software\\Wine(\\|\])/) } !skip' >"$1.reg.txt"
  (cd "$WINEPREFIX/drive_c" && find . -path ./windows/temp -prune -o -path './users' -prune -o -type f \
    -printf '%p %s\n' | sort) >"$1.files.txt"
}
same_as() {
  snapshot "$work/now"
  diff "$1.reg.txt" "$work/now.reg.txt" >/dev/null || {
    problem "$2: the registry differs (< before, > now):"
    diff "$1.reg.txt" "$work/now.reg.txt"
  }
  diff "$1.files.txt" "$work/now.files.txt" >/dev/null || {
    problem "$2: the files of drive C: differ (< before, > now):"
    diff "$1.files.txt" "$work/now.files.txt"
  }
}
play_installed() {
  local trace
  trace=$("$root/scripts/wine-run.sh" "$build_dir" "$session_exe" --installed 2>&1 | tr -d '\r')
  local status=$?
  [ $status -eq 0 ] || { echo "$trace"; problem "$1: the default session did not hold every expectation"; }
  expect_in "$1: the session's driver" "set size 800x600" "$trace"
}
server_of_extension() { query "HKCR\\CLSID\\$clsid\\InProcServer32"; }

# The Display control panel's list of sheet handlers belongs to the shell, as on a system with
# the control panel installed; the packages add to it and take only their own entry away.
wine reg add "$handlers" /f >/dev/null 2>&1
# Running a program the first time writes Wine's own settings for it: done before any snapshot.
"$root/scripts/wine-run.sh" "$build_dir" "$session_exe" --installed >/dev/null 2>&1

# ---- the extension, beside the adapter's own driver ----
# The vendor's file: a driver interface this package did not build (the stand-in with bytes
# of its own after the image, which the loader ignores).
vendor="$work/vendor-KVAPI32.DLL"
{ cat "$work/KVSDEMO/KVAPI32.DLL"; printf 'the adapter vendor own KVAPI32.DLL'; } >"$vendor"
cp "$vendor" "$system_dir/KVAPI32.DLL"
snapshot "$work/clean"

run_setup DefaultInstall "$(inf "$work/KVSETTNG/KVSETTNG.INF")"
server=$(server_of_extension)
expect_in "in-process server" '(Default)    REG_SZ    C:\windows\system32\KVSETTNG.DLL' "$server"
expect_in "threading model" "ThreadingModel    REG_SZ    Apartment" "$server"
expect_in "display sheet handler" "(Default)    REG_SZ    $clsid" "$(query "$handlers\\KVSETTNG")"
expect_in "uninstall entry" "DisplayName    REG_SZ    KVSETTNG Screen Area" "$(query "$uninstall\\KVSETTNG")"
for file in KVSETTNG.DLL KVSettng.RLB VAZIDAVO.HLP; do
  cmp -s "$work/KVSETTNG/$file" "$system_dir/$file" || problem "$file is not in the system directory as packed"
done
cmp -s "$vendor" "$system_dir/KVAPI32.DLL" || problem "the extension's install changed the vendor's KVAPI32.DLL"
play_installed "extension with the vendor's driver"
snapshot "$work/extension"
echo "the extension's install added:"
diff "$work/clean.reg.txt" "$work/extension.reg.txt" | grep '^>' || true
diff "$work/clean.files.txt" "$work/extension.files.txt" | grep '^>' || true

run_setup DefaultUninstall 'C:\windows\inf\KVSETTNG.INF'
cmp -s "$vendor" "$system_dir/KVAPI32.DLL" || problem "the extension's uninstall changed the vendor's KVAPI32.DLL"
same_as "$work/clean" "after the extension's uninstall"
rm -f "$system_dir/KVAPI32.DLL"

# ---- the demonstration, in a folder of its own ----
snapshot "$work/clean"
run_setup DefaultInstall "$(inf "$work/KVSDEMO/KVSDEMO.INF")"
expect_in "demonstration's server" '(Default)    REG_SZ    C:\Program Files\KVSDEMO\KVSETTNG.DLL' \
  "$(server_of_extension)"
expect_in "demonstration's uninstall entry" "DisplayName    REG_SZ    KVSETTNG Screen Area Demonstration (simulated)" \
  "$(query "$uninstall\\KVSDEMO")"
for file in KVSETTNG.DLL KVSettng.RLB VAZIDAVO.HLP KVAPI32.DLL; do
  cmp -s "$work/KVSDEMO/$file" "$demo_dir/$file" || problem "$file is not in the demonstration's folder as packed"
  [ ! -e "$system_dir/$file" ] || problem "the demonstration put $file in the system directory"
done
play_installed "demonstration"
snapshot "$work/demo"
echo "the demonstration's install added:"
diff "$work/clean.reg.txt" "$work/demo.reg.txt" | grep '^>' || true
diff "$work/clean.files.txt" "$work/demo.files.txt" | grep '^>' || true
changed=$(diff "$work/clean.files.txt" "$work/demo.files.txt" | grep '^[<>]' | grep -v -e '^> ./Program Files/KVSDEMO/' \
  -e '^> ./windows/inf/KVSDEMO.INF ' || true)
[ -z "$changed" ] || problem "the demonstration's install changed files outside its folder: $changed"

run_setup DefaultUninstall 'C:\windows\inf\KVSDEMO.INF'
same_as "$work/clean" "after the demonstration's uninstall"

# ---- both: the demonstration installed over the extension ----
run_setup DefaultInstall "$(inf "$work/KVSETTNG/KVSETTNG.INF")"
run_setup DefaultInstall "$(inf "$work/KVSDEMO/KVSDEMO.INF")"
expect_in "the last installed is registered" '(Default)    REG_SZ    C:\Program Files\KVSDEMO\KVSETTNG.DLL' \
  "$(server_of_extension)"
run_setup DefaultUninstall 'C:\windows\inf\KVSDEMO.INF'
for file in KVSETTNG.DLL KVSettng.RLB VAZIDAVO.HLP; do
  cmp -s "$work/KVSETTNG/$file" "$system_dir/$file" || problem "removing the demonstration touched the extension's $file"
done
expect_in "the extension's own uninstall entry stays" "DisplayName    REG_SZ    KVSETTNG Screen Area" \
  "$(query "$uninstall\\KVSETTNG")"
run_setup DefaultUninstall 'C:\windows\inf\KVSETTNG.INF'
same_as "$work/clean" "after both uninstalls"

wineserver -w
[ $fail -eq 0 ] && echo "both packages install and uninstall under Wine: passed"
exit $fail
