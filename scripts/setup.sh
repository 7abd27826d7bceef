#!/usr/bin/env bash
# Installs what KVSETTNG needs on a Debian 12 machine, and nothing that is already there.
# Everything comes from Debian's own package archive.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

native=(cmake ninja-build g++ googletest libgtest-dev libgmock-dev libbenchmark-dev libpng-dev
        g++-mingw-w64-i686 binutils-mingw-w64-i686 xvfb xauth imagemagick)
for p in "${native[@]}"; do have "$p" || need+=("$p"); done

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo_ dpkg --add-architecture i386
  updated=no
fi
have wine || need+=(wine)
have wine32:i386 || need+=(wine32:i386)

if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  sudo_ apt-get update -qq
  DEBIAN_FRONTEND=noninteractive sudo_ apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
# Wine's 32-bit loader is an i386 program. A kernel that cannot run those itself (some
# sandboxes) runs them through QEMU's user-mode emulator, registered with binfmt_misc.
runs_i386() { /usr/lib/wine/wine --version >/dev/null 2>&1 || [ $? -ne 126 ]; }
if ! runs_i386 && [ -w /proc/sys/fs/binfmt_misc/register ]; then
  have qemu-user-static || DEBIAN_FRONTEND=noninteractive sudo_ apt-get install -y -qq qemu-user-static >/dev/null
  [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] ||
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      >/proc/sys/fs/binfmt_misc/register
  runs_i386 || { echo "setup: this machine cannot run Wine's 32-bit programs" >&2; exit 1; }
  echo "setup: 32-bit programs run through qemu-i386"
fi
echo "setup: all build and test tools are present"
