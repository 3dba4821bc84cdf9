; Installs the launcher, version.ini and one version's main program, or
; updates an installation that is there already, while users keep starting
; the launcher:
;   makensis -DLAUNCHER=build/win32/VelmarisLaunch.exe -DPROGRAM=Velmaris.exe -DVERSION=6 \
;            -DOUTFILE=dist/VelmarisSetup6.exe [-DTARGET=amd64-unicode] \
;            [-DSIGN="scripts/sign vendor.pem vendor.key %1 %1"] packaging/installer.nsi
; SIGN is run on the installer and on its uninstaller, %1 standing for the
; file, which it signs in place. NAME and LAUNCHER_NAME must be the names the
; launcher's source gives the main programs and itself.
!ifndef TARGET
  !define TARGET x86-unicode
!endif
!ifndef NAME
  !define NAME Velmaris
!endif
!ifndef LAUNCHER_NAME
  !define LAUNCHER_NAME VelmarisLaunch.exe
!endif
; The launcher reads AppVers as a number and names the program by its
; whole-number text: a VERSION spelt otherwise ("05", "1.5", "+5") or out of
; range would install a program no launcher starts.
!define /math VERSION_TEXT ${VERSION} + 0
!if "${VERSION_TEXT}" != "${VERSION}"
  !error "VERSION ${VERSION}: a whole number as the launcher writes it, such as ${VERSION_TEXT}"
!endif
!if ${VERSION} < -32768
  !error "VERSION ${VERSION}: below -32768"
!endif
!if ${VERSION} > 32767
  !error "VERSION ${VERSION}: above 32767"
!endif
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${NAME}"
; How long a rename is retried while the name is in use: launchers hold
; version.ini for a moment each, a starting main program its file.
!define RENAME_TRIES 200
!define RENAME_PAUSE_MS 50
!define MOVEFILE_REPLACE_EXISTING 1
!define ERROR_ACCESS_DENIED 5
!define ERROR_SHARING_VIOLATION 32

Target ${TARGET}
SetCompressor /SOLID lzma
!ifdef SIGN
  ; In backquotes, so that the command may quote its words either way.
  !finalize `${SIGN}` = 0
  !uninstfinalize `${SIGN}` = 0
!endif
!include LogicLib.nsh

Name "${NAME}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
InstallDir "$PROGRAMFILES\${NAME}"
; An update goes where the installation is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" InstallLocation
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var Pid
Var Current  ; the version this update replaces, "" on a fresh installation
Var Kept  ; the version kept back from the update before
Var Read  ; the version version.ini names

; Renames $R0 over $R1, retried while the system says the name is in use or
; access is denied: Windows' profile reader opens version.ini without delete
; sharing, and a starting main program holds its file.
Function Rename
  StrCpy $R3 0
  ${Do}
    System::Call 'kernel32::MoveFileExW(w R0, w R1, i ${MOVEFILE_REPLACE_EXISTING}) i .R4 ?e'
    Pop $R5
    ${IfThen} $R4 <> 0 ${|} Return ${|}
    ${If} $R5 <> ${ERROR_ACCESS_DENIED}
    ${AndIf} $R5 <> ${ERROR_SHARING_VIOLATION}
      ${Break}
    ${EndIf}
    IntOp $R3 $R3 + 1
    ${IfThen} $R3 >= ${RENAME_TRIES} ${|} ${Break} ${|}
    Sleep ${RENAME_PAUSE_MS}
  ${Loop}
  System::Call 'kernel32::FormatMessageW(i 0x1200, p 0, i R5, i 0, w .R6, i ${NSIS_MAX_STRLEN}, p 0)'
  Delete $R0
  MessageBox MB_ICONSTOP "Cannot rename $R0 to $R1:$\r$\n$R6" /SD IDOK
  SetErrorLevel 2
  Abort "Cannot rename $R0 to $R1: $R6"
FunctionEnd

; $R2: 1 when the files $R0 and $R1 hold the same bytes, else 0.
Function SameBytes
  StrCpy $R2 0
  System::Call 'kernel32::CreateFileW(w R0, i 0x80000000, i 7, p 0, i 3, i 0, p 0) p .r1'
  System::Call 'kernel32::CreateFileW(w R1, i 0x80000000, i 7, p 0, i 3, i 0, p 0) p .r2'
  System::Call 'kernel32::GetFileSize(p r1, p 0) i .r3'
  System::Call 'kernel32::GetFileSize(p r2, p 0) i .r4'
  ${If} $3 = $4
  ${AndIf} $3 > 0
    System::Alloc $3
    Pop $5
    System::Alloc $3
    Pop $6
    System::Call 'kernel32::ReadFile(p r1, p r5, i r3, *i .r7, p 0)'
    System::Call 'kernel32::ReadFile(p r2, p r6, i r3, *i .r8, p 0)'
    System::Call 'ntdll::RtlCompareMemory(p r5, p r6, p r3) p .r9'
    ${If} $7 = $3
    ${AndIf} $8 = $3
    ${AndIf} $9 = $3
      StrCpy $R2 1
    ${EndIf}
    System::Free $5
    System::Free $6
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p r1)'
  System::Call 'kernel32::CloseHandle(p r2)'
FunctionEnd

