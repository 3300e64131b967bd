# Shared by the scripts: which build runs here, building a tree, the wine prefix,
# a private Xvfb display and one persistent wineserver, both stopped on exit.
# Only the pids this script started are ever signalled.

# The library ships as 32-bit code. Some virtual machines run a kernel whose
# 32-bit emulation is off: there no 32-bit program starts, wine's 32-bit loader
# included. On such a machine the tests, benchmarks and demo run a 64-bit build
# of the same sources under wine64, natively; the 32-bit library is still built
# and its export tables checked.
ksui_pick_arch() {
  if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    KSUI_ARCH=i686
    KSUI_WINE=wine
  else
    KSUI_ARCH=x86_64
    KSUI_WINE=/usr/lib/wine/wine64
    export WINELOADER=$KSUI_WINE
  fi
  export KSUI_ARCH KSUI_WINE
}

# The build tree whose programs run on this machine: the product's own for
# 32-bit, a 64-bit tree inside it otherwise.
ksui_run_tree() { # product-build-dir
  if [ "$KSUI_ARCH" = i686 ]; then echo "$1"; else echo "$1/x64"; fi
}

ksui_build() { # build-dir arch werror(ON|OFF) [targets...]
  local dir=$1 arch=$2 werror=$3
  shift 3
  local targets=()
  for t in "$@"; do targets+=(--target "$t"); done
  mkdir -p "$dir"
  cmake -S "$KSUI_SOURCE_DIR" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$KSUI_SOURCE_DIR/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKSUI_WERROR="$werror" >"$dir/configure.log" 2>&1 ||
    { cat "$dir/configure.log"; return 1; }
  cmake --build "$dir" "${targets[@]}" -j"$(nproc)" >"$dir/build.log" 2>&1 ||
    { grep -E -B2 -A8 'error|Error' "$dir/build.log" | head -150; return 1; }
}

# The wine prefix of a build tree: 96 DPI and a replacement for the engine's
# font, without which DirectWrite measures every text as 0 wide.
ksui_prepare_prefix() { # build-dir
  local dir=$1
  mkdir -p "$dir"
  export WINEPREFIX="$dir/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "setup: creating $WINEPREFIX"
    "$KSUI_WINE" wineboot.exe -i >"$dir/wineboot.log" 2>&1
  fi
  # Settings are versioned, so that an existing prefix picks up new ones.
  local settings=4
  if [ "$(cat "$WINEPREFIX/.ksui-settings" 2>/dev/null)" != "$settings" ]; then
    {
      "$KSUI_WINE" reg.exe add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Microsoft YaHei' /d 'WenQuanYi Micro Hei' /f
      # The right-to-left languages are set in Segoe UI, as on Windows; DejaVu
      # Sans has its Arabic and Hebrew letters.
      "$KSUI_WINE" reg.exe add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Segoe UI' /d 'DejaVu Sans' /f
      "$KSUI_WINE" reg.exe add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f
      # Without a window manager, winex11 waits 2 s for one to withdraw every
      # managed window that is hidden or destroyed; unmanaged windows go at once.
      "$KSUI_WINE" reg.exe add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    } >>"$dir/wineboot.log" 2>&1
    wineserver -w
    echo "$settings" >"$WINEPREFIX/.ksui-settings"
  fi
}

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
  "$KSUI_WINE" wineboot.exe >"$KSUI_LOG_DIR/wine-services.log" 2>&1 || true
}
