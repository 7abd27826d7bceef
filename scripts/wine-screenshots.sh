#!/usr/bin/env bash
# The README's screenshots, taken from the virtual display under Wine: the Settings page of
# the stand-in Display control panel before the extension is installed and after it, in both
# layouts (installed and removed with the demonstration package's KVSDEMO.INF as a user does,
# the stand-in driver beside the extension), and the confirmation
# dialog of a new screen area from the default session. Written to docs/screenshots/.
#
# Usage: scripts/wine-screenshots.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/win32"
docs="$root/docs/screenshots"

cd "$root"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target kvsdemo_package deskhost kvsession >/dev/null

. "$root/scripts/wine-env.sh" "$build"
. "$root/scripts/wine-display.sh"
work="$build/wine-screenshots"
rm -rf "$work" && mkdir -p "$work/shots" "$docs"
wine_display_start
trap wine_display_stop EXIT
wine_shooter_start "$work/shots"
KV_SCREENSHOT_DIR=$(winepath -w "$work/shots" 2>/dev/null)
export KV_SCREENSHOT_DIR

panel="$WINEPREFIX/drive_c/kvdeskhost"
rm -rf "$panel" && mkdir -p "$panel"
cp "$build/deskhost/deskhost.exe" "$build/kvapi/KVAPI32.DLL" "$panel/"
show() {
  "$root/scripts/wine-run.sh" "$build" 'C:\kvdeskhost\deskhost.exe' --layout "$1" --display 1024x768x16 \
    --screenshot "$2" >/dev/null
}

show cloned settings-cloned-before
show native settings-native-before
wine rundll32 setupapi.dll,InstallHinfSection DefaultInstall 132 \
  "$(winepath -w "$build/packaging/KVSDEMO/KVSDEMO.INF" 2>/dev/null)"
show cloned settings-cloned-after
show native settings-native-after
wine rundll32 setupapi.dll,InstallHinfSection DefaultUninstall 132 'C:\windows\inf\KVSDEMO.INF'

# The default session's first test of a new screen area: the question, then the dialog.
KV_SESSION_OUT="$work/session" "$root/scripts/wine-session.sh" >/dev/null || true
confirm=$(ls "$work"/session/screenshots/*-dialog.png 2>/dev/null | head -1)

for name in settings-cloned-before settings-native-before settings-cloned-after settings-native-after; do
  cp "$work/shots/$name.png" "$docs/$name.png"
done
[ -n "$confirm" ] && cp "$confirm" "$docs/confirm-dialog.png"
ls -l "$docs"
