# Sourced by the run and test scripts: starts a virtual X display of our own and
# exports DISPLAY, unless OXEL_USE_DISPLAY=1 asks for the current display.
# stop_virtual_display ends it again.
OXEL_XVFB_PID=""
start_virtual_display() {
  if [ "${OXEL_USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
    return 0
  fi
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  OXEL_XVFB_PID=$!
  local number
  read -r number <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$number"
}
stop_virtual_display() {
  [ -n "$OXEL_XVFB_PID" ] && kill "$OXEL_XVFB_PID" 2>/dev/null
  OXEL_XVFB_PID=""
}
