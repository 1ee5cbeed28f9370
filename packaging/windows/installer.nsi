; Setup program for Tivano on 64-bit Windows, German, for the current user or for all users.
;
; Built by make-installer.sh, which passes:
;   VERSION          version shown to the user and in "Programme und Features"
;   VERSION_NUMERIC  the same as a.b.c.d for the file's version resource
;   STAGE            the staging folder; everything in it is installed
;   FILE_LIST        generated include with the File and Delete lines for that folder and
;                    STAGE_SIZE_KB; the uninstaller removes exactly these files, so the
;                    results Tivano writes into its own folder stay
;   OUTFILE          the setup program to write

!ifndef VERSION
  !error "VERSION missing; build with make-installer.sh"
!endif
!ifndef STAGE
  !error "STAGE missing; build with make-installer.sh"
!endif
!ifndef FILE_LIST
  !error "FILE_LIST missing; build with make-installer.sh"
!endif
!define /ifndef VERSION_NUMERIC "0.0.0.0"
!define /ifndef OUTFILE "TivanoSetup-${VERSION}.exe"

; Debian's makensis builds 32-bit setups by default; Wine here and Tivano are 64-bit only.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!define PRODUCT "Tivano"
!define PUBLISHER "Korvano Software"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tivano"
!define UNINSTALLER "uninstall.exe"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PUBLISHER}"

VIProductVersion "${VERSION_NUMERIC}"
VIFileVersion "${VERSION_NUMERIC}"
VIAddVersionKey /LANG=1031 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1031 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1031 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1031 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1031 "LegalCopyright" "${PUBLISHER}"

; Per machine into the 64-bit program folder, or per user without administrator rights into
; %LOCALAPPDATA%\Programs\Tivano. /AllUsers and /CurrentUser choose on the command line. An
; earlier installation's InstallLocation decides the default mode and folder.
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINST_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINST_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODEPAGE_SHOWUSERNAME
!define MULTIUSER_INIT_TEXT_ADMINREQUIRED "Für $(^Name) sind Administratorrechte nötig."
!define MULTIUSER_INIT_TEXT_POWERREQUIRED "Für $(^Name) sind Administratorrechte nötig."
!define MULTIUSER_INIT_TEXT_ALLUSERSNOTPOSSIBLE "Ihr Benutzerkonto hat nicht die Rechte, $(^Name) für alle Benutzer dieses Computers zu installieren oder zu entfernen."

!include MultiUser.nsh
!include MUI2.nsh
!include LogicLib.nsh
!include "${FILE_LIST}"

!define MUI_ICON "${__FILEDIR__}/tivano.ico"
!define MUI_UNICON "${__FILEDIR__}/tivano.ico"
!define MUI_ABORTWARNING

!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Tivano starten"
!define MUI_FINISHPAGE_RUN_FUNCTION LaunchTivano
; The "readme" box of the finish page serves for the optional desktop shortcut.
!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Verknüpfung auf dem Desktop anlegen"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION CreateDesktopShortcut

!insertmacro MUI_PAGE_WELCOME
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "German"

Var desktopShortcut

; A running tivano.exe cannot be opened for writing; replacing or deleting its files would
; then fail half-way.
!macro REFUSE_WHILE_RUNNING
  ${If} ${FileExists} "$INSTDIR\tivano.exe"
    retry:
    ClearErrors
    FileOpen $0 "$INSTDIR\tivano.exe" a
    ${If} ${Errors}
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Tivano läuft noch. Bitte beenden Sie Tivano und wählen Sie dann »Wiederholen«." /SD IDCANCEL IDRETRY retry
      Abort "Tivano läuft noch."
    ${EndIf}
    FileClose $0
  ${EndIf}
!macroend

Function .onInit
  SetRegView 64
  ; MultiUser sets $INSTDIR from the mode; a folder given with /D wins.
  StrCpy $R9 $INSTDIR
  !insertmacro MULTIUSER_INIT
  ${If} $R9 != ""
    StrCpy $INSTDIR $R9
  ${EndIf}
FunctionEnd

