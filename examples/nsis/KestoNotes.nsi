; Kesto Notes: an NSIS installer with the KestoUIEngine front end.
;
; Build it from the repository root after ./scripts/test (or the build of your
; choice) has produced build/bin/KestoUI.dll, build/bin/KestoUIEngine.dll, the
; demo payload in build/demo/payload and its pictures in build/demo/pictures:
;
;   makensis examples/nsis/KestoNotes.nsi                         (Chinese)
;   makensis -DKSUI_LANGUAGE=English examples/nsis/KestoNotes.nsi  (English)
;
; The front end follows the installer's language ($LANGUAGE): Chinese and
; English are built in, and so are Arabic and Hebrew, which read from right to
; left. For any other language, give the front end a table of texts with
; KestoUI::LoadTexts (see the engine's header for the ids).
;
; Every KestoUI function leaves exactly one value on the stack: its result,
; "ok", or a line that starts with "error: ". Pop it after every call.

Unicode true

; --- Where the pieces come from (override with makensis -DNAME=value) ---
!ifndef KSUI_BIN
  !define KSUI_BIN "${__FILEDIR__}/../../build/bin"            ; KestoUI.dll and KestoUIEngine.dll
!endif
!ifndef KSUI_PAYLOAD
  !define KSUI_PAYLOAD "${__FILEDIR__}/../../build/demo/payload"    ; the product's files
!endif
!ifndef KSUI_PICTURES
  !define KSUI_PICTURES "${__FILEDIR__}/../../build/demo/pictures"  ; hero1.png .. hero5.png
!endif
!ifndef KSUI_OUTFILE
  !define KSUI_OUTFILE "KestoNotesSetup.exe"
!endif

; --- Target: a 32-bit Unicode installer, as the shipped engine is 32-bit ---
; A 64-bit build of the engine and plugin (build/x64/bin) needs the matching
; stub: makensis -DKSUI_ARCH=amd64-unicode -DKSUI_BIN=build/x64/bin ...
!ifndef KSUI_ARCH
  !define KSUI_ARCH x86-unicode
!endif
Target ${KSUI_ARCH}
!addplugindir /${KSUI_ARCH} "${KSUI_BIN}"

!include LogicLib.nsh

; --- Language: NSIS's own language file, so that what NSIS writes (the
; "Extract:" lines the front end mirrors) is in the front end's language ---
!ifndef KSUI_LANGUAGE
  !define KSUI_LANGUAGE SimpChinese
!endif
LoadLanguageFile "${NSISDIR}\Contrib\Language files\${KSUI_LANGUAGE}.nlf"
!if "${KSUI_LANGUAGE}" == "English"
  !define TEXT_CAPTION "Kesto Notes Setup"
  !define TEXT_LICENCE_LINK "License and Privacy Agreement"
  !define TEXT_CLOSING "Closing the running Kesto Notes…"
  !define TEXT_CANCELLED "Installation canceled"
  !define TEXT_DONE "Installation complete"
!else
  !define TEXT_CAPTION "Kesto Notes 安装程序"
  !define TEXT_LICENCE_LINK "《许可与隐私协议》"
  !define TEXT_CLOSING "正在关闭正在运行的 Kesto Notes…"
  !define TEXT_CANCELLED "安装已取消"
  !define TEXT_DONE "安装完成"
!endif

Name "Kesto Notes"
Caption "${TEXT_CAPTION}"
OutFile "${KSUI_OUTFILE}"
InstallDir "$PROGRAMFILES\Kesto Notes"
RequestExecutionLevel user
; The front end shows NSIS's progress; NSIS moves on to the finished page by itself.
AutoCloseWindow true
ShowInstDetails nevershow

; Three pages: the front end's welcome page, NSIS's own instfiles page (hidden
; behind the front end, which shows its progress and the current file), and
; the front end's finished page.
Page custom WelcomePage
Page instfiles
Page custom FinishedPage

Var MadeInstDir ; 1 when this installer created $INSTDIR, so a failed install may remove it

Function .onInit
  ; The engine, the pictures and the licence travel in the installer and are
  ; unpacked beside the plugin; Windows finds the engine next to KestoUI.dll.
  InitPluginsDir
  File "/oname=$PLUGINSDIR\KestoUIEngine.dll" "${KSUI_BIN}/KestoUIEngine.dll"
  File "/oname=$PLUGINSDIR\licence.txt" "${KSUI_PAYLOAD}/LICENSE.txt"
  SetOutPath "$PLUGINSDIR\pictures"
  File "${KSUI_PICTURES}/hero*.png"
  ; An installer started with /D=<folder> installs there.
  StrCpy $MadeInstDir 0
FunctionEnd

