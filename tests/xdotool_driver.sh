#!/usr/bin/env bash
# Runs a test program under wine and moves the real X pointer for it.
#   xdotool_driver.sh <program.exe> [program arguments]
#
# xdotool has to run outside wine, so the program asks for pointer input
# through marker files in $KSUI_INPUT_DIR (a directory made here, relative to
# the working directory): it writes stepN.req holding one xdotool command line,
# this script runs it and answers with stepN.done holding xdotool's exit code.
#
# Uses the DISPLAY and WINEPREFIX of the test run. Wine's output goes to a file
# (never a pipe) and is printed when the program has ended. Every process this
# script starts is ended by its own pid before the script exits.
set -u
set -f # the requested command lines are split into words, never globbed

program=${1:?usage: xdotool_driver.sh program.exe [arguments]}
shift
command -v xdotool >/dev/null || { echo "xdotool is not installed"; exit 77; }
[ -n "${DISPLAY:-}" ] || { echo "DISPLAY is not set"; exit 77; }

dir=$(mktemp -d "$PWD/pointer_input.XXXXXX") || exit 1
export KSUI_INPUT_DIR=${dir##*/}
log="$dir/program.log"
program_pid=""
deadline=$((SECONDS + 480))

finish() {
  if [ -n "$program_pid" ] && [ "$program_pid" -gt 1 ] && kill -0 "$program_pid" 2>/dev/null; then
    echo "xdotool_driver: ending the program (pid $program_pid)" >>"$log"
    kill "$program_pid" 2>/dev/null
    wait "$program_pid" 2>/dev/null
  fi
  # Leave no button held for the tests that run after this one.
  xdotool mouseup 1 mouseup 3 >/dev/null 2>&1
  # The program puts the mouse buttons back unswapped whenever it starts, so a
  # run that ended half way leaves no swapped buttons behind.
  "${KSUI_WINE:-wine}" "$program" --gtest_list_tests >>"$dir/restore.log" 2>&1
  cat "$log" 2>/dev/null
  rm -rf "$dir"
}
trap finish EXIT
trap 'exit 1' INT TERM

"${KSUI_WINE:-wine}" "$program" "$@" >"$log" 2>&1 &
program_pid=$!

step=1
while kill -0 "$program_pid" 2>/dev/null; do
  if [ "$SECONDS" -ge "$deadline" ]; then
    echo "xdotool_driver: the program ran too long" >>"$log"
    exit 1
  fi
  request="$dir/step$step.req"
  if [ ! -f "$request" ]; then
    sleep 0.01
    continue
  fi
  line=$(cat "$request")
  if [[ "$line" =~ ^[a-z0-9\ .-]+$ ]]; then
    # shellcheck disable=SC2086
    xdotool $line >>"$dir/xdotool.log" 2>&1
    rc=$?
  else
    echo "xdotool_driver: refused step $step: $line" >>"$log"
    rc=2
  fi
  echo "$rc" >"$dir/step$step.tmp"
  mv "$dir/step$step.tmp" "$dir/step$step.done"
  step=$((step + 1))
done

wait "$program_pid"
rc=$?
program_pid=""
exit "$rc"
