#!/bin/bash
# Builds and runs the benchmarks under Wine on a virtual display and prints
# their figures: opening a picture in a folder of 10,000 files for each sort
# order, and the way of a 6000 x 4000 picture from the file to the first paint.
# Assumes scripts/setup.sh has run. No pass or fail.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${OXEL_BUILD:-$root/build}
cmake --build "$build/win" -j2 --target viewer_sort_benchmark viewer_picture_benchmark >/dev/null
. "$root/scripts/virtual-display.sh"
start_virtual_display
export WINEPREFIX="$build/win/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null; stop_virtual_display' EXIT
export OXEL_SOURCE_DIR="$root" OXEL_BINARY_DIR="$build/win" OXEL_OUT_DIR="$build/win/out"
cd "$build/win/viewer"
echo "== sort orders (${OXEL_BENCH_FILES:-10000} files)"
wine ./viewer_sort_benchmark.exe "${OXEL_BENCH_FILES:-10000}" </dev/null
echo "== large picture"
wine ./viewer_picture_benchmark.exe </dev/null
