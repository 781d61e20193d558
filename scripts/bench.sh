#!/bin/bash
# Builds and runs the benchmarks under Wine on a virtual display and prints
# their figures: opening a picture in a folder of 10,000 files for each sort
# order, the way of a 6000 x 4000 picture from the file to the first paint,
# stepping through 50 photographs of 4000 x 3000, animation playback, and the
# peak memory of a 30000 x 30000 PNG and a 40000 x 20000 JPEG shown reduced.
# Assumes scripts/setup.sh has run. No pass or fail. Runs the 32-bit build where
# this machine executes 32-bit programs, else the 64-bit twin (OXEL_BENCH_BUILD
# = win or win64 chooses).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${OXEL_BUILD:-$root/build}
oxel_root=$root
. "$root/scripts/platform.sh"
name=${OXEL_BENCH_BUILD:-$(oxel_runnable_builds | awk '{print $NF}')}
cmake --build "$build/$name" -j2 --target viewer_sort_benchmark viewer_picture_benchmark viewer_step_benchmark \
  viewer_archive_benchmark viewer_animation_benchmark viewer_plugin_host_benchmark viewer_huge_benchmark >/dev/null
. "$root/scripts/virtual-display.sh"
start_virtual_display
oxel_wine_env "$name"
trap '"$oxel_wineserver" -k 2>/dev/null; stop_virtual_display' EXIT
export OXEL_SOURCE_DIR="$root" OXEL_BINARY_DIR="$build/$name" OXEL_OUT_DIR="$build/$name/out"
cd "$build/$name/viewer"
echo "== build/$name"
echo "== sort orders (${OXEL_BENCH_FILES:-10000} files)"
"$oxel_wine" ./viewer_sort_benchmark.exe "${OXEL_BENCH_FILES:-10000}" </dev/null
echo "== large picture"
"$oxel_wine" ./viewer_picture_benchmark.exe </dev/null
echo "== stepping through 50 photographs of 4000 x 3000"
"$oxel_wine" ./viewer_step_benchmark.exe </dev/null
echo "== the same with ReadAhead=OFF (the cold path)"
OXEL_READAHEAD=OFF "$oxel_wine" ./viewer_step_benchmark.exe </dev/null
echo "== stepping through 200 photographs of 1920 x 1080, in a folder and in a zip file"
"$oxel_wine" ./viewer_archive_benchmark.exe </dev/null
echo "== animation playback"
"$oxel_wine" ./viewer_animation_benchmark.exe </dev/null
echo "== a 6000 x 4000 plug-in picture, in process and through a plug-in host"
"$oxel_wine" ./viewer_plugin_host_benchmark.exe </dev/null
echo "== pictures past the pixel limit: peak memory, the decoder's own part apart"
"$oxel_wine" ./viewer_huge_benchmark.exe </dev/null
