; Orvane's setup program: the program, its libraries, language libraries, help and settings
; into Program Files\Orvane, a Start-menu shortcut and an uninstaller registered with Windows;
; optionally the OCR engine and the virtual scanner. "/S" installs silently, "/D=folder"
; picks the folder. Built by the build (installer/CMakeLists.txt), which defines VERSION,
; DIST (the deliverables), ART (the icon's folder), OUTFILE and the file lists.

Unicode true
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true

!define /ifndef VERSION4 "${VERSION}.0"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvane"
; The installer's own state: language, the settings file's stamp, the virtual scanner.
!define OWN_KEY "Software\Orvane"
; Where the OCR page looks for the engine (the 2.0 edition's key).
!define OCR_KEY "Software\Xerox\TextBridge\Classic 2.0"
!define OCR_VALUE_KEY "${OCR_KEY}\TextBridge"

Name "Orvane"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Orvane"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Orvane ${VERSION}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${FILES_NSH}"
!include "Rights.nsh"
!include "Settings.nsh"

!define MUI_ICON "${ART}/orvane.ico"
!define MUI_UNICON "${ART}/orvane.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${OWN_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Installer Language"

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; English and the twelve interface languages.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "TradChinese"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_LANGUAGE "Spanish"
!insertmacro MUI_LANGUAGE "Dutch"
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "Korean"
!insertmacro MUI_LANGUAGE "PortugueseBR"
!insertmacro MUI_LANGUAGE "Danish"
!insertmacro MUI_LANGUAGE "Swedish"
!insertmacro MUI_RESERVEFILE_LANGDLL
!include "Strings.nsh"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Orvane"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Orvane ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"

Function .onInit
  SetShellVarContext all
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Section "Orvane" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  !insertmacro ORVANE_PROGRAM_FILES
  WriteRegStr HKLM "${OWN_KEY}" "Installer Language" $LANGUAGE
  !insertmacro InstallSettings
  CreateDirectory "$INSTDIR\TEMP"
  CreateDirectory "$INSTDIR\DATA"
  ; What the program and its libraries write beside themselves: the settings file, the
  ; job images in TEMP (where the acquisition library also writes its page file, so that
  ; users need not add files to the program folder itself), the recognised texts in DATA.
  !insertmacro GrantUsers "$INSTDIR\Quendel.ini" ${RIGHTS_READ_WRITE} ${NO_INHERITANCE}
  !insertmacro GrantUsersFolder "$INSTDIR\TEMP"
  !insertmacro GrantUsersFolder "$INSTDIR\DATA"

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Orvane.lnk" "$INSTDIR\Orvane.exe" "" "$INSTDIR\Orvane.exe" 0
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Orvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Orvane.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "$(SEC_OCR)" SecOcr
  SetOutPath "$INSTDIR\OCR\bin"
  !insertmacro ORVANE_OCR_FILES
  ; For the installing user, as the OCR page reads it; others add it themselves (README).
  WriteRegStr HKCU "${OCR_VALUE_KEY}" "TBInstall" "$INSTDIR\OCR\"
SectionEnd

Section "$(SEC_SCANNER)" SecScanner
  SetOutPath "$WINDIR\twain_32"
  !insertmacro ORVANE_SCANNER_FILES
  ; The virtual scanner logs every call it receives unless told otherwise: not when installed.
  WriteINIStr "$WINDIR\twain_32\vscanner.ini" "Scanner" "Log" "NUL"
  WriteRegStr HKLM "${OWN_KEY}" "Virtual Scanner" "$WINDIR\twain_32"
SectionEnd

Section "-Size"
  SetOutPath "$INSTDIR"
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "$(DESC_PROGRAM)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecOcr} "$(DESC_OCR)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecScanner} "$(DESC_SCANNER)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function un.onInit
  SetShellVarContext all
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

; Removes what the setup program made; the user's scans and changed settings stay unless
; the user, asked in an interactive removal, wants them gone.
Section "Uninstall"
  !insertmacro ORVANE_DELETE_PROGRAM_FILES "$INSTDIR"
  Delete "$INSTDIR\TEMP\TWN00000.BMP"
  Delete "$INSTDIR\TEMP\TWN00000.TIF"
  !insertmacro RemoveSettings

  ReadRegStr $0 HKCU "${OCR_VALUE_KEY}" "TBInstall"
  ${If} $0 == "$INSTDIR\OCR\"
    DeleteRegKey HKCU "${OCR_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Xerox\TextBridge"
    DeleteRegKey /ifempty HKCU "Software\Xerox"
  ${EndIf}
  !insertmacro ORVANE_DELETE_OCR_FILES "$INSTDIR\OCR\bin"
  RMDir "$INSTDIR\OCR\bin"
  RMDir "$INSTDIR\OCR"

  ReadRegStr $0 HKLM "${OWN_KEY}" "Virtual Scanner"
  ${If} $0 != ""
    !insertmacro ORVANE_DELETE_SCANNER_FILES "$0"
    Delete "$0\vscanner.ini"
  ${EndIf}

  Delete "$SMPROGRAMS\Orvane.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${OWN_KEY}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