; Puts the new file $R0 in the place of $R1, the launcher or a program. A
; running file cannot be replaced (a launcher that shows its box runs as
; long as the box is open; a user may still run the program of a version
; rolled back to), but it can be renamed aside (and deleted at reboot): the
; update waits for no user. The same bytes stay as they are, so that no
; start meets the moment between the two renames.
Function ReplaceRunning
  Call SameBytes
  ${If} $R2 = 1
    Delete $R0
    Return
  ${EndIf}
  System::Call 'kernel32::MoveFileExW(w R0, w R1, i ${MOVEFILE_REPLACE_EXISTING}) i .R4'
  ${IfThen} $R4 <> 0 ${|} Return ${|}
  Push $R0
  StrCpy $R0 $R1
  StrCpy $R1 "$R1.old-$Pid"
  Call Rename
  Delete /REBOOTOK $R1
  StrCpy $R1 $R0
  Pop $R0
  Call Rename
FunctionEnd

Function .onInit
  SetShellVarContext all
FunctionEnd

Section
  SetOutPath $INSTDIR
  System::Call 'kernel32::GetCurrentProcessId() i .s'
  Pop $Pid
  ; One installer at a time: two would each keep back a program the other
  ; then deletes, or record a version the folder does not hold.
  System::Call 'kernel32::CreateMutexW(p 0, i 1, w "${NAME} installer") p .r0 ?e'
  Pop $1
  ${If} $1 = 183  ; ERROR_ALREADY_EXISTS
    MessageBox MB_ICONSTOP "Another ${NAME} installer is running." /SD IDOK
    SetErrorLevel 2
    Abort "Another ${NAME} installer is running."
  ${EndIf}
  ReadRegStr $Current HKLM "${UNINSTALL_KEY}" DisplayVersion
  ReadRegStr $Kept HKLM "${UNINSTALL_KEY}" KeptVersion
  ; The version the launchers read now, which an update cut short may have
  ; left other than the entry's: its program stays too.
  ReadINIStr $Read "$INSTDIR\version.ini" Version AppVers
  ; Recorded first, so that the uninstaller finds the program of an update
  ; cut short.
  WriteRegStr HKLM "${UNINSTALL_KEY}" InstallingVersion ${VERSION}
  ; Each file is written under a name that matches no pattern and is the
  ; updater's own, then renamed into place: a file written under its final
  ; name is a candidate, or read, half-written.
  File "/oname=${NAME}${VERSION}.exe.new-$Pid" "${PROGRAM}"
  StrCpy $R0 "$INSTDIR\${NAME}${VERSION}.exe.new-$Pid"
  StrCpy $R1 "$INSTDIR\${NAME}${VERSION}.exe"
  Call ReplaceRunning
  File "/oname=${LAUNCHER_NAME}.new-$Pid" "${LAUNCHER}"
  StrCpy $R0 "$INSTDIR\${LAUNCHER_NAME}.new-$Pid"
  StrCpy $R1 "$INSTDIR\${LAUNCHER_NAME}"
  Call ReplaceRunning
  ; Never in place (WriteINIStr): between its truncation and its write a
  ; launcher reads no version.
  StrCpy $R0 "$INSTDIR\version.ini.new-$Pid"
  FileOpen $0 $R0 w
  FileWrite $0 "[Version]$\r$\nAppVers=${VERSION}$\r$\n"
  FileClose $0
  StrCpy $R1 "$INSTDIR\version.ini"
  Call Rename
  ; A launcher that read the version just replaced may not have started its
  ; program yet: that program stays until the next update. The one kept back
  ; before goes now, or at reboot while it runs.
  ${If} $Kept != ""
  ${AndIf} $Kept != ${VERSION}
  ${AndIf} $Kept != $Current
  ${AndIf} $Kept != $Read
    Delete /REBOOTOK "$INSTDIR\${NAME}$Kept.exe"
  ${EndIf}
  ${If} $Current != ${VERSION}
    StrCpy $Kept $Current
  ${EndIf}

  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\${LAUNCHER_NAME}" "" "$INSTDIR\${LAUNCHER_NAME}" 0
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayName "${NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" KeptVersion $Kept
  DeleteRegValue HKLM "${UNINSTALL_KEY}" InstallingVersion
  WriteRegStr HKLM "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\${LAUNCHER_NAME},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" InstallLocation $INSTDIR
  WriteRegStr HKLM "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" NoRepair 1
SectionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

; What the installer put there, and nothing else: a user's file keeps the
; folder. A file still running goes at reboot.
Section Uninstall
  ReadRegStr $Current HKLM "${UNINSTALL_KEY}" DisplayVersion
  ReadRegStr $Kept HKLM "${UNINSTALL_KEY}" KeptVersion
  ${IfThen} $Current != "" ${|} Delete /REBOOTOK "$INSTDIR\${NAME}$Current.exe" ${|}
  ${IfThen} $Kept != "" ${|} Delete /REBOOTOK "$INSTDIR\${NAME}$Kept.exe" ${|}
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" InstallingVersion
  ${IfThen} $0 != "" ${|} Delete /REBOOTOK "$INSTDIR\${NAME}$0.exe" ${|}
  Delete /REBOOTOK "$INSTDIR\${LAUNCHER_NAME}"
  Delete /REBOOTOK "$INSTDIR\${LAUNCHER_NAME}.old-*"
  Delete /REBOOTOK "$INSTDIR\${NAME}*.exe.old-*"
  Delete "$INSTDIR\version.ini"
  ; An update cut short leaves its files under their temporary names.
  Delete "$INSTDIR\${NAME}*.exe.new-*"
  Delete "$INSTDIR\${LAUNCHER_NAME}.new-*"
  Delete "$INSTDIR\version.ini.new-*"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${NAME}.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
