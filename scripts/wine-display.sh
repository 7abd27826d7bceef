# Sourced after wine-env.sh by the scripts that show Windows programs: one virtual X display
# for the whole run, and a taker of screenshots that answers the programs' requests
# (deskhost/src/windows_screenshots.h). Programs started through wine-run.sh
# show on a Wine desktop of their own whose display modes they may change.
# Usage: wine_display_start; ...; wine_display_stop

wine_display_pid=
wine_shooter_pid=
# The X screen is as large as the largest Windows desktop.
wine_display_screen=${WINE_DISPLAY_SCREEN:-1600x1200x24}

wine_display_start() {
  local number
  for number in $(seq 90 140); do
    [ -e "/tmp/.X$number-lock" ] && continue
    Xvfb ":$number" -screen 0 "$wine_display_screen" -nolisten tcp >/dev/null 2>&1 &
    wine_display_pid=$!
    sleep 0.5
    if kill -0 "$wine_display_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$number" ]; then
      export DISPLAY=":$number"
      break
    fi
    wine_display_pid=
  done
  [ -n "$wine_display_pid" ] || { echo "no X display could be started" >&2; return 1; }
}

# Answers NAME.request files in DIR with DIR/NAME.png, cut to the rectangle the request names.
wine_shooter_start() {
  local dir=$1
  mkdir -p "$dir"
  (
    while :; do
      for request in "$dir"/*.request; do
        [ -e "$request" ] || continue
        name=$(basename "$request" .request)
        [ -e "$dir/$name.done" ] && continue
        read -r left top width height <"$request" || true
        geometry=
        if [ -n "${width:-}" ] && [ "${width:-0}" -gt 0 ]; then
          geometry="-crop ${width}x${height}+${left}+${top} +repage"
        fi
        # shellcheck disable=SC2086
        import -display "$DISPLAY" -window root $geometry "$dir/$name.png" 2>/dev/null || true
        touch "$dir/$name.done"
      done
      sleep 0.1
    done
  ) &
  wine_shooter_pid=$!
}

wine_display_stop() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  if [ -n "$wine_shooter_pid" ]; then kill "$wine_shooter_pid" 2>/dev/null; wait "$wine_shooter_pid" 2>/dev/null || true; fi
  if [ -n "$wine_display_pid" ]; then kill "$wine_display_pid" 2>/dev/null; wait "$wine_display_pid" 2>/dev/null || true; fi
  wine_shooter_pid=
  wine_display_pid=
  return 0
}
