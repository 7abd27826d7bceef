#!/usr/bin/env bash
# Installs what KVSETTNG needs on a Debian 12 machine, and nothing that is already there.
# Everything comes from Debian's own package archive.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# clang 14 with libFuzzer and the sanitizers' runtime build the fuzz targets; llvm-14 brings the
# symbolizer that names the functions of a crash's stack.
native=(cmake ninja-build g++ googletest libgtest-dev libgmock-dev libbenchmark-dev libpng-dev
        g++-mingw-w64-i686 binutils-mingw-w64-i686 xvfb xauth imagemagick
        clang-14 libclang-rt-14-dev llvm-14)
for p in "${native[@]}"; do have "$p" || need+=("$p"); done

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  sudo_ dpkg --add-architecture i386
  updated=no
fi
wine_need=()
have wine || wine_need+=(wine)
have wine32:i386 || wine_need+=(wine32:i386)

install() {
  echo "setup: installing $*"
  DEBIAN_FRONTEND=noninteractive sudo_ apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

if [ ${#need[@]} -gt 0 ] || [ ${#wine_need[@]} -gt 0 ]; then
  # A mirror in the middle of a sync serves an index that fails its check; a second try
  # usually finds it whole, and an index that still fails only matters if a package needs it.
  sudo_ apt-get update -qq || { sleep 20; sudo_ apt-get update -qq; } ||
    echo "setup: some package indexes could not be read; installing from the rest"
fi
[ ${#need[@]} -eq 0 ] || install "${need[@]}"
# Wine runs only the Windows build's tests; without it they are skipped, each saying why
# (scripts/wine-check.sh), and the total counts them.
if [ ${#wine_need[@]} -gt 0 ] && ! install "${wine_need[@]}"; then
  echo "setup: Wine could not be installed; the tests under Wine will be skipped"
fi
echo "setup: the build and test tools are present"
