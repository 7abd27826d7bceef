#!/usr/bin/env bash
# Installs what is missing, builds KVSETTNG both ways and runs every test: the winsim suite,
# the same suite under AddressSanitizer and UndefinedBehaviorSanitizer, each fuzz target for a
# short time on its corpus, and the Windows build's tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

passed=0
failed=0
skipped=0
run_preset() {
  local preset=$1
  echo "== $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  echo "== $preset: tests"
  local log
  log=$(mktemp)
  set +e
  ctest --preset "$preset" 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  set -e
  local line
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  local skip
  skip=$(grep -c -E '^[[:space:]]*[0-9]+ - .*\(Skipped\)$' "$log" || true)
  rm -f "$log"
  if [ -n "$line" ]; then
    local total bad
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
    bad=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
    passed=$((passed + total - bad - skip))
    failed=$((failed + bad))
    skipped=$((skipped + skip))
  elif [ "$status" -ne 0 ]; then
    failed=$((failed + 1))
  fi
  return 0
}

run_preset sim
run_preset sim-asan
run_preset fuzz
run_preset win32

# The tests under Wine are skipped, each saying why, on a machine that cannot run Wine's
# programs (scripts/wine-check.sh).
echo "total: $passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]