; The previous installation of this mode goes first, by its own uninstaller: files that
; the new version no longer ships would otherwise stay behind for good.
Function RemovePreviousInstall
  ReadRegStr $1 SHCTX "${UNINST_KEY}" "InstallLocation"
  ${If} $1 == ""
  ${OrIfNot} ${FileExists} "$1\${UNINSTALLER}"
    Return
  ${EndIf}
  ${If} ${FileExists} "$DESKTOP\${PRODUCT}.lnk"
    StrCpy $desktopShortcut 1
  ${EndIf}
  DetailPrint "Vorherige Installation in $1 wird entfernt"
  ; _?= keeps the uninstaller in place, so ExecWait really waits for it.
  ClearErrors
  ExecWait '"$1\${UNINSTALLER}" /S /$MultiUser.InstallMode _?=$1' $2
  ${If} ${Errors}
  ${OrIf} $2 != 0
    MessageBox MB_OK|MB_ICONSTOP "Die vorherige Installation in $1 konnte nicht entfernt werden." /SD IDOK
    Abort "Die vorherige Installation konnte nicht entfernt werden."
  ${EndIf}
  Delete "$1\${UNINSTALLER}"
  RMDir "$1"
FunctionEnd

Section "Tivano" SecTivano
  SectionIn RO
  !insertmacro REFUSE_WHILE_RUNNING
  Call RemovePreviousInstall

  !insertmacro TIVANO_INSTALL_FILES

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\tivano.exe" "" "$INSTDIR\tivano.exe" 0
  ${If} $desktopShortcut == 1
    Call CreateDesktopShortcut
  ${EndIf}

  ; SHCTX is HKLM or HKCU, as MultiUser set the shell context for the mode.
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\tivano.exe,0"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S /$MultiUser.InstallMode'
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" ${STAGE_SIZE_KB}
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
SectionEnd

Function CreateDesktopShortcut
  SetOutPath "$INSTDIR"
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\tivano.exe" "" "$INSTDIR\tivano.exe" 0
FunctionEnd

; The setup may run elevated; started by Explorer, Tivano runs with the user's own rights.
Function LaunchTivano
  Exec '"$WINDIR\explorer.exe" "$INSTDIR\tivano.exe"'
FunctionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MULTIUSER_UNINIT
  ; Without /AllUsers or /CurrentUser the registration that names this folder decides.
  ${UnStrStr} $0 $MultiUser.Parameters "/CurrentUser"
  ${UnStrStr} $1 $MultiUser.Parameters "/AllUsers"
  ${If} $0 == ""
  ${AndIf} $1 == ""
    ReadRegStr $2 HKCU "${UNINST_KEY}" "InstallLocation"
    ReadRegStr $3 HKLM "${UNINST_KEY}" "InstallLocation"
    ${If} $2 == $INSTDIR
      Call un.MultiUser.InstallMode.CurrentUser
    ${ElseIf} $3 == $INSTDIR
      Call un.MultiUser.InstallMode.AllUsers
      ${If} $MultiUser.InstallMode != "AllUsers"
        MessageBox MB_OK|MB_ICONSTOP "${MULTIUSER_INIT_TEXT_ALLUSERSNOTPOSSIBLE}" /SD IDOK
        Quit
      ${EndIf}
    ${EndIf}
  ${EndIf}
FunctionEnd

; Removes what the setup installed and nothing else: Tivano's autosave, journals and HTML
; export in this folder and its settings under HKCU\Software\tivano belong to the user.
Section "Uninstall"
  !insertmacro REFUSE_WHILE_RUNNING

  ; Registration and shortcuts first: once the folder is gone, the uninstaller is done.
  ReadRegStr $0 SHCTX "${UNINST_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
  ${OrIf} $0 == ""
    DeleteRegKey SHCTX "${UNINST_KEY}"
  ${EndIf}
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$DESKTOP\${PRODUCT}.lnk"

  !insertmacro TIVANO_REMOVE_FILES
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*.*"
    DetailPrint "Ihre Dateien in $INSTDIR bleiben erhalten."
  ${EndIf}
SectionEnd
