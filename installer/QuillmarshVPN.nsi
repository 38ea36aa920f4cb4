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
; -DSIGN_UNINSTALLER=<command> signs the uninstaller: makensis runs the command
; with %1 replaced by the uninstaller it has just made, which the command signs
; in place; the set-up then carries and writes out that signed file. The set-up
; itself is signed by whoever runs makensis, once it is made.
;
; Exit codes: 0 done; 3010 done, but a copy of the program was running and
; keeps running the version it started with until it ends (the next start runs
; the new one; the old file goes at the next restart of Windows); 2 nothing
; was changed; 161 nothing was changed because the folder asked for (/D=) is
; not below Program Files.

!ifndef PRODUCT_EXE
  !error "define PRODUCT_EXE"
!endif
!ifndef SERVICE_EXE
  !error "define SERVICE_EXE"
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

!ifdef SIGN_UNINSTALLER
  !uninstfinalize '${SIGN_UNINSTALLER}' = 0
!endif

!define PRODUCT "Quillmarsh VPN"
!define PUBLISHER "Quillmarsh Holdings"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuillmarshVPN"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define PROGRAM "$INSTDIR\QuillmarshVPN.exe"
!define SERVICE "$INSTDIR\QuillmarshVPNService.exe"
!define SERVICE_NAME "QuillmarshVPNService"
!define SC '"$SYSDIR\sc.exe"'
!define ERROR_SUCCESS_REBOOT_REQUIRED 3010
; ERROR_BAD_PATHNAME: the set-up refuses the folder it was given.
!define ERROR_FOLDER_REFUSED 161

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

; The page says where the program may go: a folder elsewhere greys out Install
; (.onVerifyInstDir) as soon as it is typed or browsed to.
PageEx directory
  DirText "Setup will install ${PRODUCT} in the following folder. It must be a folder below $PROGRAMFILES, which only administrators can change." \
          "Destination Folder"
PageExEnd
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Program Files is writable by administrators only. Any other folder, C:\QM for
; one, inherits "users may modify" from its drive, and then any user could
; replace the program that colleagues and administrators start. On 64-bit
; Windows this is Program Files (x86), where a 32-bit program belongs.
!define FOLDER_REFUSED "${PRODUCT} installs only in a folder below $PROGRAMFILES, where only administrators can change the program."

; $0 is 1 when $INSTDIR is a folder below Program Files, else 0. The backslash
; after the prefix keeps out "Program Files Evil" and "Program FilesX"; StrCmp
; ignores case. ".." anywhere could climb back out and is refused.
Function CheckInstallFolder
  Push $1
  Push $2
  Push $3
  StrCpy $0 0
  StrLen $1 "$PROGRAMFILES\"
  StrCpy $2 $INSTDIR $1
  StrCmp $2 "$PROGRAMFILES\" 0 done
  StrCpy $2 $INSTDIR "" $1
  StrCmp $2 "" done
  StrLen $1 $INSTDIR
  StrCpy $3 0
findDots:
  StrCpy $2 $INSTDIR 2 $3
  StrCmp $2 ".." done
  IntOp $3 $3 + 1
  IntCmp $3 $1 0 findDots
  StrCpy $0 1
done:
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

Function .onInit
  ; The shortcut is for every user of the machine, not only the one installing.
  SetShellVarContext all
  ; /D= sets the folder before this runs; refused here, nothing is written.
  Push $0
  Call CheckInstallFolder
  StrCmp $0 1 folderAccepted
    MessageBox MB_OK|MB_ICONSTOP "${FOLDER_REFUSED}$\r$\n$\r$\n$INSTDIR is not.$\r$\n$\r$\nNothing was installed." /SD IDOK
    SetErrorLevel ${ERROR_FOLDER_REFUSED}
    Abort
folderAccepted:
  Pop $0
FunctionEnd

