#!/usr/bin/env bash
# Holds a built DLL to what its users' systems can load: imports only from the allow-list,
# exactly the exports it names, version 4.0 headers, a GUI subsystem, and no C or C++
# runtime beneath it, nor static constructors that only such a runtime would run. The
# allow-list has a line `LIBRARY FUNCTION` for each import allowed and a line `export NAME`
# for each export expected.
# Usage: check_dll.sh DLL ALLOW_LIST
set -euo pipefail
dll=$1
allow=$2
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
nm=${NM:-i686-w64-mingw32-nm}

dump=$("$objdump" -p "$dll")
fail=0
problem() { echo "FAIL: $*"; fail=1; }

header() { awk -v k="$1" '$1 == k { print $2 }' <<<"$dump"; }
[ "$(header MajorOSystemVersion)" = 4 ] || problem "operating-system version is not 4.0"
[ "$(header MinorOSystemVersion)" = 0 ] || problem "operating-system version is not 4.0"
[ "$(header MajorSubsystemVersion)" = 4 ] || problem "subsystem version is not 4.0"
[ "$(header MinorSubsystemVersion)" = 0 ] || problem "subsystem version is not 4.0"
[ "$(header Subsystem)" = 00000002 ] || problem "subsystem is not the Windows GUI"

# Without a C runtime nothing runs a static constructor before the DLL's entry.
symbols=$("$nm" "$dll" 2>/dev/null || true)
[ -n "$symbols" ] || problem "no symbol table in which to look for static constructors"
constructors=$(awk '/_GLOBAL__sub_I_/ { print $3 }' <<<"$symbols")
[ -z "$constructors" ] || problem "static constructors, which nothing runs:"$'\n'"$constructors"

imports=$(awk '
  /DLL Name:/ { dll = $3; next }
  /^$/ { if (dll != "" && seen) { dll = ""; seen = 0 } }
  dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[A-Za-z_]/ { print dll, $3; seen = 1 }
' <<<"$dump" | sort -u)
[ -n "$imports" ] || problem "no imports found: the dump was not understood"
entries=$(grep -v -E '^\s*(#|$)' "$allow")
allowed=$(grep -v '^export ' <<<"$entries" | sort -u)
extra=$(comm -23 <(echo "$imports") <(echo "$allowed"))
[ -z "$extra" ] || problem "imports outside the allow-list:"$'\n'"$extra"

libraries=$(awk '/DLL Name:/ { print toupper($3) }' <<<"$dump" | sort -u | tr '\n' ' ')
allowed_libraries=$(awk '{ print toupper($1) }' <<<"$allowed" | sort -u)
for library in $libraries; do
  grep -qxF "$library" <<<"$allowed_libraries" || problem "imports from $library"
done

exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ { on = 1; next } on && /^\t\[/ { print $NF; next } on { on = 0 }' \
  <<<"$dump" | sort | tr '\n' ' ')
expected_exports=$(awk '$1 == "export" { print $2 }' <<<"$entries" | sort | tr '\n' ' ')
[ "$exports" = "$expected_exports" ] || problem "exports are '$exports', expected '$expected_exports'"

if [ $fail -eq 0 ]; then
  echo "$(basename "$dll"): $(wc -l <<<"$imports") imports from ${libraries}all allowed; exports: $exports; version 4.0"
fi
exit $fail
