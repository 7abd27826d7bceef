# Sourced after wine-env.sh by the scripts that show Windows programs: one virtual X display
# for the whole run, a Wine virtual desktop on it whose display modes the programs may change,
# and a taker of screenshots that answers the programs' requests (windows_screenshots.h).
# Usage: wine_display_start; ...; wine_display_stop

wine_display_pid=
wine_shooter_pid=
# The X screen is as large as the largest desktop; the Windows desktop starts at 1024x768.
wine_display_screen=${WINE_DISPLAY_SCREEN:-1600x1200x24}
wine_desktop_size=${WINE_DESKTOP_SIZE:-1024x768}

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
  # Every program of the prefix shows on one Windows desktop of that size.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d kv /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v kv /d "$wine_desktop_size" /f >/dev/null 2>&1
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
  [ -n "$wine_shooter_pid" ] && kill "$wine_shooter_pid" 2>/dev/null && wait "$wine_shooter_pid" 2>/dev/null
  [ -n "$wine_display_pid" ] && kill "$wine_display_pid" 2>/dev/null && wait "$wine_display_pid" 2>/dev/null
  wine_shooter_pid=
  wine_display_pid=
  wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
}
