#!/usr/bin/env bash
# Runs one Windows program under Wine in the build tree's private prefix, on the virtual
# display that scripts/wine-display-fixture.sh started for the run (or one of its own), and
# gives back the program's exit code. CTest uses it as the emulator of the Windows tests.
# The program sees Windows 98 and shows its windows on a Wine desktop of its own.
# Usage: wine-run.sh BUILD_DIR PROGRAM.exe [ARGUMENT...]
set -uo pipefail
build_dir=$1
program=$2
shift 2

here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh" "$build_dir"
wine_skip_unless_usable

name=${program##*[/\\]}
marker="$WINEPREFIX/.kv-appdefaults-$name"
# Listing a program's tests shows no window: it needs neither the settings nor a display.
if [ ! -e "$marker" ] && [ "${1:-}" != "--gtest_list_tests" ]; then
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$name" /v Version /d win98 /f >/dev/null 2>&1
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$name\\Explorer" /v Desktop /d kvpanel /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v kvpanel /d 1024x768 /f >/dev/null 2>&1
  touch "$marker"
fi

display_file="$build_dir/wine-display.env"
if [ -z "${DISPLAY:-}" ] && [ -f "$display_file" ]; then
  . "$display_file"
  export DISPLAY
fi
if [ -z "${DISPLAY:-}" ] && [ "${1:-}" != "--gtest_list_tests" ]; then
  exec xvfb-run -a -s "-screen 0 1600x1200x24" "$0" "$build_dir" "$program" "$@"
fi
# Wine's own processes that the program starts (the desktop, the services) outlive it and keep
# its output open: the program writes to a file, which is passed on once it has ended.
output=$(mktemp)
wine "$program" "$@" </dev/null >"$output" 2>&1
status=$?
cat "$output"
rm -f "$output"
exit $status
