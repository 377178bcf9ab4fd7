; KontaktaSetup.exe: the 64-bit Windows setup of Kontakta with a German user
; interface, and the uninstaller it writes. Built by installer/CMakeLists.txt,
; which hands in the files as defines:
;   KONTAKTA_EXE      Kontakta.exe
;   USER_SETUP_EXE    KontaktaUserSetup.exe, the per-user step
;   DEFAULT_SETTINGS  o_settings.dat, the default settings
;   ICON_FILE         the program's icon
;   OUTPUT_FILE       where KontaktaSetup.exe is written
; The input box's kit library iowkit.dll is not ours to ship: the setup takes
; it at install time from its own folder and from nowhere else, and only if it
; is a 64-bit library that Kontakta can load.
;
; Switch users cannot repair a broken installation themselves, so the setup
; checks what can fail before it changes anything: the kit library beside it,
; the length of the target directory and a running Kontakta (which is asked
; to close, so it saves its settings, and is started again afterwards). The
; users' settings are never overwritten: see src/usersetup/UserSetupDecision.h.
;
; Two kinds of installation, chosen on the first page after the welcome and
; before any elevation, or on the command line:
;   "Für alle Benutzer installieren" (/ALLUSERS; /S alone means it too, as it
;     always did): Program Files, HKLM, started at every user's logon,
;     with administrator rights;
;   "Nur für mich installieren" (/CURRENTUSER): the user's own program folder
;     (FOLDERID_UserProgramFiles, <LocalAppData>\Programs), HKCU, started at
;     this user's logon only, without administrator rights.
; Both leave the users' settings where they always were, in each user's
; Documents, so that either kind finds the settings of the other.
;
; The rule of elevation: the manifest asks for none (RequestExecutionLevel
; user: Windows starts the setup with the rights of whoever starts it, and no
; UAC prompt comes before the choice). Only the installation for all users
; needs administrator rights: without them the setup starts itself again
; with the verb "runas" (Windows' UAC prompt) and the parameters
; /ALLUSERS /ELEVATED, waits for that copy and ends with its exit code. A copy
; started with /ELEVATED never asks again; without administrator rights it
; stops (exit code 740, ERROR_ELEVATION_REQUIRED). The uninstaller keeps the
; same rule: its entry for a single user carries /CURRENTUSER.
;
; The setup for all users runs elevated, possibly as an administrator who
; typed a password for the user at the desktop ("over the shoulder").
; Whatever concerns that user (the per-user step, starting Kontakta) goes
; through KontaktaUserSetup.exe, which runs it as the desktop user,
; unelevated.

Unicode true
Target amd64-unicode
ManifestSupportedOS all
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma
; A program file that cannot be written stops the installation instead of
; being skipped: an old Kontakta.exe with new files around it helps nobody.
AllowSkipFiles off

!ifndef KONTAKTA_EXE | USER_SETUP_EXE | DEFAULT_SETTINGS | ICON_FILE | OUTPUT_FILE
  !error "KONTAKTA_EXE, USER_SETUP_EXE, DEFAULT_SETTINGS, ICON_FILE and OUTPUT_FILE must be defined (-D)"
!endif

!define PRODUCT_NAME "KORVA Kontakta"
!define PRODUCT_VERSION "3.2"
!define PRODUCT_PUBLISHER "KORVA"
; The title of the program's main window and the name of its single-instance mutex.
!define PROGRAM_TITLE "KORVA Kontakta"

; Under HKLM for all users, under HKCU for one user (SHCTX: the root that
; SetShellVarContext chose).
!define MACHINE_KEY "Software\KORVA\KORVA Kontakta"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kontakta"
; Active Setup runs the per-user step once for every user at logon, and again
; for everyone when a later setup raises the version.
!define ACTIVE_SETUP_GUID "{7B1D3A30-4D50-434B-B790-6B64FD25BD08}"
!define ACTIVE_SETUP_KEY "Software\Microsoft\Active Setup\Installed Components\${ACTIVE_SETUP_GUID}"
!define ACTIVE_SETUP_VERSION "3,2,0,0"
!define ACTIVE_SETUP_NAME "KORVA Kontakta – Einrichtung für Benutzer"

; The program reads "Directory" into a buffer of 255 bytes: 126 characters
; with its trailing backslash, so 125 for the directory itself.
!define MAX_DIRECTORY_VALUE 126
!define MAX_DIRECTORY 125

!define USER_FILES_NOTE "Die Einstellungen der Benutzer bleiben erhalten: der Ordner „Kontakta User Files“ in den Dokumenten jedes Benutzers mit seiner Datei settings.dat."

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh
!include nsDialogs.nsh

Name "${PRODUCT_NAME} ${PRODUCT_VERSION}"
OutFile "${OUTPUT_FILE}"
; The directory of an installation for all users; the kind of installation
; chooses the real one (ApplyInstallMode): an update goes where the
; installation of that kind is.
InstallDir "$PROGRAMFILES64\KORVA\Kontakta"
BrandingText "${PRODUCT_NAME} ${PRODUCT_VERSION}"
ShowInstDetails show
ShowUninstDetails show

Var LogPath          ; the log file; empty while there is none
Var KitLibraryAdded  ; 1 when this setup copied iowkit.dll
Var FinishText       ; the text of the last page
Var KontaktaClosed   ; 1 when the setup closed a running Kontakta
Var ForAllUsers      ; 1: for all users, 0: only for the user who runs the setup
Var ModeGiven        ; 1 when the command line chose the kind (no choice page)
Var Elevated         ; 1 in the copy that the setup started elevated
Var DirectoryGiven   ; 1 when the command line named the directory (/D=)
Var ChoiceAll        ; the choice page's radio buttons
Var ChoiceUser

;--------------------------------------------------------------------------
; Pages

!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_ABORTWARNING
!define MUI_UNABORTWARNING
; The details stay on screen until the user goes on: they say what became of
; the kit library and of a running Kontakta.
!define MUI_FINISHPAGE_NOAUTOCLOSE
!define MUI_UNFINISHPAGE_NOAUTOCLOSE

!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipInElevatedCopy
!define MUI_WELCOMEPAGE_TEXT "Dieser Assistent installiert ${PRODUCT_NAME} ${PRODUCT_VERSION} für alle Benutzer dieses Computers oder nur für Sie.$\r$\n$\r$\nLäuft Kontakta gerade, wird es vor der Installation beendet und speichert dabei seine Einstellungen. Bei einer Aktualisierung bleiben die Einstellungen aller Benutzer erhalten.$\r$\n$\r$\nDie Bibliothek „iowkit.dll“ der Eingabebox wird mitinstalliert, wenn sie neben diesem Setup liegt.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
Page custom InstallModePage InstallModePageLeave
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryPageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$FinishText"
!define MUI_FINISHPAGE_TEXT_LARGE
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Kontakta jetzt &starten"
!define MUI_FINISHPAGE_RUN_FUNCTION StartKontakta
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "${PRODUCT_NAME} wird von diesem Computer entfernt. Ein laufendes Kontakta wird vorher beendet. ${USER_FILES_NOTE}"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "${PRODUCT_NAME} wurde von Ihrem Computer entfernt.$\r$\n$\r$\n${USER_FILES_NOTE}$\r$\n$\r$\nKlicken Sie auf Fertigstellen, um den Assistenten zu schließen."
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "German"

VIProductVersion "3.2.0.0"
VIFileVersion "3.2.0.0"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileVersion" "${PRODUCT_VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "CompanyName" "${PRODUCT_PUBLISHER}"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "Installation von ${PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_GERMAN} "LegalCopyright" "© ${PRODUCT_PUBLISHER}"
VIAddVersionKey /LANG=${LANG_GERMAN} "OriginalFilename" "KontaktaSetup.exe"

;--------------------------------------------------------------------------
; Functions that the setup and the uninstaller both need, once for each
; ("un." is the uninstaller's prefix).

; Writes a line to the details and appends it to the log file.
!macro LogLine prefix text
  DetailPrint "${text}"
  Push "${text}"
  Call ${prefix}WriteLog
!macroend
!define Log '!insertmacro LogLine ""'
!define UnLog '!insertmacro LogLine "un."'

!macro DefineWriteLog prefix
Function ${prefix}WriteLog
  Exch $0
  Push $1
  ${If} $LogPath != ""
    ClearErrors
    FileOpen $1 "$LogPath" a
    ${IfNot} ${Errors}
      FileSeek $1 0 END
      FileWriteUTF16LE /BOM $1 "$0$\r$\n"
      FileClose $1
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DefineWriteLog ""
!insertmacro DefineWriteLog "un."

; Starts the log with the date and what runs.
!macro DefineStartLog prefix
Function ${prefix}StartLog
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  ${GetTime} "" "L" $1 $2 $3 $4 $5 $6 $7
  Push ""
  Call ${prefix}WriteLog
  Push "${PRODUCT_NAME} ${PRODUCT_VERSION}: $0 am $1.$2.$3 um $5:$6:$7"
  Call ${prefix}WriteLog
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DefineStartLog ""
!insertmacro DefineStartLog "un."

; Pushes 1 when the file is missing or could be opened for writing, 0 when it
; is in use: Windows refuses to open a program's file for writing while any
; process runs it, in any session.
!macro DefineFileIsFree prefix
Function ${prefix}FileIsFree
  Exch $0
  Push $1
  Push $2
  StrCpy $2 1
  ${If} ${FileExists} "$0"
    ; GENERIC_WRITE, no sharing, OPEN_EXISTING: the file itself is not changed.
    System::Call 'kernel32::CreateFileW(w r0, i 0x40000000, i 0, p 0, i 3, i 0x80, p 0) p .r1'
    ${If} $1 P= -1
      StrCpy $2 0
    ${Else}
      System::Call 'kernel32::CloseHandle(p r1)'
    ${EndIf}
  ${EndIf}
  StrCpy $0 $2
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro DefineFileIsFree ""
!insertmacro DefineFileIsFree "un."

; Ends a Kontakta of this logon session the way the program expects it: a
; WM_CLOSE to its hidden main window makes it save its settings and end. Then
; waits until Kontakta.exe is free, which it is not either while Kontakta runs
; in another user's session. Pushes 1 when the file is free, 0 when it still
; is not after ten seconds.
!macro DefineEndRunningKontakta prefix
Function ${prefix}EndRunningKontakta
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $1 0  ; the window that was asked to close
  StrCpy $2 0  ; tenths of a second waited
  StrCpy $3 0  ; the result
  ${Do}
    ; The program's single-instance mutex lives as long as it runs in this
    ; session. Kontakta runs as the user at the desktop: when an
    ; administrator typed a password for the setup ("over the shoulder"),
    ; the mutex of that other user refuses the setup (ERROR_ACCESS_DENIED, 5)
    ; although it exists. Kontakta itself counts that as running, and so does
    ; the setup: its window takes the close request whoever asks (a process
    ; of higher integrity may post to it). Only Windows shows the refusal:
    ; Wine grants every access to a named object, even against a DACL that
    ; denies it, so no scenario under Wine can reach this case.
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${PROGRAM_TITLE}") p .r0 ?e'
    Pop $4  ; the last error of the call
    ${If} $0 P<> 0
      System::Call 'kernel32::CloseHandle(p r0)'
    ${EndIf}
    ${If} $0 P<> 0
    ${OrIf} $4 == 5
      ; The main window has its title from the start of its initialisation; it
      ; handles the message as soon as start-up lets it.
      FindWindow $0 "#32770" "${PROGRAM_TITLE}"
      ${If} $0 P<> 0
      ${AndIf} $0 P<> $1
        !insertmacro LogLine "${prefix}" "Kontakta läuft und wird beendet; dabei speichert es seine Einstellungen."
        System::Call 'user32::PostMessageW(p r0, i ${WM_CLOSE}, p 0, p 0)'
        StrCpy $1 $0
      ${EndIf}
    ${Else}
      Push "$INSTDIR\Kontakta.exe"
      Call ${prefix}FileIsFree
      Pop $0
      ${If} $0 == 1
        StrCpy $3 1
        ${ExitDo}
      ${EndIf}
    ${EndIf}
    ${If} $2 >= 100
      ${ExitDo}
    ${EndIf}
    Sleep 100
    IntOp $2 $2 + 1
  ${Loop}
  ${If} $1 P<> 0
  ${AndIf} $3 == 1
    !insertmacro LogLine "${prefix}" "Kontakta wurde beendet."
    StrCpy $KontaktaClosed 1
  ${EndIf}
  StrCpy $0 $3
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro DefineEndRunningKontakta ""
!insertmacro DefineEndRunningKontakta "un."

; Ends a running Kontakta, or asks the user to end it; without a user (/S)
; gives up. Aborts the setup or the uninstallation, before anything changed,
; when Kontakta goes on running.
!macro DefineMakeKontaktaFree prefix
Function ${prefix}MakeKontaktaFree
  Push $0
  ${Do}
    Call ${prefix}EndRunningKontakta
    Pop $0
    ${IfThen} $0 == 1 ${|} ${ExitDo} ${|}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Kontakta läuft noch und konnte nicht beendet werden, vielleicht bei einem anderen angemeldeten Benutzer oder mit einem offenen Fenster.$\r$\n$\r$\nBitte beenden Sie Kontakta (Symbol im Infobereich der Taskleiste, Menü „Beenden“) und klicken Sie dann auf „Wiederholen“." /SD IDCANCEL IDRETRY`
      !insertmacro LogLine "${prefix}" "Abgebrochen: Kontakta läuft noch ($INSTDIR\Kontakta.exe wird verwendet). Es wurde nichts verändert."
      SetErrorLevel 3
      Abort
    ${EndIf}
  ${Loop}
  Pop $0
FunctionEnd
!macroend
!insertmacro DefineMakeKontaktaFree ""
!insertmacro DefineMakeKontaktaFree "un."

; Ends the setup at once when it does not run with administrator rights: it
; could write none of the machine-wide entries.
!macro DefineRequireAdministrator prefix
Function ${prefix}RequireAdministrator
  Push $0
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "Für diesen Vorgang sind Administratorrechte nötig. Bitte starten Sie das Programm als Administrator." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
  Pop $0
FunctionEnd
!macroend
!insertmacro DefineRequireAdministrator ""
!insertmacro DefineRequireAdministrator "un."

; Pushes the user's own program folder, without a backslash:
; FOLDERID_UserProgramFiles, which Windows keeps for programs installed for
; one user, or <LocalAppData>\Programs where Windows names none.
!macro DefineUserProgramsFolder prefix
Function ${prefix}UserProgramsFolder
  Push $0
  ClearErrors
  GetKnownFolderPath $0 {5CD7AEE2-2219-4A67-B85D-6C9CE15660CB}
  ${If} ${Errors}
  ${OrIf} $0 == ""
    System::Call 'shell32::SHGetFolderPathW(p 0, i 0x1C, p 0, i 0, w .r0) i'  ; CSIDL_LOCAL_APPDATA, the user's own
    StrCpy $0 "$0\Programs"
  ${EndIf}
  Exch $0
FunctionEnd
!macroend
!insertmacro DefineUserProgramsFolder ""
!insertmacro DefineUserProgramsFolder "un."

; Reads the kind of installation from the command line: /CURRENTUSER or
; /ALLUSERS set it ($ModeGiven), /ELEVATED marks the copy started elevated.
!macro DefineReadCommandLine prefix
Function ${prefix}ReadCommandLine
  Push $0
  Push $1
  StrCpy $ModeGiven 0
  StrCpy $Elevated 0
  StrCpy $DirectoryGiven 0
  StrCpy $ForAllUsers 1
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${IfNot} ${Errors}
    StrCpy $ModeGiven 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/CURRENTUSER" $1
  ${IfNot} ${Errors}
    StrCpy $ModeGiven 1
    StrCpy $ForAllUsers 0
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/ELEVATED" $1
  ${IfNot} ${Errors}
    StrCpy $Elevated 1
  ${EndIf}
  ClearErrors
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro DefineReadCommandLine ""
!insertmacro DefineReadCommandLine "un."

; Starts this program again with administrator rights (the verb "runas":
; Windows' UAC prompt) and the parameters on the stack, waits for it and
; ends with its exit code. Returns only when Windows did not start it, with
; the error on the stack (1223, ERROR_CANCELLED: the user said no).
; SHELLEXECUTEINFOW as the 64-bit Windows lays it out (112 bytes): every
; pointer on a multiple of 8, so nShow and dwHotKey are followed by 4 bytes
; of padding; fMask SEE_MASK_NOCLOSEPROCESS (0x40) | SEE_MASK_NOASYNC (0x100)
; hands back the process.
!macro DefineRunElevated prefix
Function ${prefix}RunElevated
  Exch $0  ; the parameters
  Push $1
  Push $2
  Push $3
  System::Call '*(i 112, i 0x140, p $HWNDPARENT, w "runas", w "$EXEPATH", w r0, w "$EXEDIR", i 1, i 0, p 0, p 0, p 0, p 0, i 0, i 0, p 0, p 0) p .r1'
  System::Call 'shell32::ShellExecuteExW(p r1) i .r2 ?e'
  Pop $3  ; the last error of the call
  ${If} $2 <> 0
    System::Call '*$1(i, i, p, p, p, p, p, i, i, p, p, p, p, i, i, p, p .r2)'
    System::Free $1
    ${If} $2 P<> 0
      HideWindow
      System::Call 'kernel32::WaitForSingleObject(p r2, i -1) i'
      StrCpy $3 0
      System::Call 'kernel32::GetExitCodeProcess(p r2, *i .r3) i'
      System::Call 'kernel32::CloseHandle(p r2)'
      SetErrorLevel $3
    ${EndIf}
    Quit
  ${EndIf}
  System::Free $1
  StrCpy $0 $3
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro DefineRunElevated ""
!insertmacro DefineRunElevated "un."

;--------------------------------------------------------------------------
; Setup

; Sets what the kind of installation decides: the shell folders and SHCTX
; (HKLM or HKCU), and the directory unless the command line named one: where
; an installation of that kind is, or its default.
Function ApplyInstallMode
  Push $0
  ${If} $ForAllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  ${If} $DirectoryGiven != 1
    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
      StrCpy $INSTDIR "$0"
    ${ElseIf} $ForAllUsers == 1
      StrCpy $INSTDIR "$PROGRAMFILES64\KORVA\Kontakta"
    ${Else}
      Call UserProgramsFolder
      Pop $0
      StrCpy $INSTDIR "$0\KORVA\Kontakta"
    ${EndIf}
  ${EndIf}
  Pop $0
FunctionEnd

; Pushes 1 when the setup has administrator rights. Windows gives an
; administrator's unelevated process a token in which the group
; Administrators only denies: that counts as none.
Function HasAdministratorRights
  Push $0
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  Exch $0
FunctionEnd

; The parameters of the elevated copy: the kind, the silence, and the
; directory, which NSIS wants last and unquoted.
Function ElevatedParameters
  Push $0
  StrCpy $0 "/ALLUSERS /ELEVATED"
  ${If} ${Silent}
    StrCpy $0 "$0 /S"
  ${EndIf}
  ${If} $DirectoryGiven == 1
    StrCpy $0 "$0 /D=$INSTDIR"
  ${EndIf}
  Exch $0
FunctionEnd

; Pushes the value "Directory": the installation directory with its trailing
; backslash, as the program joins file names to it.
Function DirectoryValue
  Push $0
  StrCpy $0 "$INSTDIR" 1 -1
  ${If} $0 == "\"
    StrCpy $0 "$INSTDIR"
  ${Else}
    StrCpy $0 "$INSTDIR\"
  ${EndIf}
  Exch $0
FunctionEnd

; Pushes 1 when the program could not read the directory back.
Function DirectoryTooLong
  Push $0
  Call DirectoryValue
  Pop $0
  StrLen $0 $0
  ${If} $0 > ${MAX_DIRECTORY_VALUE}
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  Exch $0
FunctionEnd

!define TOO_LONG_TEXT "Das Installationsverzeichnis ist zu lang: Damit Kontakta es lesen kann, darf es höchstens ${MAX_DIRECTORY} Zeichen haben. Das gewählte Verzeichnis hat $1 Zeichen:$\r$\n$INSTDIR$\r$\n$\r$\nBitte wählen Sie ein kürzeres Verzeichnis."

; Pushes the machine of a Windows program file's PE header as a decimal
; number (34404 = 0x8664, x64; 332 = 0x14C, 32-bit x86), or "" when the file
; is no such program file: "MZ" at its start, at offset 0x3C the offset of the
; "PE\0\0" signature, and the machine's 16 bits right after it.
Function PeMachine
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $4 ""
  ClearErrors
  FileOpen $1 "$0" r
  ${IfNot} ${Errors}
    FileReadByte $1 $2
    FileReadByte $1 $3
    ${If} $2 = 77
    ${AndIf} $3 = 90
      FileSeek $1 60 SET
      FileReadByte $1 $2
      FileReadByte $1 $3
      IntOp $3 $3 << 8
      IntOp $2 $2 | $3
      FileReadByte $1 $3
      IntOp $3 $3 << 16
      IntOp $2 $2 | $3
      FileReadByte $1 $3
      ${If} $3 = 0  ; no real library has its header beyond 16 MiB
        FileSeek $1 $2 SET
        FileReadByte $1 $2
        FileReadByte $1 $3
        ${If} $2 = 80
        ${AndIf} $3 = 69
          FileReadByte $1 $2
          FileReadByte $1 $3
          ${If} $2 = 0
          ${AndIf} $3 = 0
            FileReadByte $1 $2
            FileReadByte $1 $3
            IntOp $3 $3 << 8
            IntOp $4 $2 | $3
          ${EndIf}
        ${EndIf}
      ${EndIf}
    ${EndIf}
    ; A file that ends early is no program file.
    ${If} ${Errors}
      StrCpy $4 ""
    ${EndIf}
    FileClose $1
  ${EndIf}
  StrCpy $0 $4
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; Kontakta is a 64-bit program and Windows loads only a 64-bit library into
; it: a 32-bit iowkit.dll would leave it with "Kein Eingabegerät gefunden!"
; for good. Such a library beside the setup refuses the whole setup before
; anything changes, with exit code 4.
Function CheckKitLibrary
  ${IfNot} ${FileExists} "$EXEDIR\iowkit.dll"
    Return
  ${EndIf}
  Push $0
  Push $1
  Push "$EXEDIR\iowkit.dll"
  Call PeMachine
  Pop $0
  ${If} $0 != 34404
    ${If} $0 == 332
      StrCpy $1 "eine 32-Bit-Bibliothek"
    ${Else}
      StrCpy $1 "keine 64-Bit-Bibliothek für Windows"
    ${EndIf}
    ; The log goes beside an installation that is there; otherwise, since
    ; nothing may be created, into the temporary folder.
    ${If} ${FileExists} "$INSTDIR\*.*"
      StrCpy $LogPath "$INSTDIR\KontaktaSetup.log"
    ${Else}
      StrCpy $LogPath "$TEMP\KontaktaSetup.log"
    ${EndIf}
    Push "Installation nach $INSTDIR"
    Call StartLog
    ${Log} "Abgebrochen: Die Bibliothek $EXEDIR\iowkit.dll ist $1; Kontakta braucht die 64-Bit-Version (x64). Es wurde nichts verändert."
    MessageBox MB_OK|MB_ICONSTOP "Die Bibliothek „iowkit.dll“ neben diesem Setup ist $1:$\r$\n$EXEDIR\iowkit.dll$\r$\n$\r$\nKontakta ist ein 64-Bit-Programm und kann sie nicht laden. Bitte legen Sie die 64-Bit-Version von „iowkit.dll“ vom Hersteller der Eingabebox neben das Setup oder entfernen Sie die Datei dort, und starten Sie das Setup dann erneut.$\r$\n$\r$\nEs wurde nichts verändert." /SD IDOK
    SetErrorLevel 4
    Quit
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

Function .onInit
  SetRegView 64
  Call ReadCommandLine
  ; NSIS takes /D= off the command line and puts it into $INSTDIR before
  ; .onInit: a directory other than InstallDir's was named.
  ${If} $INSTDIR != "$PROGRAMFILES64\KORVA\Kontakta"
    StrCpy $DirectoryGiven 1
  ${EndIf}
  ; /S alone installs for all users, as it always did.
  ${If} ${Silent}
  ${OrIf} $Elevated == 1
    StrCpy $ModeGiven 1
  ${EndIf}
  ${If} $ModeGiven == 1
    Call ApplyInstallMode
    ${If} $ForAllUsers == 1
      Push $0
      Call HasAdministratorRights
      Pop $0
      ${If} $0 != 1
      ${AndIf} $Elevated != 1
        Call ElevatedParameters
        Call RunElevated
        Pop $0
      ${EndIf}
      Pop $0
      ; The elevated copy without the rights, or Windows refused them.
      Call RequireAdministrator
    ${EndIf}
  ${EndIf}
  Call CheckKitLibrary
  ; Without pages nobody can choose another directory: refuse at once.
  ${If} ${Silent}
    Push $0
    Push $1
    Call DirectoryTooLong
    Pop $0
    ${If} $0 == 1
      StrLen $1 "$INSTDIR"
      MessageBox MB_OK|MB_ICONSTOP "${TOO_LONG_TEXT}" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
    Pop $1
    Pop $0
  ${EndIf}
FunctionEnd

; The welcome and the choice come once: not again in the elevated copy.
Function SkipInElevatedCopy
  ${If} $Elevated == 1
    Abort
  ${EndIf}
FunctionEnd

; The choice between an installation for all users and one for this user,
; before anything needs administrator rights. Preselected: the kind that is
; installed already, for all users where none is.
Function InstallModePage
  ${If} $ModeGiven == 1
    Abort
  ${EndIf}
  Push $0
  Push $1
  !insertmacro MUI_HEADER_TEXT "Installationsart" "Für wen soll ${PRODUCT_NAME} installiert werden?"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u "Kontakta kann für alle Benutzer dieses Computers installiert werden oder nur für Sie. Die Einstellungen bleiben in beiden Fällen in Ihren Dokumenten."
  Pop $0
  ${NSD_CreateRadioButton} 10u 32u -10u 12u "Für alle Benutzer installieren"
  Pop $ChoiceAll
  ${NSD_AddStyle} $ChoiceAll ${WS_GROUP}
  ${NSD_CreateLabel} 22u 45u -22u 20u "Kontakta startet bei der Anmeldung jedes Benutzers. Dafür sind Administratorrechte nötig."
  Pop $0
  ${NSD_CreateRadioButton} 10u 70u -10u 12u "Nur für mich installieren"
  Pop $ChoiceUser
  ${NSD_CreateLabel} 22u 83u -22u 20u "Kontakta wird in Ihren eigenen Programmordner installiert und startet nur bei Ihrer Anmeldung. Administratorrechte sind nicht nötig."
  Pop $0
  ; Back from a later page the choice stays as it was.
  ${If} $ForAllUsers == 1
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == ""
    ${AndIf} $1 != ""
      StrCpy $ForAllUsers 0
    ${EndIf}
  ${EndIf}
  ${If} $ForAllUsers == 1
    ${NSD_Check} $ChoiceAll
  ${Else}
    ${NSD_Check} $ChoiceUser
  ${EndIf}
  ${NSD_OnClick} $ChoiceAll InstallModeChanged
  ${NSD_OnClick} $ChoiceUser InstallModeChanged
  Push 0
  Call InstallModeChanged
  Pop $1
  Pop $0
  nsDialogs::Show
FunctionEnd

; Windows' shield on "Weiter" tells that the next step asks for
; administrator rights (BCM_SETSHIELD, 0x160C).
Function InstallModeChanged
  Pop $0  ; the control that was clicked, if any
  Push $0
  Push $1
  Push $2
  GetDlgItem $0 $HWNDPARENT 1
  StrCpy $1 0
  ${NSD_GetState} $ChoiceAll $2
  ${If} $2 == ${BST_CHECKED}
    Call HasAdministratorRights
    Pop $2
    ${If} $2 != 1
      StrCpy $1 1
    ${EndIf}
  ${EndIf}
  SendMessage $0 0x160C 0 $1
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Function InstallModePageLeave
  Push $0
  ${NSD_GetState} $ChoiceAll $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $ForAllUsers 1
  ${Else}
    StrCpy $ForAllUsers 0
  ${EndIf}
  Call ApplyInstallMode
  ${If} $ForAllUsers == 1
    Call HasAdministratorRights
    Pop $0
    ${If} $0 != 1
      Call ElevatedParameters
      Call RunElevated
      Pop $0
      MessageBox MB_OK|MB_ICONEXCLAMATION "Ohne Administratorrechte kann Kontakta nicht für alle Benutzer installiert werden (Fehler $0).$\r$\n$\r$\nBitte wählen Sie „Nur für mich installieren“ oder versuchen Sie es erneut."
      Pop $0
      Abort  ; stays on the page
    ${EndIf}
  ${EndIf}
  Pop $0
FunctionEnd

Function DirectoryPageLeave
  Push $0
  Push $1
  Call DirectoryTooLong
  Pop $0
  ${If} $0 == 1
    StrLen $1 "$INSTDIR"
    MessageBox MB_OK|MB_ICONSTOP "${TOO_LONG_TEXT}"
    Pop $1
    Pop $0
    Abort  ; stays on the page
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; iowkit.dll from the setup's own folder, the only place it is ever taken from.
Function InstallKitLibrary
  Push $0
  StrCpy $KitLibraryAdded 0
  ${If} ${FileExists} "$EXEDIR\iowkit.dll"
  ${AndIf} "$EXEDIR" != "$INSTDIR"
    System::Call 'kernel32::CopyFileW(w "$EXEDIR\iowkit.dll", w "$INSTDIR\iowkit.dll", i 0) i .r0'
    ${If} $0 != 0
      StrCpy $KitLibraryAdded 1
      ${Log} "Die Bibliothek iowkit.dll der Eingabebox wurde aus $EXEDIR installiert."
    ${Else}
      ${Log} "Die Bibliothek iowkit.dll konnte nicht aus $EXEDIR kopiert werden."
      MessageBox MB_OK|MB_ICONEXCLAMATION "Die Bibliothek „iowkit.dll“ der Eingabebox konnte nicht aus$\r$\n$EXEDIR$\r$\nkopiert werden. Bitte legen Sie sie von Hand in das Installationsverzeichnis:$\r$\n$INSTDIR" /SD IDOK
    ${EndIf}
  ${ElseIf} ${FileExists} "$INSTDIR\iowkit.dll"
    ${Log} "Die Bibliothek iowkit.dll der Eingabebox ist im Installationsverzeichnis bereits vorhanden."
  ${Else}
    ${Log} "Die Bibliothek iowkit.dll der Eingabebox fehlt: Sie kommt vom Hersteller der Eingabebox und muss in das Installationsverzeichnis $INSTDIR gelegt werden. Ohne sie meldet Kontakta „Kein Eingabegerät gefunden!“."
    MessageBox MB_OK|MB_ICONINFORMATION "Die Bibliothek „iowkit.dll“ der Eingabebox wurde nicht mitinstalliert: Sie lag nicht neben diesem Setup.$\r$\n$\r$\nSie gehört zur Eingabebox und kommt von deren Hersteller. Bitte legen Sie die Datei „iowkit.dll“ in das Installationsverzeichnis:$\r$\n$INSTDIR$\r$\n$\r$\nBis dahin meldet Kontakta „Kein Eingabegerät gefunden!“." /SD IDOK
  ${EndIf}
  Pop $0
FunctionEnd

; The per-user step at once, so that nobody need log on again: for the user
; at the desktop, who is not the setup's own user when an administrator typed
; a password for them; that administrator's profile is then left alone.
; Active Setup is marked as done only for the setup's own user, and only when
; the step ran for that user (exit code 0; 10: it ran for the desktop user).
Function PrepareCurrentUser
  Push $0
  ClearErrors
  ExecWait '"$INSTDIR\KontaktaUserSetup.exe" /desktop' $0
  ${If} ${Errors}
    StrCpy $0 "-"
  ${EndIf}
  ${If} $0 == 0
    WriteRegStr HKCU "${ACTIVE_SETUP_KEY}" "Version" "${ACTIVE_SETUP_VERSION}"
    ${Log} "Die Einstellungen dieses Benutzers sind vorbereitet."
  ${ElseIf} $0 == 10
    ${Log} "Die Einstellungen des angemeldeten Benutzers sind vorbereitet; die des Kontos, unter dem das Setup läuft, bleiben unverändert."
  ${Else}
    ; Without the mark Windows runs the step again at this user's next logon.
    DeleteRegKey HKCU "${ACTIVE_SETUP_KEY}"
    ${Log} "Die Einstellungen dieses Benutzers konnten nicht vorbereitet werden (Fehler $0); das geschieht bei der nächsten Anmeldung."
    MessageBox MB_OK|MB_ICONEXCLAMATION "Die Einstellungen für Ihr Benutzerkonto konnten nicht vorbereitet werden (Fehler $0). Das wird bei Ihrer nächsten Anmeldung an Windows nachgeholt." /SD IDOK
  ${EndIf}
  Pop $0
FunctionEnd

; The per-user step of an installation for this user only, which runs as
; this user: there is no Active Setup for it (its entry lives in HKLM), so
; the step runs here, and its failure is told now.
Function PrepareThisUser
  Push $0
  ClearErrors
  ExecWait '"$INSTDIR\KontaktaUserSetup.exe"' $0
  ${If} ${Errors}
    StrCpy $0 "-"
  ${EndIf}
  ${If} $0 == 0
    ${Log} "Ihre Einstellungen sind vorbereitet."
  ${Else}
    ${Log} "Ihre Einstellungen konnten nicht vorbereitet werden (Fehler $0)."
    MessageBox MB_OK|MB_ICONEXCLAMATION "Die Einstellungen für Ihr Benutzerkonto konnten nicht vorbereitet werden (Fehler $0). Bitte starten Sie das Setup erneut." /SD IDOK
  ${EndIf}
  Pop $0
FunctionEnd

; Starts Kontakta for the user at the desktop, unelevated: a program that the
; setup started itself would run with the setup's administrator rights, and
; possibly as another user.
Function StartKontakta
  Push $0
  ClearErrors
  ExecWait '"$INSTDIR\KontaktaUserSetup.exe" /start' $0
  ${If} ${Errors}
    StrCpy $0 "-"
  ${EndIf}
  ${If} $0 == 0
    ${Log} "Kontakta wurde für den angemeldeten Benutzer gestartet."
  ${Else}
    ${Log} "Kontakta konnte nicht für den angemeldeten Benutzer gestartet werden (Fehler $0); es startet bei der nächsten Anmeldung."
  ${EndIf}
  Pop $0
FunctionEnd

Section "Kontakta" SectionProgram
  SectionIn RO
  SetRegView 64
  ${If} $ForAllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}

  Push $0
  Push $1
  Call DirectoryTooLong
  Pop $0
  ${If} $0 == 1
    StrLen $1 "$INSTDIR"
    DetailPrint "Abgebrochen: Das Installationsverzeichnis hat $1 Zeichen, Kontakta kann höchstens ${MAX_DIRECTORY} lesen."
    MessageBox MB_OK|MB_ICONSTOP "${TOO_LONG_TEXT}" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}

  ; An update goes on with the log of the installation.
  ${If} ${FileExists} "$INSTDIR\*.*"
    StrCpy $LogPath "$INSTDIR\KontaktaSetup.log"
    Push "Installation nach $INSTDIR"
    Call StartLog
  ${EndIf}
  ; Before anything is written: an old Kontakta.exe that cannot be replaced
  ; stops the setup with the installation as it was.
  Call MakeKontaktaFree

  SetOutPath "$INSTDIR"
  ${If} $LogPath == ""
    StrCpy $LogPath "$INSTDIR\KontaktaSetup.log"
    Push "Installation nach $INSTDIR"
    Call StartLog
  ${EndIf}

  File "/oname=Kontakta.exe" "${KONTAKTA_EXE}"
  File "/oname=o_settings.dat" "${DEFAULT_SETTINGS}"
  File "/oname=KontaktaUserSetup.exe" "${USER_SETUP_EXE}"
  Call InstallKitLibrary
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; What the program reads at its start: HKLM for all users, HKCU for this
  ; user (the program reads HKCU where HKLM has no folder).
  Call DirectoryValue
  Pop $0
  WriteRegStr SHCTX "${MACHINE_KEY}" "Directory" "$0"
  ; Started at the logon of every user, or of this user only; the program's
  ; mutex keeps it to one per session.
  WriteRegStr SHCTX "${RUN_KEY}" "Kontakta" '"$INSTDIR\Kontakta.exe"'

  ${If} $ForAllUsers == 1
    WriteRegStr HKLM "${ACTIVE_SETUP_KEY}" "" "${ACTIVE_SETUP_NAME}"
    WriteRegStr HKLM "${ACTIVE_SETUP_KEY}" "ComponentID" "${ACTIVE_SETUP_NAME}"
    WriteRegStr HKLM "${ACTIVE_SETUP_KEY}" "StubPath" '"$INSTDIR\KontaktaUserSetup.exe"'
    WriteRegStr HKLM "${ACTIVE_SETUP_KEY}" "Version" "${ACTIVE_SETUP_VERSION}"
    WriteRegDWORD HKLM "${ACTIVE_SETUP_KEY}" "IsInstalled" 1
  ${EndIf}

  ; Windows' list of installed programs, for all users or for this one; the
  ; entry of a single user starts its uninstaller in that kind.
  ${If} $ForAllUsers == 1
    StrCpy $1 ""
  ${Else}
    StrCpy $1 " /CURRENTUSER"
  ${EndIf}
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${PRODUCT_VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PRODUCT_PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Kontakta.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"$1'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe"$1 /S'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ; Only a kit library that this setup brought is taken away again.
  ${If} $KitLibraryAdded == 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "KitLibraryInstalled" 1
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; The Start menu of all users, or of this one.
  CreateDirectory "$SMPROGRAMS\Kontakta"
  CreateShortCut "$SMPROGRAMS\Kontakta\Kontakta.lnk" "$INSTDIR\Kontakta.exe" "" "$INSTDIR\Kontakta.exe" 0 SW_SHOWNORMAL "" "Computer mit Schaltern bedienen"
  ${If} $ForAllUsers == 1
    CreateShortCut "$SMPROGRAMS\Kontakta\Kontakta deinstallieren.lnk" "$INSTDIR\Uninstall.exe" "" "$INSTDIR\Uninstall.exe" 0 SW_SHOWNORMAL "" "${PRODUCT_NAME} entfernen"
    Call PrepareCurrentUser
  ${Else}
    CreateShortCut "$SMPROGRAMS\Kontakta\Kontakta deinstallieren.lnk" "$INSTDIR\Uninstall.exe" "/CURRENTUSER" "$INSTDIR\Uninstall.exe" 0 SW_SHOWNORMAL "" "${PRODUCT_NAME} entfernen"
    Call PrepareThisUser
  ${EndIf}

  ${If} $ForAllUsers == 1
    StrCpy $FinishText "${PRODUCT_NAME} ${PRODUCT_VERSION} wurde auf Ihrem Computer installiert. Es startet bei jeder Anmeldung eines Benutzers und zeigt sich im Infobereich der Taskleiste."
  ${Else}
    StrCpy $FinishText "${PRODUCT_NAME} ${PRODUCT_VERSION} wurde für Sie installiert. Es startet bei Ihrer Anmeldung und zeigt sich im Infobereich der Taskleiste."
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\iowkit.dll"
    StrCpy $FinishText "$FinishText$\r$\n$\r$\nKlicken Sie auf Fertigstellen, um den Assistenten zu schließen."
  ${Else}
    StrCpy $FinishText "$FinishText$\r$\n$\r$\nEs fehlt noch die Bibliothek „iowkit.dll“ der Eingabebox. Sie gehört in das Verzeichnis:$\r$\n$INSTDIR"
  ${EndIf}
  ${Log} "Installation abgeschlossen."
  ; Without pages nobody can tick "Kontakta jetzt starten": the user gets
  ; back the Kontakta that the setup closed.
  ${If} ${Silent}
  ${AndIf} $KontaktaClosed == 1
    Call StartKontakta
  ${EndIf}
  Pop $1
  Pop $0
SectionEnd

;--------------------------------------------------------------------------
; Uninstaller

; The uninstaller's kind: /CURRENTUSER (the entry and the shortcut of a
; single user's installation carry it) or /ALLUSERS; without either, the
; kind whose entry names this directory, for all users where none does.
Function un.onInit
  SetRegView 64
  Call un.ReadCommandLine
  ${If} $ModeGiven != 1
  ${AndIf} $Elevated != 1
    Push $0
    Push $1
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
    ${AndIf} $1 != $INSTDIR
      StrCpy $ForAllUsers 0
    ${EndIf}
    Pop $1
    Pop $0
  ${EndIf}
  ${If} $ForAllUsers == 1
    SetShellVarContext all
    Push $0
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
    ${AndIf} $Elevated != 1
      StrCpy $0 "/ALLUSERS /ELEVATED"
      ${If} ${Silent}
        StrCpy $0 "$0 /S"
      ${EndIf}
      ; The copy that runs is the one in the temporary folder: it is told
      ; where the installation is.
      Push "$0 _?=$INSTDIR"
      Call un.RunElevated
      Pop $0
    ${EndIf}
    Pop $0
    Call un.RequireAdministrator
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

Section "Uninstall"
  SetRegView 64
  ${If} $ForAllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  Push $0

  ; The installation directory goes away: the log of a silent uninstallation
  ; stays in the temporary folder.
  StrCpy $LogPath "$TEMP\KontaktaUninstall.log"
  Push "Deinstallation aus $INSTDIR"
  Call un.StartLog

  Call un.MakeKontaktaFree

  ReadRegDWORD $0 SHCTX "${UNINSTALL_KEY}" "KitLibraryInstalled"
  Delete "$INSTDIR\Kontakta.exe"
  Delete "$INSTDIR\o_settings.dat"
  Delete "$INSTDIR\KontaktaUserSetup.exe"
  ${If} $0 == 1
    Delete "$INSTDIR\iowkit.dll"
  ${ElseIf} ${FileExists} "$INSTDIR\iowkit.dll"
    ${UnLog} "Die Bibliothek iowkit.dll wurde nicht von diesem Setup installiert und bleibt in $INSTDIR."
  ${EndIf}
  Delete "$INSTDIR\KontaktaSetup.log"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  ${If} $ForAllUsers == 1
    RMDir "$PROGRAMFILES64\KORVA"
  ${Else}
    Call un.UserProgramsFolder
    Pop $0
    RMDir "$0\KORVA"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\*.*"
    ${UnLog} "Das Verzeichnis $INSTDIR enthält noch andere Dateien und bleibt bestehen."
  ${EndIf}

  Delete "$SMPROGRAMS\Kontakta\Kontakta.lnk"
  Delete "$SMPROGRAMS\Kontakta\Kontakta deinstallieren.lnk"
  RMDir "$SMPROGRAMS\Kontakta"

  DeleteRegKey SHCTX "${MACHINE_KEY}"
  DeleteRegKey /ifempty SHCTX "Software\KORVA"
  DeleteRegValue SHCTX "${RUN_KEY}" "Kontakta"
  ${If} $ForAllUsers == 1
    DeleteRegKey HKLM "${ACTIVE_SETUP_KEY}"
    DeleteRegKey HKCU "${ACTIVE_SETUP_KEY}"
  ${EndIf}
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"

  ; Each user's HKCU Software\KORVA\Kontakta stays too: its "UpdateCode" "0"
  ; keeps the user's file should Kontakta be installed again.
  ${UnLog} "${PRODUCT_NAME} wurde entfernt. ${USER_FILES_NOTE}"
  Pop $0
SectionEnd
