; Trawlix's installer: per user, without administrator rights.
; makensis -DVERSION=<version> -DBIN=<folder with Trawlix.exe, the .url files, README.txt and LICENSE.txt> -DOUTFILE=<setup.exe> trawlix.nsi
; scripts/package.sh passes the build's version; -DFILEVERSION=<four numbers> when it has more than two.
;   setup.exe /S [/autostart] [/D=<folder>]   silent install; /autostart starts Trawlix at sign-in
;   uninstall.exe /S                          silent uninstall; the settings stay
; -DSIGN=<command> signs the uninstaller and the installer: the command is run with each file's path.
; -DTARGET=x86-unicode makes a 32-bit installer (the test kit's x86 set installs its own build with it).
!ifndef TARGET
  !define TARGET amd64-unicode
!endif
!ifndef FILEVERSION
  !define FILEVERSION "${VERSION}.0.0"
!endif
Target ${TARGET}
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma
!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"' = 0
  !finalize '"${SIGN}" "%1"' = 0
!endif

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include WinMessages.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Trawlix"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SYNCHRONIZE 0x00100000

Name "Trawlix ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Trawlix"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"
BrandingText "Trawlix ${VERSION}"

VIProductVersion "${FILEVERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Trawlix"
VIAddVersionKey /LANG=1033 "CompanyName" "Orvane"
VIAddVersionKey /LANG=1033 "FileDescription" "Trawlix ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) Orvane"

!define MUI_ICON "../resources/trawlix.ico"
!define MUI_UNICON "${MUI_ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "Trawlix is installed for you alone, without administrator rights. Your settings from an earlier installation are kept."
!define MUI_FINISHPAGE_RUN "$INSTDIR\Trawlix.exe"
; The licence is a notice, not terms to accept: its page goes on with Next.
!define MUI_PAGE_HEADER_TEXT "License"
!define MUI_PAGE_HEADER_SUBTEXT "Trawlix is free software under the MIT License."
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "Trawlix is free software under this licence, which is installed beside it as LICENSE.txt."
!insertmacro MUI_PAGE_LICENSE "${BIN}/LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Trawlix will be removed from this folder. Your settings stay in the registry under HKEY_CURRENT_USER\Software\Trawlix."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Asks every running Trawlix, of this version or any other, to close as its Exit does (WM_CLOSE saves
; the settings and removes the notification icon), and waits for each process to end so that its
; file can be replaced or deleted. Each version's main window has this class; its title names the
; version, so it is not looked at. A copy that does not end within ten seconds is left alone.
!macro CLOSE_RUNNING_TRAWLIX un
Function ${un}CloseRunningTrawlix
  ${Do}
    FindWindow $0 "TrawlixMainWindow"
    ${IfThen} $0 = 0 ${|} ${Break} ${|}
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i r1) p .r2'
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    System::Call 'kernel32::WaitForSingleObject(p r2, i 10000) i .r3'
    System::Call 'kernel32::CloseHandle(p r2)'
  ${LoopWhile} $3 = 0
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_TRAWLIX ""
!insertmacro CLOSE_RUNNING_TRAWLIX "un."

Section "Trawlix"
  SectionIn RO
  Call CloseRunningTrawlix
  SetOutPath "$INSTDIR"
  File "${BIN}/Trawlix.exe"
  ; The About box opens these; they must stay beside the program.
  File "${BIN}/Donate.url"
  File "${BIN}/EmailMe.url"
  File "${BIN}/HomePage.url"
  ; The user's readme and the licence, the same files as in the ZIP of this build.
  File "${BIN}/README.txt"
  File "${BIN}/LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Trawlix.lnk" "$INSTDIR\Trawlix.exe"
  CreateShortcut "$SMPROGRAMS\Trawlix README.lnk" "$INSTDIR\README.txt"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "Trawlix"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Trawlix.exe,0"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "Orvane"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0

  ; Written again below when the box is ticked, with this installation's folder.
  DeleteRegValue HKCU "${RUN_KEY}" "Trawlix"
SectionEnd

Section /o "Start Trawlix when I sign in" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "Trawlix" '"$INSTDIR\Trawlix.exe" /enable'
SectionEnd

Function .onInit
  SetShellVarContext current
  ; The sign-in box starts as it stands: ticked by /autostart or by an earlier installation's choice.
  ReadRegStr $2 HKCU "${RUN_KEY}" "Trawlix"
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/autostart" $1
  ${IfNot} ${Errors}
  ${OrIf} $2 != ""
    SectionSetFlags ${SecAutostart} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext current
FunctionEnd

; The settings under HKCU\Software\Trawlix stay for a later installation.
Section "Uninstall"
  Call un.CloseRunningTrawlix
  Delete "$INSTDIR\Trawlix.exe"
  Delete "$INSTDIR\Donate.url"
  Delete "$INSTDIR\EmailMe.url"
  Delete "$INSTDIR\HomePage.url"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Trawlix.lnk"
  Delete "$SMPROGRAMS\Trawlix README.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "Trawlix"
  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd
