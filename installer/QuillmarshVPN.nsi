; The per-machine set-up of Quillmarsh VPN: the program in Program Files, one
; Start-menu shortcut for every user, an uninstaller and its entry under
; "Programs and Features". /S installs and uninstalls without a word.
;
; makensis -DPRODUCT_EXE=<built QuillmarshVPN.exe> -DICON=<its icon>
;          -DVERSION=<major.minor.patch> -DOUTFILE=<setup exe> QuillmarshVPN.nsi
;
; VERSION is the project's version (the top CMakeLists.txt), the same as the
; exe's own; the set-up carries it in its version resource and in the entry
; under "Programs and Features".

!ifndef PRODUCT_EXE
  !error "define PRODUCT_EXE"
!endif
!ifndef ICON
  !error "define ICON"
!endif
!ifndef OUTFILE
  !error "define OUTFILE"
!endif
!ifndef VERSION
  !error "define VERSION"
!endif

!define PRODUCT "Quillmarsh VPN"
!define PUBLISHER "Quillmarsh Holdings"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuillmarshVPN"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

Unicode true
SetCompressor /SOLID lzma
Name "${PRODUCT}"
Caption "${PRODUCT} Setup"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
; Program Files, the common Start menu and HKLM: only an administrator may
; write there, so ask for the rights up front rather than fail half-way.
RequestExecutionLevel admin

; The set-up's own version resource, so that Explorer and inventory tools tell
; which release a copy of it installs. Windows wants four numbers here.
VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"
VIAddVersionKey "OriginalFilename" "QuillmarshVPN-setup.exe"
ShowInstDetails nevershow
ShowUninstDetails nevershow

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; The shortcut is for every user of the machine, not only the one installing.
Function .onInit
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Quillmarsh VPN"
  SetOutPath "$INSTDIR"
  File "/oname=QuillmarshVPN.exe" "${PRODUCT_EXE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\QuillmarshVPN.exe" "" "$INSTDIR\QuillmarshVPN.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\QuillmarshVPN.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes exactly what the set-up put there; the folders go only when empty, so
; nothing a user keeps beside the program is lost.
Section "Uninstall"
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\QuillmarshVPN.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
