#!/bin/bash
# Sets up the machine and the builds (scripts/setup.sh), then starts Oxel under
# Wine on the bundled samples folder: the 32-bit program where this machine
# executes 32-bit code, its 64-bit twin where it cannot. With a display (DISPLAY
# set) Oxel runs there until it is closed. Without one it runs on a virtual
# display, and after a few seconds a screenshot is left in
# screenshots/oxel.png and Oxel is closed. When Oxel's window does not appear,
# the script says so and exits non-zero, leaving no screenshot.
# Usage: scripts/run.sh [PICTURE]   (default: samples/01-dawn.jpg)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${OXEL_BUILD:-$root/build}
picture=${1:-$root/samples/01-dawn.jpg}
oxel_root=$root
. "$root/scripts/platform.sh"

bash "$root/scripts/setup.sh"

if oxel_can_run_32bit; then
  name=win
else
  name=win64
  echo "[run] $(oxel_no_32bit_reason): starting the 64-bit twin, build/win64/out/Oxel.exe"
fi
oxel_wine_env $name
program="$build/$name/out/Oxel.exe"
# Wine reaches the Unix file system as drive Z:. (No winepath here: it would
# start the Wine server before the display exists.)
picture=$(realpath "$picture")
windows_path="Z:${picture//\//\\}"

if [ -n "${DISPLAY:-}" ]; then
  echo "[run] starting Oxel on $picture"
  exec "$oxel_wine" "$program" "$windows_path"
fi

. "$root/scripts/virtual-display.sh"
start_virtual_display
trap '"$oxel_wineserver" -k 2>/dev/null; stop_virtual_display' EXIT
shot="$root/screenshots/oxel.png"
rm -f "$shot"
echo "[run] no display: starting Oxel on a virtual one ($DISPLAY) on $picture"
"$oxel_wine" "$program" "$windows_path" </dev/null >/dev/null 2>&1 &
oxel_pid=$!
# Succeeds when a window of Oxel's process (X class "oxel.exe", either case)
# larger than Wine's 1 x 1 helper windows is mapped on the display.
oxel_window_shown() {
  local id
  for id in $(xwininfo -root -tree 2>/dev/null |
              awk 'tolower($0) ~ /\("oxel\.exe" "oxel\.exe"\)/ && $0 !~ / 1x1\+/ {print $1}'); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && return 0
  done
  return 1
}
shown=0
for _ in $(seq 90); do  # the first start of a fresh Wine prefix is slow
  if oxel_window_shown; then
    shown=1
    break
  fi
  kill -0 $oxel_pid 2>/dev/null || break
  sleep 1
done
if [ $shown = 0 ]; then
  if kill -0 $oxel_pid 2>/dev/null; then
    echo "[run] error: Oxel's window did not appear within 90 s ($oxel_wine $program)" >&2
  else
    wait $oxel_pid && status=0 || status=$?
    echo "[run] error: Oxel ended with status $status before its window appeared ($oxel_wine $program)" >&2
  fi
  exit 1
fi
sleep "${OXEL_SCREENSHOT_DELAY:-3}"
mkdir -p "$root/screenshots"
import -window root "$shot"
echo "[run] screenshot: $shot"
