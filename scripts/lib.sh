# Shared by the scripts: a private Xvfb display and one persistent wineserver,
# both stopped on exit. Only the pids this script started are ever signalled.

ksui_start_display() { # [screen size], default 1920x1040
  local size=${1:-1920x1040} n
  for n in $(seq 90 160); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "${size}x24" +extension GLX -nolisten tcp >"$KSUI_LOG_DIR/xvfb.log" 2>&1 &
    KSUI_XVFB_PID=$!
    for _ in $(seq 1 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.1
    done
    if kill -0 "$KSUI_XVFB_PID" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      return 0
    fi
  done
  echo "could not start Xvfb" >&2
  return 1
}

ksui_stop_all() {
  if [ -n "${WINEPREFIX:-}" ] && [ -n "${KSUI_WINESERVER_STARTED:-}" ]; then
    wineserver -k >/dev/null 2>&1 || true
  fi
  if [ -n "${KSUI_XVFB_PID:-}" ] && [ "$KSUI_XVFB_PID" -gt 1 ]; then
    kill "$KSUI_XVFB_PID" 2>/dev/null || true
    wait "$KSUI_XVFB_PID" 2>/dev/null || true
  fi
}

ksui_start_wineserver() {
  wineserver -p
  KSUI_WINESERVER_STARTED=1
  # Start wine's own helper processes (services, the desktop) now, with their
  # output going to a file: started by a test instead, they would inherit the
  # test runner's output pipe and keep it open after the test ends.
  wine wineboot >"$KSUI_LOG_DIR/wine-services.log" 2>&1 || true
}
