#!/usr/bin/env bash
# The resource library built by the project, read under Wine by LoadStringA and
# FindResourceA, must give the same strings, records and errors as winsim reads from the
# same file.
set -euo pipefail
dump_exe=$1
library=$2
sim_dump=$3
build_dir=$4

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh" "$build_dir"
wine_skip_unless_usable

bin="$build_dir/wine-rlbdump"
rm -rf "$bin" && mkdir -p "$bin"
cp "$dump_exe" "$bin/rlbdump.exe"
cp "$library" "$bin/KVSettng.RLB"

wine_out=$(cd "$bin" && wine rlbdump.exe KVSettng.RLB | tr -d '\r')
wineserver -w
echo "$wine_out"

fail=0
for line in 'library: loaded' 'string 10: 11 "Screen Area"' \
            'CustomVerInfo: 12 bytes 02 00 02 00 02 00 E8 03 00 00 00 00'; do
  if ! grep -qxF -- "$line" <<<"$wine_out"; then
    echo "FAIL: expected the line under Wine: $line"
    fail=1
  fi
done

if [ ! -x "$sim_dump" ]; then
  echo "FAIL: no winsim build of rlbdump at $sim_dump to compare with (build the sim preset first)"
  exit 1
fi
if ! diff <(echo "$wine_out") <("$sim_dump" "$bin/KVSettng.RLB"); then
  echo "FAIL: Wine and winsim read the resource library differently (< Wine, > winsim)"
  fail=1
fi
[ $fail -eq 0 ] && echo "resource library under Wine and winsim: the same"
exit $fail
