#!/usr/bin/env bash
# The driver probe built for Windows, run under Wine (reporting Windows 98) against the real
# KVAPI32.DLL beside it, must learn from the driver what the same probe learns on winsim.
set -euo pipefail
probe_exe=$1
driver_dll=$2
sim_probe=$3
build_dir=$4

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh" "$build_dir"
wine_skip_unless_usable

bin="$build_dir/wine-probe"
rm -rf "$bin" && mkdir -p "$bin"
cp "$probe_exe" "$bin/kvprobe.exe"
cp "$driver_dll" "$bin/KVAPI32.DLL"
wine_report_win98 kvprobe.exe

wine_out=$(cd "$bin" && wine kvprobe.exe | tr -d '\r')
wineserver -w
echo "$wine_out"

fail=0
expect() {
  if ! grep -qxF -- "$1" <<<"$wine_out"; then
    echo "FAIL: expected the line: $1"
    fail=1
  fi
}
expect "driver link: Ok"
expect "handshake: interface 360, 34 functions"
expect "capability map: 14 bytes; functions 1 2 3 4 5 6 8 9 10 11 26 28 34"
expect "the component would load"

# What the component learns from the driver's tables must not depend on the platform.
tables() { sed -n '/^handshake:/,/^screen sizes/p'; }
if [ -x "$sim_probe" ]; then
  if ! diff <(tables <<<"$wine_out") <("$sim_probe" | tables); then
    echo "FAIL: the driver's tables differ between Wine and winsim"
    fail=1
  fi
fi
[ $fail -eq 0 ] && echo "probe under Wine: passed"
exit $fail
