; The Windows installer and uninstaller of Zandu SMS, built by the build's
; "release" target (installer/CMakeLists.txt), which defines:
;   VERSION  the project's version (three numbers)
;   STAGE    the folder of the files to install, as the zip carries them
;   FILES    an include file with the macros InstallFiles and UninstallFiles
;   ICON     the program's icon
;   OUTFILE  the installer to write
;
; It installs for the current user (the default: no administrator rights,
; into %LOCALAPPDATA%\Programs) or for every user of the machine (into
; Program Files, after the system's elevation prompt). On the command line:
;   /S            silent             /CurrentUser   per user (the default)
;   /AllUsers     per machine        /D=FOLDER      the folder (last, unquoted)
; and for the uninstaller /S and /RemoveSettings, which ticks the box that
; removes the user's settings and data.
;
; The settings key is the program's own: the installer never touches it, and
; the uninstaller removes it only when the user asks, and then the key and
; data folder of the user who asked: an uninstaller that starts itself again
; elevated is told who that was (/UserSid= and /UserData=), so that it does
; not remove those of the administrator whose rights it runs with.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include nsDialogs.nsh
!include "${FILES}"

!define APP "Zandu SMS"
!define EXE "ZanduSMS.exe"
!define PUBLISHER "Zandu"
!define UNINSTALLER "Uninstall.exe"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZanduSMS"
!define SETTINGS_KEY "Software\Zandu SMS"
!define SHORTCUT "$SMPROGRAMS\${APP}.lnk"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${APP} ${VERSION}"
VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 ProductName "${APP}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 FileDescription "${APP} Setup"
VIAddVersionKey /LANG=1033 LegalCopyright "Copyright (C) 2026 Zandu SMS developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

Var AllUsers       ; 1: per machine
Var ModeGiven      ; 1: the command line chose the mode, so the page is not shown
Var DirGiven       ; 1: /D chose the folder, which a change of mode keeps
Var RadioUser
Var RadioMachine
Var OnBehalf       ; 1: the uninstaller elevated for another, the user who asked, whose data goes
Var UserSid        ; that user's SID (empty when it could not be had)
Var UserData       ; and that user's %APPDATA%

Page custom ModePage ModePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Whether this process may write machine-wide. Under UAC an administrator's
; unelevated process counts as a user, which is what matters here.
!macro IsAdmin result
  UserInfo::GetAccountType
  Pop ${result}
  ${If} ${result} == "Admin"
    StrCpy ${result} 1
  ${Else}
    StrCpy ${result} 0
  ${EndIf}
!macroend

; The shell folders and SHCTX follow the mode; so does the default folder,
; unless /D named one or an earlier installation of the same mode exists.
Function ApplyMode
  ${If} $AllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  ${If} $DirGiven == 1
    Return
  ${EndIf}
  ReadRegStr $INSTDIR SHCTX "${UNINST_KEY}" "InstallLocation"
  ${If} $INSTDIR != ""
    Return
  ${EndIf}
  ${If} $AllUsers == 1
    StrCpy $INSTDIR "$PROGRAMFILES64\${APP}"
  ${Else}
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${APP}"
  ${EndIf}
FunctionEnd

Function .onInit
  StrCpy $AllUsers 0
  StrCpy $ModeGiven 0
  StrCpy $DirGiven 0
  ${If} $INSTDIR != ""
    StrCpy $DirGiven 1
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AllUsers" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    StrCpy $ModeGiven 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/CurrentUser" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 0
    StrCpy $ModeGiven 1
  ${EndIf}
  !insertmacro IsAdmin $R2
  ${If} $AllUsers == 1
  ${AndIf} $R2 == 0
    ${If} ${Silent}
      SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
      Quit
    ${EndIf}
    ; Started per machine without the rights: the page offers the choice again.
    StrCpy $ModeGiven 0
  ${EndIf}
  Call ApplyMode
FunctionEnd

Function ModePage
  ${If} $ModeGiven == 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Choose Installation Mode" "Install ${APP} for yourself or for everyone."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u "Who should be able to use ${APP} on this computer?"
  Pop $0
  ${NSD_CreateRadioButton} 10u 30u 100% 12u "Only &me (no administrator rights needed)"
  Pop $RadioUser
  ${NSD_CreateRadioButton} 10u 46u 100% 12u "&Everyone (needs administrator rights)"
  Pop $RadioMachine
  ${If} $AllUsers == 1
    ${NSD_Check} $RadioMachine
  ${Else}
    ${NSD_Check} $RadioUser
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $RadioMachine $0
  ${If} $0 == ${BST_CHECKED}
    !insertmacro IsAdmin $1
    ${If} $1 == 0
      ; Only an elevated process may install per machine: start this
      ; installer again through the system's elevation prompt, and end here.
      ClearErrors
      ExecShell "runas" "$EXEPATH" "/AllUsers"
      ${If} ${Errors}
        MessageBox MB_ICONEXCLAMATION "Installing for everyone needs administrator rights."
        Abort
      ${EndIf}
      Quit
    ${EndIf}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  Call ApplyMode
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  !insertmacro InstallFiles
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "${APP}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

; The uninstaller -------------------------------------------------------------

Section "!un.${APP}" SecProgram
  SectionIn RO
  !insertmacro UninstallFiles
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegKey SHCTX "${UNINST_KEY}"
SectionEnd

; Unticked unless the user ticks it: settings, phone book, history and the
; files of the application data folder stay for a later installation. They
; are the user's who asked; a per-machine installation's machine-wide key
; (what an administrator set for everyone) goes with the program.
Section /o "un.My settings, contacts and messages" SecSettings
  ${If} $OnBehalf == 1
    ; Elevated on behalf of the user who asked: never the administrator's.
    ${If} $UserSid != ""
      DeleteRegKey HKU "$UserSid\${SETTINGS_KEY}"
    ${EndIf}
    ${If} $UserData != ""
      RMDir /r "$UserData\${APP}"
    ${EndIf}
  ${Else}
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    SetShellVarContext current
    RMDir /r "$APPDATA\${APP}"
  ${EndIf}
  ${If} $AllUsers == 1
    DeleteRegKey HKLM "${SETTINGS_KEY}"
  ${EndIf}
SectionEnd

; $0: the SID of the user this process runs as ("S-1-5-21-..."), or empty.
Function un.UserSid
  StrCpy $0 ""
  System::Call 'advapi32::OpenProcessToken(p -1, i 8, *p .r1) i .r2'  ; TOKEN_QUERY
  ${If} $2 == 0
    Return
  ${EndIf}
  System::Call 'advapi32::GetTokenInformation(p r1, i 1, p 0, i 0, *i .r3)'  ; TokenUser: its size
  System::Alloc $3
  Pop $4
  System::Call 'advapi32::GetTokenInformation(p r1, i 1, p r4, i r3, *i .r3) i .r2'
  ${If} $2 != 0
    System::Call '*$4(p .r5)'  ; TOKEN_USER.User.Sid
    System::Call 'advapi32::ConvertSidToStringSidW(p r5, *p .r6) i .r2'
    ${If} $2 != 0
      System::Call '*$6(&w${NSIS_MAX_STRLEN} .r0)'
      System::Call 'kernel32::LocalFree(p r6)'
    ${EndIf}
  ${EndIf}
  System::Free $4
  System::Call 'kernel32::CloseHandle(p r1)'
FunctionEnd

Function un.onInit
  ; The options, also for passing on: not the copy's own "_?=".
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/RemoveSettings" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecSettings} ${SF_SELECTED}
    StrCpy $R1 "/RemoveSettings"
  ${Else}
    StrCpy $R1 ""
  ${EndIf}
  ${If} ${Silent}
    StrCpy $R1 "/S $R1"
  ${EndIf}
  ; Elevated on behalf of the user who started it: that user's data. The
  ; folder comes last and unquoted: it runs to the end, blanks included.
  StrCpy $OnBehalf 0
  ClearErrors
  ${GetOptions} $R0 "/UserSid=" $UserSid
  ${IfNot} ${Errors}
    StrCpy $OnBehalf 1
  ${EndIf}
  ${GetOptions} $R0 "/UserData=" $UserData

  ; Per machine when this folder is the one registered machine-wide.
  StrCpy $AllUsers 0
  SetShellVarContext current
  StrCpy $R2 "$APPDATA"  ; this user's, for an elevated copy
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers 1
    SetShellVarContext all
    !insertmacro IsAdmin $1
    ${If} $1 == 0
      ; Started from Apps & features without the rights: again, elevated,
      ; which may be as another account; the data to remove stays this user's.
      Call un.UserSid
      ClearErrors
      ExecShell "runas" "$INSTDIR\${UNINSTALLER}" "$R1 /UserSid=$0 /UserData=$R2"
      ${If} ${Errors}
        MessageBox MB_ICONEXCLAMATION "Removing ${APP} for everyone needs administrator rights." /SD IDOK
        SetErrorLevel 740
      ${EndIf}
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd
