#!/bin/bash
# Sets up the machine and the build (scripts/setup.sh), then starts Oxel under
# Wine on the bundled samples folder. With a display (DISPLAY set) Oxel runs
# there until it is closed. Without one it runs on a virtual display, and after
# a few seconds a screenshot is left in screenshots/oxel.png and Oxel is closed.
# Usage: scripts/run.sh [PICTURE]   (default: samples/01-dawn.jpg)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${OXEL_BUILD:-$root/build}
picture=${1:-$root/samples/01-dawn.jpg}

bash "$root/scripts/setup.sh"

export WINEPREFIX="$build/win/wineprefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine reaches the Unix file system as drive Z:. (No winepath here: it would
# start the Wine server before the display exists.)
picture=$(realpath "$picture")
windows_path="Z:${picture//\//\\}"

if [ -n "${DISPLAY:-}" ]; then
  echo "[run] starting Oxel on $picture"
  exec wine "$build/win/out/Oxel.exe" "$windows_path"
fi

. "$root/scripts/virtual-display.sh"
start_virtual_display
trap 'wineserver -k 2>/dev/null; stop_virtual_display' EXIT
echo "[run] no display: starting Oxel on a virtual one ($DISPLAY) on $picture"
wine "$build/win/out/Oxel.exe" "$windows_path" </dev/null >/dev/null 2>&1 &
for _ in $(seq 60); do  # the first start of a fresh Wine prefix is slow
  xwininfo -root -tree 2>/dev/null | grep -q '"Oxel": ("oxel.exe"' && break
  sleep 1
done
sleep "${OXEL_SCREENSHOT_DELAY:-3}"
mkdir -p "$root/screenshots"
import -window root "$root/screenshots/oxel.png"
echo "[run] screenshot: $root/screenshots/oxel.png"
