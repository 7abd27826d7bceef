#!/usr/bin/env bash
# The default session played under Wine against the real DLL must tell what the same session
# tells on winsim, step by step (paths aside).
# Usage: session_trace_test.sh KVSESSION_EXE SIM_KVSESSION BUILD_DIR
set -uo pipefail
session_exe=$1
sim_session=$2
build_dir=$3
here=$(cd "$(dirname "$0")" && pwd)
why=$("$here/../../scripts/wine-check.sh") || { echo "SKIPPED: $why"; exit 77; }

if [ ! -x "$sim_session" ]; then
  echo "FAIL: no winsim build of kvsession at $sim_session to compare with (build the sim preset first)"
  exit 1
fi
# Where each platform keeps the extension, and the preview pictures, are not the session's.
normalise() { sed -e 's/C:\\kvpanel-[0-9]*/DIR/' -e 's/C:\\WINDOWS\\SYSTEM/DIR/' -e '/^  preview /d' -e '/^session /d'; }

fail=0
wine_trace=$("$here/../../scripts/wine-run.sh" "$build_dir" "$session_exe" 2>&1 | tr -d '\r')
wine_status=${PIPESTATUS[0]}
sim_trace=$("$sim_session" 2>&1)
if [ "$wine_status" -ne 0 ]; then
  echo "$wine_trace"
  echo "FAIL: the session under Wine did not hold every expectation"
  fail=1
fi
if ! diff <(normalise <<<"$sim_trace") <(normalise <<<"$wine_trace"); then
  echo "FAIL: the session tells differently under Wine (>) and on winsim (<)"
  fail=1
fi
[ $fail -eq 0 ] && echo "the default session under Wine and on winsim: the same"
exit $fail
