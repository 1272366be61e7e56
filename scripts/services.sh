# Services for the Wine tests and the run command; sourced by scripts/test and scripts/run.

# A private Xvfb unless a display is already there; exports DISPLAY.
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local fifo
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  ORVANE_XVFB_PID=$!
  local number
  read -r number <"$fifo"
  rm -f "$fifo"
  export DISPLAY=":$number"
}

# CUPS for the printer tests; Wine reads the queue list from it.
start_cups() {
  if pgrep -x cupsd >/dev/null 2>&1; then return 0; fi
  mkdir -p /run/cups
  cupsd >/dev/null 2>&1 || true
  for _ in $(seq 50); do
    lpstat -r >/dev/null 2>&1 && return 0
    sleep 0.1
  done
}

# The prefix's wineserver and desktop, started with their output detached: whoever starts
# them hands them its stdout, and a pipe the server holds never ends ($(...) would hang).
start_wine() {
  wineserver -p </dev/null >/dev/null 2>&1 || true
  "$root/scripts/winerun" cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
}

stop_services() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${ORVANE_XVFB_PID:-}" ]; then kill "$ORVANE_XVFB_PID" 2>/dev/null || true; fi
}
