; Installer of the Quillbridge2 print log viewer: the executable, its help file, the App
; Paths entry through which the package starts the viewer, the registry defaults of the
; print log, a Start menu shortcut and an uninstaller.
;   makensis -DEXE_PATH=... -DCHM_PATH=... -DOUTFILE=... [-DVERSION=1.1.1.0] KQVTLGVW.nsi
Unicode true
ManifestSupportedOS all

!ifndef EXE_PATH
  !error "EXE_PATH (the built KQVTLGVW.exe) must be given with -D"
!endif
!ifndef CHM_PATH
  !error "CHM_PATH (the built KQVTLGVW.CHM) must be given with -D"
!endif
!ifndef OUTFILE
  !error "OUTFILE (the installer to write) must be given with -D"
!endif
!ifndef VERSION
  !define VERSION "1.1.1.0"
!endif

!define PRODUCT_NAME "Quillbridge2 印刷ログビューア"
!define PUBLISHER "Norvale"
!define PRTLOG_KEY "SOFTWARE\Norvale\Quillbridge2\PrtLog"
!define APP_PATHS_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\KQVTLGVW.EXE"
!define UNINSTALL_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Quillbridge2 PrtLog Viewer"
!define UNINSTALLER "KQVTLGVW-uninstall.exe"
!define MENU_FOLDER "$SMPROGRAMS\Quillbridge2"
!define VIEWER_LINK "印刷ログビューア.lnk"
!define HELP_LINK "印刷ログビューア ヘルプ.lnk"
; The folder of the log file and the settings file on Windows Vista and later.
!define DATA_FOLDER "$APPDATA\Norvale\Quillbridge2"

Name "${PRODUCT_NAME}"
OutFile "${OUTFILE}"
; The viewer is a 32-bit program: the 32-bit program files folder and registry view.
InstallDir "$PROGRAMFILES\Norvale\Quillbridge2"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PUBLISHER}"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductName" "Quillbridge2"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT_NAME} セットアップ"
VIAddVersionKey /LANG=1041 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Copyright (C) 2026 Norvale."

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\KQVTLGVW.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; Writes a DWORD default only where the value is missing (or not a DWORD): an
; administrator's own setting survives a reinstallation. The default written is noted in
; the uninstall key ("Created" and the value's name), so that the uninstaller removes
; only values this installer made; a note from an earlier installation stays.
!macro DefaultDword NAME VALUE
  ClearErrors
  ReadRegDWORD $0 HKLM "${PRTLOG_KEY}" "${NAME}"
  ${If} ${Errors}
    WriteRegDWORD HKLM "${PRTLOG_KEY}" "${NAME}" ${VALUE}
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "Created${NAME}" ${VALUE}
  ${EndIf}
!macroend

; Removes a value that the installer made and that still holds the default it wrote: one
; an administrator set, before or after the installation, stays.
!macro RemoveCreatedDword NAME
  ClearErrors
  ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "Created${NAME}"
  ReadRegDWORD $1 HKLM "${PRTLOG_KEY}" "${NAME}"
  ${IfNot} ${Errors}
  ${AndIf} $0 = $1
    DeleteRegValue HKLM "${PRTLOG_KEY}" "${NAME}"
  ${EndIf}
!macroend

Section "Install"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "/oname=KQVTLGVW.exe" "${EXE_PATH}"
  File "/oname=KQVTLGVW.CHM" "${CHM_PATH}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  ; The printing side starts the viewer through this entry.
  WriteRegStr HKLM "${APP_PATHS_KEY}" "" "$INSTDIR\KQVTLGVW.exe"
  WriteRegStr HKLM "${APP_PATHS_KEY}" "Path" "$INSTDIR"

  !insertmacro DefaultDword "LogMaxSize" 500
  !insertmacro DefaultDword "LogLimitSize" 1000
  ; The key of the pending records, created empty: a value written and removed again
  ; leaves the key behind without touching records that may already be there.
  WriteRegStr HKLM "${PRTLOG_KEY}\Log" "KqvtSetupProbe" ""
  DeleteRegValue HKLM "${PRTLOG_KEY}\Log" "KqvtSetupProbe"

  CreateDirectory "${DATA_FOLDER}"

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\${VIEWER_LINK}" "$INSTDIR\KQVTLGVW.exe"
  CreateShortcut "${MENU_FOLDER}\${HELP_LINK}" "$INSTDIR\KQVTLGVW.CHM"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\KQVTLGVW.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete /REBOOTOK "$INSTDIR\KQVTLGVW.exe"
  Delete /REBOOTOK "$INSTDIR\KQVTLGVW.CHM"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir /REBOOTOK "$INSTDIR"
  ${If} "$INSTDIR" == "$PROGRAMFILES\Norvale\Quillbridge2"
    RMDir "$PROGRAMFILES\Norvale"
  ${EndIf}

  Delete "${MENU_FOLDER}\${VIEWER_LINK}"
  Delete "${MENU_FOLDER}\${HELP_LINK}"
  RMDir "${MENU_FOLDER}"

  DeleteRegKey HKLM "${APP_PATHS_KEY}"
  !insertmacro RemoveCreatedDword "LogMaxSize"
  !insertmacro RemoveCreatedDword "LogLimitSize"
  ; Keys that still hold pending records or other settings stay.
  DeleteRegKey /ifempty HKLM "${PRTLOG_KEY}\Log"
  DeleteRegKey /ifempty HKLM "${PRTLOG_KEY}"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Norvale\Quillbridge2"
  DeleteRegKey /ifempty HKLM "SOFTWARE\Norvale"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ; The log file and the settings file stay; their folder goes only when empty.
  RMDir "${DATA_FOLDER}"
  RMDir "$APPDATA\Norvale"
SectionEnd
