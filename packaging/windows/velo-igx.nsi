; The setup program of Velo IGX for Windows: the deployed folder under Program Files, a
; Start menu entry with the program's icon, the demo tunes and the guide beside the program,
; and an uninstaller listed under Apps & features.
; deploy.sh passes VERSION, STAGE (the deployed folder), OUTFILE, ICON and LICENSE.
; A 64-bit setup program for a 64-bit program; it also runs under a 64-bit-only Wine.
Target amd64-unicode
SetCompressor /SOLID lzma

!define APP "Velo IGX"
!define PUBLISHER "Orvane Engine Electronics Ltd."
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velo_IGX"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\${APP}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin

!include "MUI2.nsh"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\velo-igx.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Velo_IGX_Help.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the guide"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Velo IGX"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  ; Programs, DLLs, plugins, qt.conf, demo tunes, charts and the guide with its pictures.
  File /r "${STAGE}\*.*"
  File "/oname=velo-igx.ico" "${ICON}"

  CreateDirectory "$SMPROGRAMS\${APP}"
  CreateShortcut "$SMPROGRAMS\${APP}\${APP}.lnk" "$INSTDIR\velo-igx.exe" "" "$INSTDIR\velo-igx.ico"
  CreateShortcut "$SMPROGRAMS\${APP}\${APP} Guide.lnk" "$INSTDIR\Velo_IGX_Help.html"
  CreateShortcut "$SMPROGRAMS\${APP}\Uninstall ${APP}.lnk" "$INSTDIR\uninstall.exe"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velo-igx.ico"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The user's tunes, settings and Tune History live in the user's own folders and stay.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${APP}\*.lnk"
  RMDir "$SMPROGRAMS\${APP}"
  ; Only a folder that holds the program: never a folder the user picked by mistake.
  IfFileExists "$INSTDIR\velo-igx.exe" 0 +2
    RMDir /r "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
