#!/usr/bin/env bash
# Tells whether this machine can run the Windows build's programs under Wine: Wine's 32-bit
# loader must run as a native i386 program. A kernel built without 32-bit support refuses it
# ("Exec format error"), and running it through a user-mode emulator instead is too slow for
# a test run (minutes for every program started). Exits 0 when Wine can run, otherwise prints
# why and exits 1.
# Usage: scripts/wine-check.sh
set -u
loader=/usr/lib/wine/wine
if [ ! -x "$loader" ]; then
  echo "Wine is not installed (scripts/setup.sh installs it)"
  exit 1
fi
for handler in /proc/sys/fs/binfmt_misc/*; do
  case ${handler##*/} in register | status) continue ;; esac
  [ -f "$handler" ] || continue
  if grep -qx enabled "$handler" && grep -q '^magic 7f454c4601010100000000000000000002000300' "$handler"; then
    echo "this machine runs 32-bit programs only through an emulator ($(sed -n 's/^interpreter //p' "$handler")): too slow for Wine"
    exit 1
  fi
done
"$loader" --version >/dev/null 2>&1
status=$?
if [ $status -eq 126 ]; then
  echo "this machine's kernel cannot run 32-bit programs, which Wine's loader is"
  exit 1
fi
exit 0
