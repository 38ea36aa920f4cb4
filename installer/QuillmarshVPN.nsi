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
;
; Exit codes: 0 done; 3010 done, but a copy of the program was running and
; keeps running the version it started with until it ends (the next start runs
; the new one; the old file goes at the next restart of Windows); 2 nothing
; was changed.

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
!define PROGRAM "$INSTDIR\QuillmarshVPN.exe"
!define ERROR_SUCCESS_REBOOT_REQUIRED 3010

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

; A copy that runs holds its exe open: Windows lets it be renamed, never
; overwritten or deleted. The installed exe is moved aside under a name of its
; own before the new one is written, and put back should that fail, so the
; folder holds either the old program or the new one, never a broken one.
Var Aside
Var TakesEffectLater

!define ASIDE_FILES "$INSTDIR\ns*.tmp"

Function SetAsideInstalledProgram
  StrCpy $Aside ""
  ; Files set aside by earlier updates go once no copy runs from them.
  Delete "${ASIDE_FILES}"
  IfFileExists "${PROGRAM}" 0 done
  GetTempFileName $Aside "$INSTDIR"
  Delete $Aside
  ClearErrors
  Rename "${PROGRAM}" $Aside
  IfErrors 0 done
    StrCpy $Aside ""
    MessageBox MB_OK|MB_ICONSTOP "Quillmarsh VPN could not be updated: its program file is locked.$\r$\n$\r$\nNothing was changed. Please try again later." /SD IDOK
    Abort
done:
FunctionEnd

Function .onInstFailed
  StrCmp $Aside "" +3
    Delete "${PROGRAM}"
    Rename $Aside "${PROGRAM}"
FunctionEnd

Section "Quillmarsh VPN"
  SetOutPath "$INSTDIR"
  Call SetAsideInstalledProgram
  ClearErrors
  File "/oname=QuillmarshVPN.exe" "${PRODUCT_EXE}"
  IfErrors 0 +3
    MessageBox MB_OK|MB_ICONSTOP "Quillmarsh VPN could not be installed: its program file could not be written.$\r$\n$\r$\nNothing was changed." /SD IDOK
    Abort
  ; The old file goes now, or at the next restart when a running copy still
  ; holds it: that is how the set-up knows that one runs.
  StrCpy $TakesEffectLater 0
  StrCmp $Aside "" asideGone
    Delete /REBOOTOK $Aside
    IfRebootFlag 0 asideGone
      StrCpy $TakesEffectLater 1
asideGone:

  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "${SHORTCUT}" "${PROGRAM}" "" "${PROGRAM}" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "${PROGRAM}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; Never a restart and never an end of the running copy: it holds the
  ; trader's VPN. Say what happened instead.
  SetRebootFlag false
  StrCmp $TakesEffectLater 1 0 +3
    SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
    MessageBox MB_OK|MB_ICONINFORMATION "Quillmarsh VPN ${VERSION} is installed.$\r$\n$\r$\nQuillmarsh VPN is running right now. It stays connected and keeps working as it is; the new version starts the next time you start Quillmarsh VPN." /SD IDOK
SectionEnd

; Removes exactly what the set-up put there; the folders go only when empty, so
; nothing a user keeps beside the program is lost. A running copy keeps running:
; its file goes at the next restart of Windows.
Section "Uninstall"
  Delete "${SHORTCUT}"
  Delete /REBOOTOK "${PROGRAM}"
  Delete /REBOOTOK "${ASIDE_FILES}"
  Delete "$INSTDIR\Uninstall.exe"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  IfRebootFlag 0 +3
    RMDir /REBOOTOK "$INSTDIR"
    Goto +2
    RMDir "$INSTDIR"
  IfRebootFlag 0 done
    SetRebootFlag false
    SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
    MessageBox MB_OK|MB_ICONINFORMATION "Quillmarsh VPN is removed.$\r$\n$\r$\nQuillmarsh VPN is running right now. It stays connected and keeps working until you close it; its file is removed when Windows next restarts." /SD IDOK
done:
SectionEnd
