; Installer of the Fernlowe bar code report functions for the report designer. It puts the 32-bit
; cruflFernlowe.dll into the system folder of 32-bit programs (System32 on 32-bit Windows; on
; 64-bit Windows this 32-bit installer's System32 is SysWOW64), lets the DLL register itself, and
; records its uninstaller in the system's list of programs. /S installs and uninstalls silently.
;
;   makensis -DVERSION=1.0.39 -DDLL=cruflFernlowe.dll -DOUTFILE=setup.exe cruflFernlowe.nsi
;
; -DBITS=64 makes a 64-bit installer of the 64-bit twin DLL, for tests on hosts that cannot run
; 32-bit programs; it is never shipped.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include LogicLib.nsh

!ifndef BITS
  !define BITS 32
!endif
!if ${BITS} == 64
  Target amd64-unicode
  !define PROGRAMS $PROGRAMFILES64
!else
  !define PROGRAMS $PROGRAMFILES32
!endif

!define NAME "Fernlowe bar code report functions"
!define PUBLISHER "Kestrana Lindhollow"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\cruflFernlowe"
!define SERVER "$SYSDIR\cruflFernlowe.dll"

Name "${NAME}"
OutFile "${OUTFILE}"
; Holds only the uninstaller: the DLL itself goes where the report designer looks for it.
InstallDir "${PROGRAMS}\Fernlowe Bar Code"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion ${VERSION}.0
VIAddVersionKey ProductName "${NAME}"
VIAddVersionKey ProductVersion ${VERSION}
VIAddVersionKey FileVersion ${VERSION}
VIAddVersionKey FileDescription "Installs ${NAME}"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey LegalCopyright "Copyright 2026 ${PUBLISHER}"

Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; Shows why (not in silent mode) and ends with exit code 2.
!macro Fail text
  MessageBox MB_ICONSTOP "${text}" /SD IDOK
  SetErrorLevel 2
  Abort
!macroend

; Registration writes for the whole machine.
!macro RequireAdministrator
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP "Run this program as an administrator." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
!macroend

Function .onInit
  !insertmacro RequireAdministrator
FunctionEnd

Function un.onInit
  !insertmacro RequireAdministrator
FunctionEnd

Section
  SetOutPath $SYSDIR
  ClearErrors
  File "/oname=cruflFernlowe.dll" "${DLL}"
  ${If} ${Errors}
    !insertmacro Fail "${SERVER} cannot be written. Close the report designer and try again."
  ${EndIf}
  ClearErrors
  RegDLL "${SERVER}"
  ${If} ${Errors}
    Delete "${SERVER}"
    !insertmacro Fail "${SERVER} did not register itself."
  ${EndIf}

  SetOutPath $INSTDIR
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "${NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion ${VERSION}
  WriteRegStr HKLM "${UNINSTALL_KEY}" Publisher "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
SectionEnd

Section Uninstall
  ; A DLL that is gone or no longer registered is no reason to keep the rest.
  UnRegDLL "${SERVER}"
  ; Still loaded by a report designer: removed at the next restart.
  Delete /REBOOTOK "${SERVER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
