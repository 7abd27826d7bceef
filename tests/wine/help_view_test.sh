#!/usr/bin/env bash
# The built help file in the platform's help viewer, on a virtual display: opened directly it
# shows its contents topic; asked for the context name screen_area, or for context 150 through
# WinHelpA as the component asks, it shows the screen-area topic. What the viewer does with the
# pop-up commands is printed, not required: Wine's viewer shows no pop-ups. Screenshots of the
# contents and the screen-area topic go to BUILD_DIR/wine-help/.
#
# Usage: help_view_test.sh HELP_OPEN_EXE VAZIDAVO.HLP BUILD_DIR
set -euo pipefail
help_open=$(realpath "$1")
help_file=$(realpath "$2")
build_dir=$(realpath "$3")

if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh" "$build_dir"
wine_skip_unless_usable

bin="$build_dir/wine-help"
rm -rf "$bin" && mkdir -p "$bin"
cp "$help_open" "$bin/help_open.exe"
cp "$help_file" "$bin/VAZIDAVO.HLP"
cd "$bin"

fail=0
shot() {
  if command -v import >/dev/null; then
    import -window root "$1"
  else
    echo "no screenshot $1: ImageMagick's import is not installed (scripts/setup.sh installs it)"
  fi
}
expect() {
  if ! grep -qF -- "$2" <<<"$1"; then
    echo "FAIL: expected: $2"
    fail=1
  fi
}

# Opened by itself, the viewer shows the contents topic.
wine winhlp32.exe VAZIDAVO.HLP >/dev/null 2>&1 &
# Output goes through files: the Wine services a run starts keep a pipe open after it.
wine help_open.exe --look >direct.txt 2>/dev/null || true
direct=$(tr -d '\r' <direct.txt)
echo "$direct"
shot contents.png
wineserver -k || true
wineserver -w
expect "$direct" 'shows "Screen Area Help"'

# Asked for the screen-area topic by its context name, which the viewer finds through |CONTEXT.
wine winhlp32.exe -i screen_area VAZIDAVO.HLP >/dev/null 2>&1 &
wine help_open.exe --look >named.txt 2>/dev/null || true
named=$(tr -d '\r' <named.txt)
echo "$named"
wineserver -k || true
wineserver -w
expect "$named" 'shows "Screen area"'

# Asked for context 150, as the component asks when F1 or the right button is used over the
# screen area.
wine help_open.exe VAZIDAVO.HLP >asked.txt 2>/dev/null || true
asked=$(tr -d '\r' <asked.txt)
echo "$asked"
sleep 1
shot screen_area.png
wineserver -k || true
wineserver -w
expect "$asked" 'window topic: Screen area'
expect "$asked" 'says five seconds: yes'

echo "screenshots: $bin/contents.png $bin/screen_area.png"
exit $fail
