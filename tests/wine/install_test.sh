#!/usr/bin/env bash
# The package installed under Wine the way a user installs it, with the system's setup
# library reading KVSETTNG.INF: the extension's registration and the four files in the system
# directory afterwards, and after the uninstall section the registry and the Windows directory
# exactly as they were before.
#
# Usage: install_test.sh PACKAGE_DIR BUILD_DIR
set -euo pipefail
package_dir=$1
build_dir=$2

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../scripts/wine-env.sh" "$build_dir"

clsid='{71DFC44E-99D6-4227-BF5F-B92D687429BD}'
handlers='HKLM\Software\Microsoft\Windows\CurrentVersion\Controls Folder\Display\shellex\PropertySheetHandlers'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KVSETTNG'
windows_dir="$WINEPREFIX/drive_c/windows"
system_dir=$(wine_system_dir)

work="$build_dir/wine-install"
rm -rf "$work" && mkdir -p "$work/package"
cp "$package_dir"/* "$work/package/"
inf_path=$(winepath -w "$work/package/KVSETTNG.INF" 2>/dev/null)

fail=0
check() {
  if ! grep -qF -- "$2" <<<"$3"; then
    echo "FAIL: $1: expected '$2' in:"
    echo "$3"
    fail=1
  fi
}

# The registry's software branches as text (the rest is the system's device enumeration,
# which Wine writes anew whenever its display driver starts), with the Windows directory's
# files and their sizes.
snapshot() {
  wine reg export 'HKLM\Software' "$(winepath -w "$work/hklm.reg")" /y >/dev/null 2>&1
  wine reg export 'HKCU\Software' "$(winepath -w "$work/hkcu.reg")" /y >/dev/null 2>&1
  { iconv -f UTF-16 -t UTF-8 "$work/hklm.reg"; iconv -f UTF-16 -t UTF-8 "$work/hkcu.reg"; } | tr -d '\r' >"$1.reg.txt"
  (cd "$windows_dir" && find . -type f -printf '%p %s\n' | sort) >"$1.files.txt"
}

# The Display control panel's list of sheet handlers belongs to the shell, as on a system
# with the control panel installed; the package adds to it and takes only its own entry away.
wine reg add "$handlers" /f >/dev/null 2>&1
snapshot "$work/before"

wine rundll32 setupapi.dll,InstallHinfSection DefaultInstall 132 "$inf_path"

server=$(wine reg query "HKCR\\CLSID\\$clsid\\InProcServer32" 2>&1 | tr -d '\r')
handler=$(wine reg query "$handlers\\KVSETTNG" 2>&1 | tr -d '\r')
check "in-process server" "(Default)    REG_SZ    C:\\windows\\system32\\KVSETTNG.DLL" "$server"
check "threading model" "ThreadingModel    REG_SZ    Apartment" "$server"
check "display sheet handler" "(Default)    REG_SZ    $clsid" "$handler"
check "uninstall entry" "DisplayName    REG_SZ    KVSETTNG Screen Area" \
  "$(wine reg query "$uninstall_key" 2>&1 | tr -d '\r')"
for file in KVSETTNG.DLL KVSettng.RLB KVAPI32.DLL VAZIDAVO.HLP; do
  if ! cmp -s "$work/package/$file" "$system_dir/$file"; then
    echo "FAIL: $file is not in the system directory as packed"
    fail=1
  fi
done
snapshot "$work/installed"
echo "installed: added to the registry and the Windows directory:"
diff "$work/before.reg.txt" "$work/installed.reg.txt" | grep '^>' || true
diff "$work/before.files.txt" "$work/installed.files.txt" | grep '^>' || true

# The uninstall as the entry under Add/Remove Programs runs it, from the installed INF.
wine rundll32 setupapi.dll,InstallHinfSection DefaultUninstall 132 'C:\windows\inf\KVSETTNG.INF'
snapshot "$work/after"
if ! diff "$work/before.reg.txt" "$work/after.reg.txt"; then
  echo "FAIL: the registry after the uninstall differs from before the install (< before, > after)"
  fail=1
fi
if ! diff "$work/before.files.txt" "$work/after.files.txt"; then
  echo "FAIL: the Windows directory after the uninstall differs from before the install (< before, > after)"
  fail=1
fi
wineserver -w
[ $fail -eq 0 ] && echo "install and uninstall under Wine: passed"
exit $fail
