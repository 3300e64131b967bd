#!/usr/bin/env bash
# Builds the NSIS example (examples/nsis) for this build tree and runs it under
# wine, as a user would, with the real X pointer (xdotool):
#   1. a silent installer that calls the plugin the wrong way: every call
#      answers with a clear error and the stack stays balanced;
#   2. an install: the licence window, custom panel, desktop shortcut off, start at boot on,
#      install, launch; every payload file installed with its content, the
#      shortcuts of the ticked options only, the product started;
#   3. an install cancelled during the copy: the installer ends as aborted and
#      removes the folder it made;
#   4. the English build of the example: the front end follows the installer's
#      language, read through what a screen reader hears (tests/fixtures/acc_names).
# Screenshots of each page go to <source>/out/nsis-*.png.
#   nsis_installer.sh <source-dir> <build-dir> <nsis target: x86-unicode|amd64-unicode>
# Uses the DISPLAY, WINEPREFIX and KSUI_WINE of the test run. Every process it
# starts is ended by its own pid.
set -u
src=${1:?source dir} build=${2:?build dir} target=${3:?nsis target}
for tool in xdotool makensis import; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 77; }
done
[ -n "${DISPLAY:-}" ] || { echo "DISPLAY is not set"; exit 77; }
wine=${KSUI_WINE:-wine}
out="$src/out"
work="$build/nsis-run"
demo="$build/demo"
payload="$demo/payload"
rm -rf "$work"
mkdir -p "$work" "$out"
rm -f "$out"/nsis-*.png

installer_pid=""
# The product the finished page launched: found by its path inside this run's folder.
product_pids() { ps -eo pid=,args= | grep -F "nsis-run" | grep -F "KestoNotes.exe" | grep -v grep | awk '{print $1}'; }
end_product() {
  local pid
  for pid in $(product_pids); do
    [ "$pid" -gt 1 ] && kill "$pid" 2>/dev/null
  done
}
finish() {
  if [ -n "$installer_pid" ] && [ "$installer_pid" -gt 1 ] && kill -0 "$installer_pid" 2>/dev/null; then
    kill "$installer_pid" 2>/dev/null
    wait "$installer_pid" 2>/dev/null
  fi
  xdotool mouseup 1 >/dev/null 2>&1
  end_product
}
trap finish EXIT
trap 'exit 1' INT TERM

fail() { echo "nsis_installer: $*"; exit 1; }
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# --- The installers ---
if [ ! -f "$demo/pictures/hero5.png" ] || [ "$demo/hero_art.exe" -nt "$demo/pictures/hero5.png" ]; then
  "$wine" "$demo/hero_art.exe" "$(winpath "$demo/pictures")" >"$work/hero_art.log" 2>&1 ||
    { cat "$work/hero_art.log"; fail "could not paint the pictures"; }
fi
makensis -V2 -DKSUI_ARCH="$target" -DKSUI_BIN="$build/bin" -DKSUI_PAYLOAD="$payload" \
  -DKSUI_PICTURES="$demo/pictures" -DKSUI_PAUSE_MS=1500 -DKSUI_OUTFILE="$work/KestoNotesSetup.exe" \
  "$src/examples/nsis/KestoNotes.nsi" >"$work/makensis.log" 2>&1 || { cat "$work/makensis.log"; fail "makensis failed"; }
# Where this tree is the 64-bit one inside the shipped 32-bit tree, the shipped
# plugin must make a 32-bit installer too (it cannot run here).
if [ "$target" = amd64-unicode ] && [ -f "$build/../bin/KestoUI.dll" ]; then
  makensis -V2 -DKSUI_BIN="$build/../bin" -DKSUI_PAYLOAD="$payload" -DKSUI_PICTURES="$demo/pictures" \
    -DKSUI_OUTFILE="$work/KestoNotesSetup-x86.exe" "$src/examples/nsis/KestoNotes.nsi" >"$work/makensis-x86.log" 2>&1 ||
    { cat "$work/makensis-x86.log"; fail "makensis failed for the 32-bit installer"; }