; Called whenever the folder on the page changes; Abort greys out Install.
Function .onVerifyInstDir
  Push $0
  Call CheckInstallFolder
  StrCmp $0 1 +3
    Pop $0
    Abort
  Pop $0
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

; The route service, through the service control manager: stopped before its
; file is touched, its old file set aside like the program's (a process that
; is still ending may hold it), then registered for LocalSystem with an
; automatic start and started. A stop takes its moment: the start is tried
; again until the old process has gone, a few seconds at most.
Var ServiceAside
Var ServiceTries

Function InstallRouteService
  ExecWait '${SC} stop ${SERVICE_NAME}'
  StrCpy $ServiceAside ""
  IfFileExists "${SERVICE}" 0 write
    GetTempFileName $ServiceAside "$INSTDIR"
    Delete $ServiceAside
    Rename "${SERVICE}" $ServiceAside
write:
  File "/oname=QuillmarshVPNService.exe" "${SERVICE_EXE}"
  ExecWait '${SC} create ${SERVICE_NAME} binpath= "\"${SERVICE}\"" start= auto obj= LocalSystem DisplayName= "Quillmarsh VPN route service"' $0
  StrCmp $0 0 start
    ExecWait '${SC} config ${SERVICE_NAME} binpath= "\"${SERVICE}\"" start= auto obj= LocalSystem'
start:
  StrCpy $ServiceTries 0
retry:
  ExecWait '${SC} start ${SERVICE_NAME}' $0
  StrCmp $0 0 started
  IntOp $ServiceTries $ServiceTries + 1
  IntCmp $ServiceTries 40 started
  Sleep 250
  Goto retry
started:
  StrCmp $ServiceAside "" done
    Delete $ServiceAside
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

  Call InstallRouteService
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

Var RemoveTries

; The uninstaller that was started from the folder hands over to its copy in
; the temporary folder and ends; until it has ended the folder is still its
; current one and cannot go. A few seconds' patience, never more: an emptied
; folder that something else keeps is left, as an empty folder harms nobody.
Function un.RemoveEmptyFolder
  SetOutPath "$TEMP"
  StrCpy $RemoveTries 0
retry:
  RMDir "$INSTDIR"
  IfFileExists "$INSTDIR\*.*" 0 gone
  IntOp $RemoveTries $RemoveTries + 1
  IntCmp $RemoveTries 20 gone
  Sleep 250
  Goto retry
gone:
FunctionEnd

; Removes exactly what the set-up put there; the folders go only when empty, so
; nothing a user keeps beside the program is lost. A running copy keeps running:
; its file goes at the next restart of Windows.
; The service is stopped and removed first; its file goes once the stopped
; process has let go of it, a few seconds at most.
Function un.RemoveRouteService
  ExecWait '${SC} stop ${SERVICE_NAME}'
  ExecWait '${SC} delete ${SERVICE_NAME}'
  StrCpy $RemoveTries 0
retry:
  Delete "${SERVICE}"
  IfFileExists "${SERVICE}" 0 gone
  IntOp $RemoveTries $RemoveTries + 1
  IntCmp $RemoveTries 40 gone
  Sleep 250
  Goto retry
gone:
FunctionEnd

Section "Uninstall"
  Call un.RemoveRouteService
  Delete "${SHORTCUT}"
  Delete /REBOOTOK "${PROGRAM}"
  Delete /REBOOTOK "${ASIDE_FILES}"
  Delete "$INSTDIR\Uninstall.exe"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  IfRebootFlag 0 +3
    RMDir /REBOOTOK "$INSTDIR"
    Goto +2
    Call un.RemoveEmptyFolder
  IfRebootFlag 0 done
    SetRebootFlag false
    SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
    MessageBox MB_OK|MB_ICONINFORMATION "Quillmarsh VPN is removed.$\r$\n$\r$\nQuillmarsh VPN is running right now. It stays connected and keeps working until you close it; its file is removed when Windows next restarts." /SD IDOK
done:
SectionEnd
