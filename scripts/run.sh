#!/usr/bin/env bash
# The main job: installs what is missing, builds the package for Windows and plays the
# default scripted session (sessions/default.session) under Wine against the real
# KVSETTNG.DLL, saving the trace and the screenshots in build/win32/session.
#
#   scripts/run.sh [--layout cloned|native] [SCRIPT]            under Wine
#   scripts/run.sh --winsim [--layout cloned|native] [--png-dir DIR] [SCRIPT]
#                                                               on winsim instead; the preview
#                                                               after each step goes to
#                                                               build/sim/session-png
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

if [ "${1:-}" != "--winsim" ]; then
  if why=$(scripts/wine-check.sh); then
    exec bash scripts/wine-session.sh "$@"
  fi
  echo "run: $why; the session plays on winsim instead"
else
  shift
fi
cmake --preset sim >/dev/null
cmake --build --preset sim --target kvsession
png_dir=()
case " $* " in
  *" --png-dir "*) ;;
  *) png_dir=(--png-dir build/sim/session-png) ;;
esac
build/sim/tools/kvsession "${png_dir[@]}" "$@"
