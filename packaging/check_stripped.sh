#!/usr/bin/env bash
# The DLLs that ship carry no symbol table and no debugging sections.
# Usage: check_stripped.sh DLL...
set -euo pipefail
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
fail=0
for dll in "$@"; do
  # The COFF header follows the "PE\0\0" signature at the offset stored at 0x3C; its symbol
  # table pointer and symbol count are the words at 8 and 12.
  pe=$(od -An -t u4 -j 60 -N 4 "$dll" | tr -d ' ')
  read -r pointer count < <(od -An -t u4 -j $((pe + 12)) -N 8 "$dll")
  if [ "$pointer" != 0 ] || [ "$count" != 0 ]; then
    echo "FAIL: $(basename "$dll") has a symbol table of $count symbols"
    fail=1
  fi
  debug=$("$objdump" -h "$dll" | awk '$2 ~ /^\.debug/ { print $2 }' | tr '\n' ' ')
  [ -z "$debug" ] || { echo "FAIL: $(basename "$dll") has debugging sections: $debug"; fail=1; }
  [ $fail -eq 0 ] && echo "$(basename "$dll"): no symbols, $(stat -c %s "$dll") bytes"
done
exit $fail
