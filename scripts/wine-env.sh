# Sourced by the scripts that run Windows programs: a private, 32-bit Wine prefix under the
# given build tree, made once, and quiet.
# Usage: . scripts/wine-env.sh BUILD_DIR
wine_build_dir=$1
export WINEPREFIX="$wine_build_dir/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
wine_scripts_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# A test under Wine ends here, as skipped (exit code 77, which CTest is told), on a machine that
# cannot run Wine's programs.
wine_skip_unless_usable() {
  local why
  why=$("$wine_scripts_dir/wine-check.sh") || { echo "SKIPPED: $why"; exit 77; }
}
if [ ! -f "$WINEPREFIX/system.reg" ] && "$wine_scripts_dir/wine-check.sh" >/dev/null; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi

# Makes Wine report Windows 98 to one program.
wine_report_win98() {
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$1" /v Version /d win98 /f >/dev/null 2>&1
  wineserver -w
}

# The system directory (%11%) of the 32-bit prefix, as a host path.
wine_system_dir() {
  echo "$WINEPREFIX/drive_c/windows/system32"
}
