#!/usr/bin/env bash
# The main job: installs what is missing, builds the winsim build and runs the driver probe
# against the stand-in adapter, printing what the component learns from the driver.
# Arguments go to the probe (for example: --config kvapi/examples/small.ini).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset sim >/dev/null
cmake --build --preset sim --target kvprobe
build/sim/tools/kvprobe "$@"
