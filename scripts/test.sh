#!/bin/bash
# Sets up the machine and the builds (scripts/setup.sh), then runs every test:
# the native tests and fuzzers, and the Windows tests under Wine on a virtual
# display of their own, against the 64-bit twin always and against the 32-bit
# program where this machine executes 32-bit code. Where it cannot, the 32-bit
# build is still compiled and checked without running it (its "static" tests).
# Ends with one line naming the builds tested and one line "N passed, N failed"
# over all of them, and exits non-zero when any test failed.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${OXEL_BUILD:-$root/build}
oxel_root=$root
. "$root/scripts/platform.sh"

bash "$root/scripts/setup.sh" || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }

. "$root/scripts/virtual-display.sh"
start_virtual_display
trap stop_virtual_display EXIT

for dir in "$build/native" "$build/win" "$build/win64"; do
  rm -rf "$dir/test-reports" "$dir/Testing/Temporary/LastTestsFailed.log"
  mkdir -p "$dir/test-reports"
done

echo "== native tests (sanitizers, fuzzers)"
(cd "$build/native" && ctest --output-on-failure -j2)

builds=("$build/native") tested="native (AddressSanitizer, UndefinedBehaviorSanitizer, fuzzers)"
runnable=" $(oxel_runnable_builds) "
for name in win64 win; do
  arch=x86_64
  [ $name = win ] && arch=i686
  if [[ "$runnable" == *" $name "* ]]; then
    oxel_wine_env $name
    echo "== Windows tests of build/$name ($arch) under $oxel_wine"
    "$oxel_wineserver" -p </dev/null >/dev/null 2>&1  # one server for all tests: each start is then quick
    # Start Wine's own services now, away from ctest: services started by the
    # first test would inherit ctest's output pipe and keep it open.
    "$oxel_wine" cmd /c exit </dev/null >/dev/null 2>&1
    (cd "$build/$name" && ctest --output-on-failure)
    "$oxel_wineserver" -k 2>/dev/null
    builds+=("$build/$name")
    tested+="; $name ($arch, under Wine)"
  else
    why=$(oxel_no_32bit_reason)
    echo "== build/$name ($arch): checked without running; $why"
    (cd "$build/$name" && ctest --output-on-failure -L static)
    builds+=("$build/$name@static")
    tested+="; $name ($arch, compiled and checked without running: $why)"
  fi
done

stop_virtual_display
echo "== summary"
python3 "$root/scripts/summarize-tests.py" --tested "$tested" "${builds[@]}"
