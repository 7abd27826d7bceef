#!/usr/bin/env bash
# One virtual X display for a whole run of the Windows tests: `start` starts Xvfb and writes
# DISPLAY to BUILD_DIR/wine-display.env for wine-run.sh;
# `stop` ends the wineserver (and every Wine process) and the display.
# Usage: wine-display-fixture.sh start|stop BUILD_DIR
set -uo pipefail
action=$1
build_dir=$2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-env.sh" "$build_dir"
display_file="$build_dir/wine-display.env"

stop() {
  wineserver -k >/dev/null 2>&1
  wineserver -w >/dev/null 2>&1
  if [ -f "$display_file" ]; then
    . "$display_file"
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
    rm -f "$display_file"
  fi
  return 0
}

case $action in
  start)
    stop
    for number in $(seq 90 140); do
      [ -e "/tmp/.X$number-lock" ] && continue
      setsid Xvfb ":$number" -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
      pid=$!
      for _ in 1 2 3 4 5 6 7 8 9 10; do
        [ -e "/tmp/.X11-unix/X$number" ] && break
        sleep 0.2
      done
      if kill -0 "$pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$number" ]; then
        printf 'DISPLAY=:%s\nXVFB_PID=%s\n' "$number" "$pid" >"$display_file"
        echo "virtual display :$number"
        exit 0
      fi
    done
    echo "no virtual display could be started" >&2
    exit 1
    ;;
  stop)
    stop
    ;;
esac
