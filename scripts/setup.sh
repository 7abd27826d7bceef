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
have wine || need+=(wine)
have wine32:i386 || need+=(wine32:i386)

if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  sudo_ apt-get update -qq
  DEBIAN_FRONTEND=noninteractive sudo_ apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
echo "setup: all build and test tools are present"