fi
makensis -V2 -DKSUI_ARCH="$target" -DKSUI_BIN="$build/bin" -DKSUI_PAYLOAD="$payload" \
  -DKSUI_PICTURES="$demo/pictures" -DKSUI_PAUSE_MS=1500 -DKSUI_LANGUAGE=English \
  -DKSUI_OUTFILE="$work/KestoNotesSetup-en.exe" "$src/examples/nsis/KestoNotes.nsi" >"$work/makensis-en.log" 2>&1 ||
  { cat "$work/makensis-en.log"; fail "makensis failed for the English installer"; }
makensis -V2 -DKSUI_ARCH="$target" -DKSUI_BIN="$build/bin" -DKSUI_OUTFILE="$work/BadInput.exe" \
  -DRESULTS="$(winpath "$work/bad-input.txt")" "$src/tests/fixtures/nsis_bad_input.nsi" >"$work/makensis-bad.log" 2>&1 ||
  { cat "$work/makensis-bad.log"; fail "makensis failed on the bad-input script"; }

# --- 1. Bad input ---
"$wine" "$work/BadInput.exe" /S >"$work/wine-bad.log" 2>&1
[ -f "$work/bad-input.txt" ] || fail "the bad-input installer wrote no results"
results=$(tr -d '\r' <"$work/bad-input.txt")
expect() { # label expected-text (a fixed string the result must contain)
  local line
  line=$(grep -F "$1|" <<<"$results") || fail "no result for '$1'"
  grep -qF -- "$2" <<<"${line#*|}" || fail "'$1' gave '${line#*|}', expected it to contain '$2'"
}
expect "unknown option" 'error: unknown option "bogus"'
expect "missing hero folder" "error: no such folder:"
expect "progress before welcome" "error: the welcome page has not been shown yet"
expect "status before welcome" "error: the welcome page has not been shown yet"
expect "progress not a number" "error: Progress needs tenths"
expect "progress above 1000" "error: Progress needs tenths"
expect "colour not a number" "error: a colour is"
expect "kill wait not a number" "error: Kill needs"
expect "missing licence file" "error: no such file:"
expect "welcome without a window" "error: Welcome needs the installer window"
expect "finished without a window" "error: Finished must be called from a page function"
expect "cancelled before welcome" "error: the welcome page has not been shown yet"
expect "unknown language" 'error: unknown language: '
expect "unknown language" 'KSUiSetLanguage(unknown language "xx-YY") HRESULT=0x80070057'
expect "unknown text id" 'KSUiSetText(unknown text id "Bogus")'
expect "missing text table" "error: the table was not taken: "
expect "missing text table" "KSUiLoadTexts(cannot open the file)"
expect "set text" "ok"
expect "option default" "1"
expect "set dir" "ok"
expect "is running" "0"
expect "stack" "sentinel"
echo "nsis_installer: bad input answered with errors, stack balanced"