Function WelcomePage
  KestoUI::SetBranding "${TEXT_LICENCE_LINK}" 0x1F6FEB 0x14B8C4
  Pop $0
  KestoUI::SetHeroDir "$PLUGINSDIR\pictures"
  Pop $0
  KestoUI::SetLicence "$PLUGINSDIR\licence.txt"
  Pop $0
  ; Shows the welcome page and waits. The change button opens the folder
  ; picker by itself; on "install" $INSTDIR holds the folder the user chose.
  KestoUI::Welcome
  Pop $0
  ${If} $0 != "install"
    ${If} $0 != "close"
      MessageBox MB_ICONSTOP "$0"
    ${EndIf}
    Quit
  ${EndIf}
FunctionEnd

; A cancel is honoured between sections: the user closed the window, so this
; section stops with Abort and NSIS runs .onInstFailed.
!macro StopIfCancelled
  KestoUI::Cancelled
  Pop $0
  ${If} $0 == 1
    Abort "${TEXT_CANCELLED}"
  ${EndIf}
  !ifdef KSUI_PAUSE_MS
    ; Lets a demonstration (or the unattended test) watch the copy at work.
    Sleep ${KSUI_PAUSE_MS}
  !endif
!macroend

Section "Program"
  ; A running copy of the product holds its files open: close it first.
  KestoUI::IsRunning "KestoNotes.exe"
  Pop $0
  ${If} $0 > 0
    KestoUI::Status "${TEXT_CLOSING}"
    Pop $1
    KestoUI::Kill "KestoNotes.exe" 3000
    Pop $0
  ${EndIf}
  ${IfNot} ${FileExists} "$INSTDIR\*.*"
    StrCpy $MadeInstDir 1
  ${EndIf}
  SetOutPath "$INSTDIR"
  ; Plain File commands: the front end's bar and status line follow them.
  File "${KSUI_PAYLOAD}/KestoNotes.exe"
  File "${KSUI_PAYLOAD}/README.txt"
  File "${KSUI_PAYLOAD}/LICENSE.txt"
  !insertmacro StopIfCancelled
SectionEnd

Section "Resources"
  SetOutPath "$INSTDIR\locales"
  File /r "${KSUI_PAYLOAD}/locales/*.*"
  SetOutPath "$INSTDIR\templates"
  File /r "${KSUI_PAYLOAD}/templates/*.*"
  !insertmacro StopIfCancelled
  SetOutPath "$INSTDIR\themes"
  File /r "${KSUI_PAYLOAD}/themes/*.*"
  !insertmacro StopIfCancelled
SectionEnd

Section "Help"
  SetOutPath "$INSTDIR\help"
  File /r "${KSUI_PAYLOAD}/help/*.*"
  !insertmacro StopIfCancelled
SectionEnd

Section "Shortcuts"
  ; The options the user ticked on the welcome page. Like the demo, the
  ; shortcuts stay inside the install folder; a real installer would use
  ; $DESKTOP, $SMPROGRAMS and $SMSTARTUP.
  SetOutPath "$INSTDIR"
  KestoUI::GetOption desktop
  Pop $0
  ${If} $0 == 1
    CreateDirectory "$INSTDIR\Shortcuts\Desktop"
    CreateShortCut "$INSTDIR\Shortcuts\Desktop\Kesto Notes.lnk" "$INSTDIR\KestoNotes.exe"
  ${EndIf}
  KestoUI::GetOption startmenu
  Pop $0
  ${If} $0 == 1
    CreateDirectory "$INSTDIR\Shortcuts\Start Menu\Programs"
    CreateShortCut "$INSTDIR\Shortcuts\Start Menu\Programs\Kesto Notes.lnk" "$INSTDIR\KestoNotes.exe"
  ${EndIf}
  KestoUI::GetOption autostart
  Pop $0
  ${If} $0 == 1
    CreateDirectory "$INSTDIR\Shortcuts\Startup"
    CreateShortCut "$INSTDIR\Shortcuts\Startup\Kesto Notes.lnk" "$INSTDIR\KestoNotes.exe"
  ${EndIf}
  KestoUI::Status "${TEXT_DONE}"
  Pop $0
SectionEnd

Function .onInstFailed
  ; NSIS keeps no record of what it wrote, so it cannot undo a failed install by
  ; itself. This installer removes the folder when it created it; into an
  ; existing folder it leaves what it copied.
  ${If} $MadeInstDir == 1
    SetOutPath "$TEMP"
    RMDir /r "$INSTDIR"
  ${EndIf}
FunctionEnd

Function FinishedPage
  ; Shows the finished page and waits for the launch or close button.
  KestoUI::Finished
  Pop $0
  ${If} $0 == "launch"
    Exec '"$INSTDIR\KestoNotes.exe"'
  ${EndIf}
FunctionEnd
