#!/usr/bin/env bash
# The whole fault sweep of the shipped sessions under AddressSanitizer and
# UndefinedBehaviorSanitizer: each session once for every failable call that the component
# makes in it, with that call failing (the test command runs a sample of them). Builds only
# the sweep tool of the sim-asan preset; prints each session's calls, runs, broken runs and
# time, and fails when a run broke what must hold.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset sim-asan >/dev/null
cmake --build build/sim-asan --target kvsweep -j2

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
# One session on each core.
pids=()
for session in default native; do
  build/sim-asan/tools/kvsweep "sessions/$session.session" >"$logs/$session.log" 2>&1 &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do
  wait "$pid" || status=1
done
for session in default native; do
  echo "== $session"
  cat "$logs/$session.log"
done
exit $status
