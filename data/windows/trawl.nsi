; Trawl's Windows installer: Trawl and its catalogue server, 64-bit, for all users under
; Program Files, a Start-menu entry for each and an entry under Add/Remove Programs. The
; uninstaller removes what this installed and nothing else: pictures saved into the
; program's folder stay, and so does the folder then. Made by scripts/windows/package.sh:
;
;   makensis -DVERSION=X.Y.Z -DSTAGE=FOLDER -DOUTFILE=SETUP.exe [-DSITE=NAME] trawl.nsi
;
; A build for a picture site (SITE) installs as "Trawl for NAME", beside any other Trawl.
; STAGE holds trawl.exe, trawl-catalogue-server.exe, trawl.ico, LICENSE.txt and
; readme.txt. Silent: setup /S [/D=folder], uninstall.exe /S.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!ifndef VERSION | STAGE | OUTFILE
  !error "VERSION, STAGE and OUTFILE must be given with -D"
!endif

!ifdef SITE
  !define PRODUCT "Trawl for ${SITE}"
  !define KEY "Trawl-${SITE}"
!else
  !define PRODUCT "Trawl"
  !define KEY "Trawl"
!endif
!define PUBLISHER "Trawl developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${KEY}"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define SERVER_SHORTCUT "$SMPROGRAMS\${PRODUCT} catalogue server.lnk"

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; An installed copy is updated where it is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "MIT License, ${PUBLISHER}"

!define MUI_ICON "${STAGE}\trawl.ico"
!define MUI_UNICON "${STAGE}\trawl.ico"
!define MUI_ABORTWARNING
; The license grants rights and asks for no agreement: the page informs and moves on.
!define MUI_LICENSEPAGE_BUTTON "$(^NextBtn)"
!define MUI_LICENSEPAGE_TEXT_BOTTOM "${PRODUCT} is free software under this license."
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Per machine: the 64-bit registry, the all-users Start menu, and an administrator.
!macro MachineWide
  SetRegView 64
  SetShellVarContext all
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "Installing or removing ${PRODUCT} needs an administrator." /SD IDOK
    SetErrorLevel 740  ; ERROR_ELEVATION_REQUIRED
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro MachineWide
FunctionEnd

Function un.onInit
  !insertmacro MachineWide
FunctionEnd

Section "Trawl"
  SetOutPath "$INSTDIR"
  File "${STAGE}\trawl.exe"
  File "${STAGE}\trawl-catalogue-server.exe"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\readme.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\trawl.exe" "" "$INSTDIR\trawl.exe" 0 \
    SW_SHOWNORMAL "" "Download pictures from a catalogue"
  ; Without arguments the server publishes its sample pictures on 127.0.0.1:8917, where
  ; Trawl looks for its catalogues; closing its window stops it.
  CreateShortcut "${SERVER_SHORTCUT}" "$INSTDIR\trawl-catalogue-server.exe" "" \
    "$INSTDIR\trawl.exe" 0 SW_SHOWNORMAL "" "Serve the sample pictures to Trawl on this computer"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\trawl.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB, as Add/Remove Programs reads it.
  ${GetSize} "$INSTDIR" "/M=*.* /S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Only the installed files by name: the folder goes only when nothing else is left in it.
Section "Uninstall"
  Delete /REBOOTOK "$INSTDIR\trawl.exe"
  Delete /REBOOTOK "$INSTDIR\trawl-catalogue-server.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  Delete "${SERVER_SHORTCUT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
