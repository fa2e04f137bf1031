; What the setup program adds to CPack's template: the Start menu entry starting in the
; user's Music folder, "Open with" for MIDI files without taking over the default player,
; and the installed size under Apps & features. Included at the top of the script.
!include "FileFunc.nsh"

!define PLINKARO_PROGID "Plinkaro.MidiFile"
!define PLINKARO_UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Plinkaro"

; The shortcut is shared by all users, so its folder is named by the variable each user's
; shell expands; StrCpy sets it without creating a folder of that literal name.
!macro PlinkaroShortcut
  StrCpy $OUTDIR "%USERPROFILE%\Music"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Plinkaro.lnk" "$INSTDIR\plinkaro.exe" "" \
    "$INSTDIR\plinkaro.exe" 0
  SetOutPath "$INSTDIR"
!macroend

!macro PlinkaroRemoveShortcut
  Delete "$SMPROGRAMS\$MUI_TEMP\Plinkaro.lnk"
!macroend

!macro PlinkaroOpenWith EXTENSION
  WriteRegStr SHCTX "Software\Classes\${EXTENSION}\OpenWithProgids" "${PLINKARO_PROGID}" ""
  WriteRegStr SHCTX "Software\Classes\Applications\plinkaro.exe\SupportedTypes" "${EXTENSION}" ""
!macroend

!macro PlinkaroRegister
  WriteRegStr SHCTX "Software\Classes\${PLINKARO_PROGID}" "" "MIDI song"
  WriteRegStr SHCTX "Software\Classes\${PLINKARO_PROGID}\DefaultIcon" "" "$INSTDIR\plinkaro.exe,0"
  WriteRegStr SHCTX "Software\Classes\${PLINKARO_PROGID}\shell\open\command" "" \
    '"$INSTDIR\plinkaro.exe" "%1"'
  WriteRegStr SHCTX "Software\Classes\Applications\plinkaro.exe" "FriendlyAppName" "Plinkaro"
  WriteRegStr SHCTX "Software\Classes\Applications\plinkaro.exe\shell\open\command" "" \
    '"$INSTDIR\plinkaro.exe" "%1"'
  !insertmacro PlinkaroOpenWith ".mid"
  !insertmacro PlinkaroOpenWith ".midi"
  !insertmacro PlinkaroOpenWith ".kar"
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${PLINKARO_UNINSTALL_KEY}" "EstimatedSize" $0
!macroend

; Only our own values and keys go; the extensions' keys stay for the other programs.
!macro PlinkaroUnregister
  DeleteRegValue SHCTX "Software\Classes\.mid\OpenWithProgids" "${PLINKARO_PROGID}"
  DeleteRegValue SHCTX "Software\Classes\.midi\OpenWithProgids" "${PLINKARO_PROGID}"
  DeleteRegValue SHCTX "Software\Classes\.kar\OpenWithProgids" "${PLINKARO_PROGID}"
  DeleteRegKey SHCTX "Software\Classes\${PLINKARO_PROGID}"
  DeleteRegKey SHCTX "Software\Classes\Applications\plinkaro.exe"
!macroend
