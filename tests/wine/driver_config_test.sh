#!/usr/bin/env bash
# KVAPI32.DLL reads KVAPI32.INI beside it when it is loaded: under Wine (reporting Windows 98)
# the probe beside it must see the adapter a good file describes, and a file with an error
# must refuse the load and tell the debugger why, naming the line.
set -euo pipefail
probe_exe=$1
driver_dll=$2
build_dir=$3

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh" "$build_dir"
wine_skip_unless_usable

bin="$build_dir/wine-driver-config"
rm -rf "$bin" && mkdir -p "$bin"
cp "$probe_exe" "$bin/kvprobe.exe"
cp "$driver_dll" "$bin/KVAPI32.DLL"
wine_report_win98 kvprobe.exe

fail=0
# The file's text (printf escapes), a line the probe must print, and the end of what the
# debugger must be told after "KVAPI32: <path of the file>: " (empty: nothing).
expect_load() {
  local text=$1 line=$2 reason=$3
  printf "$text" >"$bin/KVAPI32.INI"
  local out debug
  # Wine writes what OutputDebugStringA is given as a warning of its exception channel.
  out=$(cd "$bin" && WINEDEBUG=warn+seh,+debugstr wine kvprobe.exe 2>"$bin/debug.txt" | tr -d '\r') || true
  wineserver -w
  debug=$(grep -F 'KVAPI32: ' "$bin/debug.txt" || true)
  if ! grep -qxF -- "$line" <<<"$out"; then
    echo "FAIL: with KVAPI32.INI '$text' expected the line: $line"$'\n'"$out"
    fail=1
  fi
  if [ -z "$reason" ] && [ -n "$debug" ]; then
    echo "FAIL: with KVAPI32.INI '$text' the debugger was told: $debug"
    fail=1
  elif [ -n "$reason" ] && ! grep -qF -- "KVAPI32.INI: $reason\\n" <<<"$debug"; then
    echo "FAIL: with KVAPI32.INI '$text' expected the debugger to be told: $reason"$'\n'"it was told: $debug"
    fail=1
  fi
}

expect_load 'viewport = 640x480\r\n' "viewport: 640x480 at (0, 0)" ""
expect_load '# ok\r\n\r\nmode = 640x480x256@60\r\n' "driver link: Failed" \
  "line 3: mode: expected a mode WIDTHxHEIGHTxDEPTH@RATE, found '256@60'"
expect_load 'colour = 5' "driver link: Failed" "line 1: unknown key 'colour'"

[ $fail -eq 0 ] && echo "driver configuration under Wine: passed"
exit $fail
