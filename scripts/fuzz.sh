#!/usr/bin/env bash
# Runs one fuzz target for a number of seconds on its corpus: the seeds in fuzz/corpus/TARGET,
# those the build makes from its resource libraries, and what earlier runs found
# (build/fuzz/fuzz/corpus/TARGET, where new inputs go). Builds the fuzz preset's target first
# unless --no-build is given (the test step builds them all before it runs them).
#
#   scripts/fuzz.sh [--no-build] TARGET SECONDS [libFuzzer options...]
#   scripts/fuzz.sh driver 600 -jobs=1          for example
#
# Targets: driver library pe_resources dialog_template driver_config session_script.
# An input that crashes is kept as build/fuzz/fuzz/artifacts/TARGET-crash-...; run the target
# on that file alone to see it again: build/fuzz/fuzz/fuzz_TARGET FILE.
set -euo pipefail
cd "$(dirname "$0")/.."

build=yes
if [ "${1:-}" = "--no-build" ]; then
  build=no
  shift
fi
if [ $# -lt 2 ]; then
  echo "usage: scripts/fuzz.sh [--no-build] TARGET SECONDS [libFuzzer options...]" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2

out=build/fuzz/fuzz
if [ "$build" = yes ]; then
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz --target "fuzz_$target" kv_fuzz_seeds
fi

mkdir -p "$out/corpus/$target" "$out/artifacts"
corpora=("$out/corpus/$target" "fuzz/corpus/$target")
if [ -d "$out/seeds/$target" ]; then
  corpora+=("$out/seeds/$target")
fi
dictionary=()
if [ -f "fuzz/dictionaries/$target.dict" ]; then
  dictionary=(-dict="fuzz/dictionaries/$target.dict")
fi
if [ -x /usr/lib/llvm-14/bin/llvm-symbolizer ]; then
  export ASAN_SYMBOLIZER_PATH=/usr/lib/llvm-14/bin/llvm-symbolizer
fi
exec "$out/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$out/artifacts/$target-" "${dictionary[@]}" "$@" "${corpora[@]}"
