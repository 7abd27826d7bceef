#!/usr/bin/env bash
# The archive holds every file a user installs, and the installation file names each of them.
# Usage: check_archive.sh ARCHIVE FILE...
set -euo pipefail
archive=$1
shift
listing=$(cmake -E tar tf "$archive")
inf=$(cd "$(dirname "$0")" && pwd)/KVSETTNG.INF
fail=0
for file in "$@"; do
  grep -qxF "$file" <<<"$listing" || { echo "FAIL: $file is not in $(basename "$archive")"; fail=1; }
  grep -qiF "$file" "$inf" || { echo "FAIL: KVSETTNG.INF does not name $file"; fail=1; }
done
[ $fail -eq 0 ] && echo "$(basename "$archive"): $*"
exit $fail
