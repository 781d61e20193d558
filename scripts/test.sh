#!/bin/bash
# Sets up the machine and both builds (scripts/setup.sh), then runs every test:
# the native tests and fuzzers, and the Windows tests under Wine on a virtual
# display of their own. Ends with one line "N passed, N failed" over both
# builds, and exits non-zero when any test failed.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${OXEL_BUILD:-$root/build}

bash "$root/scripts/setup.sh" || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }

. "$root/scripts/virtual-display.sh"
start_virtual_display
export WINEPREFIX="$build/win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wineserver -p </dev/null >/dev/null 2>&1  # one server for all tests: each Wine start is then quick
# Start Wine's own services now, away from ctest: services started by the first
# test would inherit ctest's output pipe and keep it open, and ctest would wait.
wine cmd /c exit </dev/null >/dev/null 2>&1

for dir in "$build/native" "$build/win"; do
  rm -rf "$dir/test-reports" "$dir/Testing/Temporary/LastTestsFailed.log"
  mkdir -p "$dir/test-reports"
done

echo "== native tests (sanitizers, fuzzers)"
(cd "$build/native" && ctest --output-on-failure -j2)
echo "== Windows tests under Wine"
(cd "$build/win" && ctest --output-on-failure)

wineserver -k 2>/dev/null
stop_virtual_display
echo "== summary"
python3 "$root/scripts/summarize-tests.py" "$build/native" "$build/win"
