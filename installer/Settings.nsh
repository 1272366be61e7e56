; The settings file Quendel.ini across install, upgrade and removal.
;  - A fresh install takes the shipped file; an upgrade keeps every value of the user's file
;    and adds the keys of the shipped file that it lacks.
;  - Path names the installed description file unless it names another existing one.
;  - The file's time after the setup program's last write is kept as its stamp: removal
;    deletes the file only while the stamp still matches (nobody changed a setting since).
; The macros use $R0-$R9 freely: they run at the top level of a section.

!define SETTINGS "$INSTDIR\Quendel.ini"
!define STAMP_VALUE "Settings Stamp"

; out = the settings file's last-write time as "high:low", or "" without a file.
!macro SettingsStamp out
  ClearErrors
  GetFileTime "${SETTINGS}" $R8 $R9
  ${If} ${Errors}
    StrCpy ${out} ""
  ${Else}
    StrCpy ${out} "$R8:$R9"
  ${EndIf}
!macroend

; $R0 = 1 when the settings file was changed since the setup program wrote it, else 0.
!macro SettingsChanged
  ReadRegStr $R1 HKLM "${OWN_KEY}" "${STAMP_VALUE}"
  !insertmacro SettingsStamp $R2
  StrCpy $R0 1
  ${If} $R1 != ""
  ${AndIf} $R1 == $R2
    StrCpy $R0 0
  ${EndIf}
!macroend

; An organisation's sign-in with OAuth, given to the setup program: /OAUTHCLIENTID=ID (its own
; registration with the provider, see the README) and /OAUTHPROVIDER=N (1 Microsoft, 2 Google,
; 3 another) go into [Mail Setting].
!macro SignInOptions
  ${GetParameters} $R3
  ClearErrors
  ${GetOptions} $R3 "/OAUTHCLIENTID=" $R4
  ${IfNot} ${Errors}
    WriteINIStr "${SETTINGS}" "Mail Setting" "OAuth Client ID" $R4
  ${EndIf}
  ClearErrors
  ${GetOptions} $R3 "/OAUTHPROVIDER=" $R4
  ${IfNot} ${Errors}
    WriteINIStr "${SETTINGS}" "Mail Setting" "OAuth Provider" $R4
  ${EndIf}
!macroend

!macro InstallSettings
  ${IfNot} ${FileExists} "${SETTINGS}"
    File "/oname=${SETTINGS}" "${DIST}/Quendel.ini"
    StrCpy $R0 0
  ${Else}
    !insertmacro SettingsChanged
    InitPluginsDir
    File "/oname=$PLUGINSDIR\Quendel.ini" "${DIST}/Quendel.ini"
    Push "$PLUGINSDIR\Quendel.ini"
    Call AddMissingSettings
  ${EndIf}

  ReadINIStr $R1 "${SETTINGS}" "Scan Setting" "Path"
  ${GetFileName} $R1 $R2
  ${If} $R1 == ""
  ${OrIf} $R1 == "NULL"
  ${OrIf} $R2 == "VS600.ini"
  ${OrIfNot} ${FileExists} $R1
    WriteINIStr "${SETTINGS}" "Scan Setting" "Path" "$INSTDIR\VS600.ini"
  ${EndIf}
  !insertmacro SignInOptions
  FlushINI "${SETTINGS}"

  ${If} $R0 == 0
    !insertmacro SettingsStamp $R1
    WriteRegStr HKLM "${OWN_KEY}" "${STAMP_VALUE}" $R1
  ${Else}
    DeleteRegValue HKLM "${OWN_KEY}" "${STAMP_VALUE}"
  ${EndIf}
!macroend

; Adds to the settings file every key of the file named on the stack that it lacks; keys it
; has keep their values.
Function AddMissingSettings
  Exch $R0 ; the shipped file
  Push $R1
  Push $R2
  Push $R3
  Push $R4
  Push $R5
  Push $R6
  !define NAMES_CHARS 16384
  ; Room past the names for reading one whole string at the last of them.
  System::Alloc 34816 ; section names
  Pop $R1
  System::Alloc 34816 ; key names of one section
  Pop $R2
  System::Call 'kernel32::GetPrivateProfileSectionNamesW(p R1, i ${NAMES_CHARS}, w R0)'
  StrCpy $R3 $R1
  ${Do}
    System::Call '*$R3(&w${NSIS_MAX_STRLEN} .R4)'
    ${IfThen} $R4 == "" ${|} ${ExitDo} ${|}
    System::Call 'kernel32::GetPrivateProfileStringW(w R4, p 0, w "", p R2, i ${NAMES_CHARS}, w R0)'
    StrCpy $R5 $R2
    ${Do}
      System::Call '*$R5(&w${NSIS_MAX_STRLEN} .R6)'
      ${IfThen} $R6 == "" ${|} ${ExitDo} ${|}
      Push $R5
      ; A value that no settings file holds stands for a missing key.
      System::Call 'kernel32::GetPrivateProfileStringW(w R4, w R6, w "?<missing>?", w .R5, i ${NSIS_MAX_STRLEN}, w "${SETTINGS}")'
      ${If} $R5 == "?<missing>?"
        ReadINIStr $R5 $R0 $R4 $R6
        WriteINIStr "${SETTINGS}" $R4 $R6 $R5
      ${EndIf}
      Pop $R5
      StrLen $R6 $R6
      IntOp $R6 $R6 + 1
      IntOp $R6 $R6 * 2
      IntPtrOp $R5 $R5 + $R6
    ${Loop}
    StrLen $R4 $R4
    IntOp $R4 $R4 + 1
    IntOp $R4 $R4 * 2
    IntPtrOp $R3 $R3 + $R4
  ${Loop}
  System::Free $R2
  System::Free $R1
  !undef NAMES_CHARS
  Pop $R6
  Pop $R5
  Pop $R4
  Pop $R3
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

; Removal: an unchanged settings file goes, and TEMP and DATA when empty. What the user made
; (changed settings, scans in TEMP and DATA) stays in a silent removal; an interactive one
; asks whether it should go too.
!macro RemoveSettings
  !insertmacro SettingsChanged
  ${If} $R0 == 0
    Delete "${SETTINGS}"
  ${EndIf}
  RMDir "$INSTDIR\TEMP"
  RMDir "$INSTDIR\DATA"
  ${If} ${FileExists} "${SETTINGS}"
  ${OrIf} ${FileExists} "$INSTDIR\TEMP\*.*"
  ${OrIf} ${FileExists} "$INSTDIR\DATA\*.*"
    ${IfNot} ${Silent}
      MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(UN_ASK)" IDNO keep_user_data
      Delete "${SETTINGS}"
      RMDir /r "$INSTDIR\TEMP"
      RMDir /r "$INSTDIR\DATA"
    keep_user_data:
    ${EndIf}
  ${EndIf}
!macroend