# --- Pointer helpers (design units to screen pixels, as scripts/demo does) ---
window_title="Kesto Notes 安装程序"
find_window() { # waits for the installer window; sets win_x win_y win_w win_h scale boost
  local deadline=$((SECONDS + 120)) id="" X Y WIDTH HEIGHT
  while [ $SECONDS -lt $deadline ]; do
    id=$(xdotool search --onlyvisible --name "^$window_title" 2>/dev/null | head -1)
    if [ -n "$id" ]; then
      eval "$(xdotool getwindowgeometry --shell "$id")"
      if [ "$WIDTH" -gt 400 ]; then
        win_x=$X win_y=$Y win_w=$WIDTH win_h=$HEIGHT
        scale=$(awk -v w="$win_w" 'BEGIN { printf "%.6f", w / 1024 }')
        boost=$(awk -v s="$scale" 'BEGIN { b = 0.85 / s; if (b < 1) b = 1; if (b > 2) b = 2; printf "%.6f", b }')
        return 0
      fi
    fi
    kill -0 "$installer_pid" 2>/dev/null || fail "the installer ended before its window appeared"
    sleep 0.2
  done
  fail "the installer window did not appear"
}
px() { awk -v o="$1" -v d="$2" -v s="$scale" 'BEGIN { printf "%d", o + d * s + 0.5 }'; }
design() { awk -v b="$boost" "BEGIN { printf \"%.3f\", $1 }"; }
click() { # x y in design units
  xdotool mousemove "$(px "$win_x" "$1")" "$(px "$win_y" "$2")"
  sleep 0.35
  xdotool mousedown 1
  sleep 0.08
  xdotool mouseup 1
}
park_pointer() { xdotool mousemove "$(px "$win_x" 300)" "$(px "$win_y" 240)"; }
shot() { import -window root -crop "${win_w}x${2:-$win_h}+${win_x}+${win_y}" +repage "$out/nsis-$1.png"; }
wait_for() { # seconds description command...
  local deadline=$((SECONDS + $1)) what=$2
  shift 2
  while [ $SECONDS -lt $deadline ]; do
    "$@" && return 0
    sleep 0.1
  done
  fail "timed out waiting for $what"
}
wait_exit() { # seconds; sets installer_rc
  local deadline=$((SECONDS + $1))
  while kill -0 "$installer_pid" 2>/dev/null; do
    [ $SECONDS -lt $deadline ] || fail "the installer did not end"
    sleep 0.1
  done
  wait "$installer_pid"
  installer_rc=$?
  installer_pid=""
}
start_installer() { # install-dir log-name [installer]
  "$wine" "$work/${3:-KestoNotesSetup.exe}" "/D=$(winpath "$1")" >"$work/$2.log" 2>&1 &
  installer_pid=$!
  find_window
  sleep 2
}
close_x() { design '1004 - 14 * (1 + 0.35 * (b - 1))'; }
close_y() { design '14 + 14 * (1 + 0.35 * (b - 1))'; }

# --- 2. An install with options, then launch ---
# Folders without blanks: wine quotes an argument with a blank, and NSIS only
# takes an unquoted /D=.
install="$work/install/KestoNotes"
start_installer "$install" wine-install
shot welcome
# The licence link shows the script's licence file in a window of its own;
# Escape closes it.
click "$(design '26 * b + 36 + 105 * b + 60')" "$(design '745 - (22 * b + 24) + 11 * b')"
licence_window() { xdotool search --onlyvisible --name "^许可协议$" 2>/dev/null | head -1; }
licence_shown() { [ -n "$(licence_window)" ]; }
licence_closed() { [ -z "$(licence_window)" ]; }
wait_for 60 "the licence window" licence_shown
sleep 1
eval "$(xdotool getwindowgeometry --shell "$(licence_window)")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/nsis-licence.png"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 3)) click 1
sleep 0.3
xdotool key Escape
wait_for 30 "the licence window to close" licence_closed
# The custom-install panel; desktop shortcut off, start at boot on.
click "$(design '988 - 9 * b')" "$(design '745 - (22 * b + 24) + 11 * b')"
sleep 1
click "$(design '150 + 8 * b')" "$(design '745 + 51 * b + 22 + 8 * b')"
click "$(design '690 + 8 * b')" "$(design '745 + 51 * b + 22 + 8 * b')"
park_pointer
sleep 1
shot custom "$(px 0 "$(design '745 + 150 * b')")"
click 512 608
park_pointer
wait_for 120 "the first files" test -f "$install/README.txt"
sleep 1
shot installing
wait_for 300 "the shortcuts section" test -f "$install/Shortcuts/Startup/Kesto Notes.lnk"
sleep 2.5
shot finished
click 512 608
wait_exit 60
[ "$installer_rc" = 0 ] || fail "the installer ended with $installer_rc after launching"

# What the install left behind.
diff -r --exclude=Shortcuts "$payload" "$install" >"$work/diff.log" 2>&1 ||
  { head -20 "$work/diff.log"; fail "the installed files differ from the payload"; }
