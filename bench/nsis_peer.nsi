; A minimal installer with a modern-UI welcome page: the peer whose CPU use at
; rest scripts/bench measures beside the engine's. It installs nothing.
Unicode true
!ifdef AMD64
Target amd64-unicode
!endif
!include "MUI2.nsh"
Name "Peer"
OutFile "nsis_peer.exe"
RequestExecutionLevel user
InstallDir "$TEMP\nsis_peer"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"
Section
SectionEnd
