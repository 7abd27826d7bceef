#!/usr/bin/env bash
# Builds the packages for Windows, installs the demonstration package (KVSDEMO.INF: the real
# KVSETTNG.DLL with the stand-in driver, whose screen area is simulated) into Wine as a user
# does, and plays a scripted session (by default sessions/default.session) against it on a
# virtual display; uninstalls it again at the end. The Settings page and every message box and
# dialog are photographed as they open.
# Writes OUT/trace.txt (what the user saw at each step), OUT/screenshots/*.png and
# OUT/preview/*.png (the preview after each step). OUT is build/win32/session unless
# KV_SESSION_OUT names another directory.
#
# Usage: scripts/wine-session.sh [--layout cloned|native] [SCRIPT]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/win32"
out=${KV_SESSION_OUT:-$build/session}

cd "$root"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target kvsdemo_package kvsession >/dev/null

. "$root/scripts/wine-env.sh" "$build"
. "$root/scripts/wine-display.sh"
rm -rf "$out" && mkdir -p "$out/screenshots" "$out/preview"
wine_display_start
uninstall() {
  wine rundll32 setupapi.dll,InstallHinfSection DefaultUninstall 132 'C:\windows\inf\KVSDEMO.INF'
  wine_display_stop
}
wine rundll32 setupapi.dll,InstallHinfSection DefaultInstall 132 \
  "$(winepath -w "$build/packaging/KVSDEMO/KVSDEMO.INF" 2>/dev/null)"
trap uninstall EXIT
wine_shooter_start "$out/screenshots"
KV_SCREENSHOT_DIR=$(winepath -w "$out/screenshots" 2>/dev/null)
export KV_SCREENSHOT_DIR

arguments=()
while [ $# -gt 0 ]; do
  case $1 in
    --layout) arguments+=(--layout "$2"); shift 2 ;;
    *) arguments+=("$(winepath -w "$(realpath "$1")" 2>/dev/null)"); shift ;;
  esac
done

status=0
"$root/scripts/wine-run.sh" "$build" "$build/tools/kvsession.exe" --installed \
  --png-dir "$(winepath -w "$out/preview" 2>/dev/null)" "${arguments[@]}" 2>&1 |
  tr -d '\r' | tee "$out/trace.txt" || status=$?
echo "trace: $out/trace.txt"
echo "screenshots: $(ls "$out"/screenshots/*.png 2>/dev/null | tr '\n' ' ')"
exit $status
