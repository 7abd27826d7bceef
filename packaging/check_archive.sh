#!/usr/bin/env bash
# An archive holds exactly the files a user installs from it, and its installation file names
# each of them.
# Usage: check_archive.sh ARCHIVE INF FILE...
set -euo pipefail
archive=$1
inf=$2
shift 2
fail=0
listing=$(cmake -E tar tf "$archive" | sort)
wanted=$(printf '%s\n' "$@" | sort)
if [ "$listing" != "$wanted" ]; then
  echo "FAIL: $(basename "$archive") holds:"
  echo "$listing"
  echo "but should hold exactly:"
  echo "$wanted"
  fail=1
fi
for file in "$@"; do
  grep -qiF "$file" "$inf" || { echo "FAIL: $(basename "$inf") does not name $file"; fail=1; }
done
[ $fail -eq 0 ] && echo "$(basename "$archive"): $*"
exit $fail
