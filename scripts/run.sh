#!/usr/bin/env bash
# The main job: installs what is missing, builds the winsim build and plays a user's session
# with the stand-in Display control panel (sessions/default.session unless a script is
# given), with a PNG of the preview after each step in build/sim/session-png unless
# --png-dir says otherwise. Arguments go to kvsession.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset sim >/dev/null
cmake --build --preset sim --target kvsession
png_dir=()
case " $* " in
    *" --png-dir "*) ;;
    *) png_dir=(--png-dir build/sim/session-png) ;;
esac
build/sim/tools/kvsession "${png_dir[@]}" "$@"