[ -f "$install/Shortcuts/Start Menu/Programs/Kesto Notes.lnk" ] || fail "no start-menu shortcut (ticked by default)"
[ -f "$install/Shortcuts/Startup/Kesto Notes.lnk" ] || fail "no start-at-boot shortcut (ticked)"
[ ! -e "$install/Shortcuts/Desktop" ] || fail "a desktop shortcut although it was unticked"
launched() { [ -n "$(product_pids)" ]; }
wait_for 30 "the launched product" launched
# Out of the way of the next run's clicks.
end_product
gone() { [ -z "$(product_pids)" ]; }
wait_for 30 "the product to end" gone
files=$(find "$install" -type f | wc -l)
echo "nsis_installer: installed $files files, options as ticked, product launched"

# --- 3. Cancel during the copy ---
cancelled="$work/cancelled/KestoNotes"
start_installer "$cancelled" wine-cancel
click 512 608
park_pointer
wait_for 120 "the first files of the cancelled install" test -f "$cancelled/README.txt"
click "$(close_x)" "$(close_y)"
park_pointer
sleep 0.3
shot cancelling
wait_exit 120
[ "$installer_rc" = 2 ] || fail "a cancelled install ended with $installer_rc, not 2 (aborted)"
[ ! -e "$cancelled" ] || fail "the cancelled install left $(find "$cancelled" -type f | wc -l) files behind"
[ -d "$work/cancelled" ] || fail "the rollback removed more than the folder it made"
echo "nsis_installer: cancelled install rolled back"

# --- 4. The English installer ---
# What a screen reader hears: the names of the front end's elements, read from
# another process as a reader does.
names() { # file
  "$wine" "$build/tests/acc_names.exe" "$window_title" "$(winpath "$1")" >"$work/acc_names.log" 2>&1 && [ -s "$1" ]
}
expect_name() { # file name
  grep -qxF -- "$2" "$1" || fail "no element named '$2' in: $(tr '\n' '|' <"$1")"
}
window_title="Kesto Notes Setup"
english="$work/english/KestoNotes"
start_installer "$english" wine-english KestoNotesSetup-en.exe
shot en-welcome
wait_for 30 "the welcome page's names" names "$work/names-en-welcome.txt"
expect_name "$work/names-en-welcome.txt" "Quick install"
expect_name "$work/names-en-welcome.txt" "I have read and agree to the License and Privacy Agreement"
expect_name "$work/names-en-welcome.txt" "Custom install"
expect_name "$work/names-en-welcome.txt" "Minimize"
click 512 608
park_pointer
wait_for 120 "the first files of the English install" test -f "$english/README.txt"
sleep 1
shot en-installing
names "$work/names-en-installing.txt" || fail "no names on the installing page"
expect_name "$work/names-en-installing.txt" "Installation progress"
# NSIS writes its own status lines in the installer's language; the front end shows them.
# Which one is up depends on when it is read: a file's "Extract:" or a folder's
# "Output folder:" between the payload's folders.
grep -Eq '^(Extract|Output folder): ' "$work/names-en-installing.txt" ||
  fail "the status line does not show NSIS's English lines: $(tr '\n' '|' <"$work/names-en-installing.txt")"
wait_for 300 "the English shortcuts section" test -f "$english/Shortcuts/Start Menu/Programs/Kesto Notes.lnk"
sleep 2.5
shot en-finished
names "$work/names-en-finished.txt" || fail "no names on the finished page"
expect_name "$work/names-en-finished.txt" "Launch now"
click "$(close_x)" "$(close_y)"
wait_exit 60
[ "$installer_rc" = 0 ] || fail "the English installer ended with $installer_rc after closing"
echo "nsis_installer: English installer speaks English, NSIS's lines included"
echo "nsis_installer: screenshots: $(cd "$out" && ls nsis-*.png | tr '\n' ' ')"
