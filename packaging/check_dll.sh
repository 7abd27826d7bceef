#!/usr/bin/env bash
# Holds a built KVSETTNG.DLL to what its users' systems can load: imports only from the
# allow-list, exactly the two exports, version 4.0 headers, a GUI subsystem, and no C or
# C++ runtime beneath it.
# Usage: check_dll.sh KVSETTNG.DLL ALLOW_LIST
set -euo pipefail
dll=$1
allow=$2
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

dump=$("$objdump" -p "$dll")
fail=0
problem() { echo "FAIL: $*"; fail=1; }

header() { awk -v k="$1" '$1 == k { print $2 }' <<<"$dump"; }
[ "$(header MajorOSystemVersion)" = 4 ] || problem "operating-system version is not 4.0"
[ "$(header MinorOSystemVersion)" = 0 ] || problem "operating-system version is not 4.0"
[ "$(header MajorSubsystemVersion)" = 4 ] || problem "subsystem version is not 4.0"
[ "$(header MinorSubsystemVersion)" = 0 ] || problem "subsystem version is not 4.0"
[ "$(header Subsystem)" = 00000002 ] || problem "subsystem is not the Windows GUI"

imports=$(awk '
  /DLL Name:/ { dll = $3; next }
  /^$/ { if (dll != "" && seen) { dll = ""; seen = 0 } }
  dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll, $3; seen = 1 }
' <<<"$dump" | sort -u)
[ -n "$imports" ] || problem "no imports found: the dump was not understood"
allowed=$(grep -v -E '^\s*(#|$)' "$allow" | sort -u)
extra=$(comm -23 <(echo "$imports") <(echo "$allowed"))
[ -z "$extra" ] || problem "imports outside the allow-list:"$'\n'"$extra"

libraries=$(awk '/DLL Name:/ { print toupper($3) }' <<<"$dump" | sort -u | tr '\n' ' ')
for library in $libraries; do
  case $library in
    KERNEL32.DLL | USER32.DLL | GDI32.DLL) ;;
    *) problem "imports from $library" ;;
  esac
done

exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && /^\t\[/ { print $NF; next } on { on = 0 }' \
  <<<"$dump" | sort | tr '\n' ' ')
[ "$exports" = "DllCanUnloadNow DllGetClassObject " ] || problem "exports are '$exports'"

if [ $fail -eq 0 ]; then
  echo "$(basename "$dll"): $(wc -l <<<"$imports") imports from ${libraries}all allowed; exports: $exports; version 4.0"
fi
exit $fail
