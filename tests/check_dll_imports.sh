#!/usr/bin/env bash
# The DLL carries its C++ runtime inside: it may import system DLLs only, and it
# exports the sixteen KSUi functions under their plain names.
set -euo pipefail
dll=$1
objdump=${2:-i686-w64-mingw32-objdump}
dump=$("$objdump" -p "$dll")
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|ole32|OLEAUT32|oleacc|SHELL32|d2d1|dwrite|dwmapi|windowscodecs|msvcrt|api-ms-win-[a-z0-9-]+)\.dll$'
status=0
while read -r name; do
  if ! grep -qiE "$allowed" <<<"$name"; then
    echo "unexpected import: $name"
    status=1
  fi
done < <(sed -n 's/^\s*DLL Name: //p' <<<"$dump")
for f in KSUiAttach KSUiDetach KSUiLastError KSUiWaitDone KSUiSetState KSUiSetProgress KSUiSetStatus \
  KSUiSetDir KSUiGetDir KSUiGetOption KSUiSetBranding KSUiSetHeroDir KSUiBrowseDir KSUiIsAppRunning \
  KSUiKillApp KSUiProcReport; do
  grep -qE "\] $f\$" <<<"$dump" || { echo "missing plain export: $f"; status=1; }
done
if grep -qE '\] KSUi[A-Za-z]+@[0-9]+$' <<<"$dump"; then
  echo "decorated export names present"
  status=1
fi
[ $status = 0 ] && echo "imports and exports are as they should be"
exit $status
