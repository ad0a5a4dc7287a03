; Zelmora's Windows installer, built by the target windows-package
; (packaging/windows/CMakeLists.txt), which defines VERSION, VERSION4, STAGE
; (the folder of the files to install), FILES (files.nsh, the list of those
; files, made from STAGE), ICON and OUTFILE.
;
; For the user who runs it only, into %LOCALAPPDATA%\Programs\Zelmora: no
; administrator is needed, and everything the installation makes (the
; programs, the shortcuts, the entry of "Programs and Features" in HKCU)
; belongs to that one user. /S installs silently, /D=FOLDER chooses the
; folder, /AVVIO=0 or 1 leaves out or puts in the phrase at every sign-in,
; /DESKTOP=0 or 1 the shortcut on the desktop.
;
; One installation at a time: a new version goes into the folder of the
; one installed, and a folder other than that one is refused while the
; earlier programs are there, so that no copy is ever left without an entry
; that removes it.
;
; An installation over an earlier one keeps every shortcut the user kept,
; as the user left it (its working folder, its arguments: the guide tells
; how to change them), and makes only those that are missing. Where the
; Startup or the desktop shortcut is, is the user's last choice, made here
; or in Zelmora's own menu (which makes and removes the same Startup
; shortcut), or by deleting it.
;
; The program writes nothing beside itself: what the user keeps (tesmi.txt,
; opzioni.txt) lives in Documenti\Zelmora, the working folder of the
; shortcuts, which neither a new installation nor the uninstaller ever
; overwrites or removes.
;
; The exit statuses, the same numbers as Windows' own errors. LEGGIMI.txt
; takes the lines between the two markers as they stand (CMakeLists.txt),
; and README.md points there.
; BEGIN EXIT STATUSES
;     0      installazione riuscita
;     1      annullata dall'utente
;     2      interrotta: un file non si è potuto scrivere (Zelmora resta
;            in Impostazioni > App: installalo di nuovo o disinstallalo)
;     32     Zelmora è aperto: chiudilo e riprova (nulla è cambiato)
;     87     /AVVIO= o /DESKTOP= con un valore diverso da 0 e 1 (nulla è
;            cambiato)
;     1150   Windows è più vecchio di Windows 10
;     1638   Zelmora è già installato in un'altra cartella: installalo
;            in quella, oppure disinstallalo prima (nulla è cambiato)
; END EXIT STATUSES
; The uninstaller copies itself away and returns 0 at once; its own status
; (0, 32, or 2 for files it could not remove) is seen by whoever starts it
; with _?=FOLDER, which waits for it.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
ManifestSupportedOS all
RequestExecutionLevel user

!define PRODUCT "Zelmora"
!define PUBLISHER "Gli autori di Zelmora"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zelmora"
!define UNINSTALLER "disinstalla.exe"
!define STARTUP_SHORTCUT "$SMSTARTUP\${PRODUCT}.lnk"
!define MENU_SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define DESKTOP_SHORTCUT "$DESKTOP\${PRODUCT}.lnk"

!define EXIT_RUNNING 32 ; ERROR_SHARING_VIOLATION
!define EXIT_BAD_OPTION 87 ; ERROR_INVALID_PARAMETER
!define EXIT_OLD_WINDOWS 1150 ; ERROR_OLD_WIN_VERSION
!define EXIT_INSTALLED_ELSEWHERE 1638 ; ERROR_PRODUCT_VERSION

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
; The Italian defaults say "Installazione completata" in the uninstaller too,
; and "Visualizza dettagli" does not fit its button.
CompletedText "Completato"
DetailsButtonText "Dettagli"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; A new version goes where the last one is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include WinVer.nsh
!include "${FILES}"

; The user's folder of phrases, Documenti\Zelmora: the working folder of the
; shortcuts.
Var PhraseFolder
; The folder of the installation already there, or "" for a first one.
Var Installed
; The uninstaller's last words about that folder.
Var Kept

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The Italian default puts a blank before the question mark.
!define MUI_ABORTWARNING_TEXT "Vuoi davvero interrompere l'installazione di ${PRODUCT}?"
; A folder named in a text, such as Documenti\Zelmora, has a line of its
; own: dialogs break a line also at a backslash (as seen under Wine).
!define MUI_WELCOMEPAGE_TEXT "Questa procedura installerà ${PRODUCT} ${VERSION} soltanto \
    per te: non servono i diritti di amministratore.$\r$\n$\r$\nLe tue frasi e i tuoi colori \
    staranno nella cartella$\r$\nDocumenti\${PRODUCT}$\r$\nSe lì ci sono già, l'installazione \
    non li tocca.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "Puoi cambiare queste scelte anche in seguito: \
    LEGGIMI.txt spiega come. $(^ClickNext)"
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE FolderChosen
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Avvia Zelmora"
!define MUI_FINISHPAGE_RUN_FUNCTION StartZelmora
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\LEGGIMI.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Leggi le note per Windows"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "${PRODUCT} sarà tolto da questo computer. Le tue frasi e \
    i tuoi colori restano dove sono."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "${PRODUCT} è stato disinstallato.$\r$\n$\r$\n$Kept"
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "Italian"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileDescription" "Installazione di ${PRODUCT} ${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "LegalCopyright" "Copyright (c) 2004-2026 ${PUBLISHER}, licenza MIT"

; ENSURE_CLOSED PREFIX: a running program's file cannot be opened for
; writing (Windows and Wine lock its image), so that is how a running
; Zelmora, or zelmora-oggi, is found before anything is changed. The user
; may close it and try again; silently, or on "Annulla", the installer or
; uninstaller ends with EXIT_RUNNING and has changed nothing.
!macro ENSURE_CLOSED PREFIX WHAT
Function ${PREFIX}EnsureClosed
    Push $0
    Push $1
    retry:
    StrCpy $0 zelmora.exe
    again:
    ${If} ${FileExists} "$INSTDIR\$0"
        ; A read-only file is not a running one: File and Delete clear the
        ; attribute of the files they replace and remove anyway.
        SetFileAttributes "$INSTDIR\$0" NORMAL
        ClearErrors
        FileOpen $1 "$INSTDIR\$0" a
        ${If} ${Errors}
            MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
                "${PRODUCT} è aperto. Chiudilo e scegli Riprova; con Annulla ${WHAT} \
                termina senza cambiare nulla." /SD IDCANCEL IDRETRY retry
            SetErrorLevel ${EXIT_RUNNING}
            Quit
        ${EndIf}
        FileClose $1
    ${EndIf}
    ${If} $0 == zelmora.exe
        StrCpy $0 zelmora-oggi.exe
        Goto again
    ${EndIf}
    Pop $1
    Pop $0
FunctionEnd
!macroend
!insertmacro ENSURE_CLOSED "" "l'installazione"
!insertmacro ENSURE_CLOSED "un." "la disinstallazione"

; FAILED PREFIX: the message on the stack, then the end with status 2.
!macro FAILED PREFIX
Function ${PREFIX}Failed
    Exch $0
    MessageBox MB_OK|MB_ICONSTOP "$0" /SD IDOK
    SetErrorLevel 2
    Abort
FunctionEnd
!macroend
!insertmacro FAILED ""
!insertmacro FAILED "un."

; After files were written in the installation folder: the error flag says
; one was not.
Function ProgramFilesWritten
    ${If} ${Errors}
        Push "Non è stato possibile scrivere tutti i file di ${PRODUCT} nella cartella:$\r$\n\
            $INSTDIR$\r$\n$\r$\nLibera spazio sul disco o controlla la cartella, poi installa \
            di nuovo."
        Call Failed
    ${EndIf}
FunctionEnd

; After the folder of phrases and a shortcut to it were made: the error
; flag says one was not.
Function PhraseFolderReady
    ${If} ${Errors}
        Push "Non è stato possibile preparare la cartella delle tue frasi o un suo \
            collegamento:$\r$\n$PhraseFolder$\r$\n$\r$\nControlla la cartella, poi installa di \
            nuovo."
        Call Failed
    ${EndIf}
FunctionEnd

; SHORTCUT PATH: the shortcut to Zelmora at PATH, working in the folder of
; phrases, made only where there is none: one the user changed stays as it
; is.
!macro SHORTCUT PATH
    ${IfNot} ${FileExists} "${PATH}"
        ClearErrors
        SetOutPath "$PhraseFolder"
        CreateShortcut "${PATH}" "$INSTDIR\zelmora.exe" "" \
            "$INSTDIR\zelmora.exe" 0 SW_SHOWNORMAL "" "La frase del giorno"
        Call PhraseFolderReady
        SetOutPath "$INSTDIR"
    ${EndIf}
!macroend

; One installation at a time: a folder other than the installed one is
; refused while the programs of that one are there (its folder, without an
; entry, would stay for ever). An entry whose programs are gone leaves
; nothing behind.
Function OneInstallation
    ${If} $Installed == ""
    ${OrIf} $Installed == $INSTDIR
        Return
    ${EndIf}
    ${IfNot} ${FileExists} "$Installed\zelmora.exe"
    ${AndIfNot} ${FileExists} "$Installed\${UNINSTALLER}"
        Return
    ${EndIf}
    MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} è già installato nella cartella:$\r$\n\
        $Installed$\r$\n$\r$\nInstallalo di nuovo in quella cartella, oppure disinstallalo \
        prima da Impostazioni > App e poi scegli la cartella che vuoi." /SD IDOK
    ${If} ${Silent}
        SetErrorLevel ${EXIT_INSTALLED_ELSEWHERE}
        Quit
    ${EndIf}
    ; Back on the folder page.
    Abort
FunctionEnd

Function FolderChosen
    Call OneInstallation
    Call EnsureClosed
FunctionEnd

Section "${PRODUCT}" ProgramSection
    SectionIn RO
    ; The folder may have changed since the page that asked for it, or have
    ; come with /D=.
    Call OneInstallation
    Call EnsureClosed
    ; The uninstaller and the entry of "Programs and Features" come first:
    ; an installation stopped half-way (a file that cannot be written) can
    ; then be tried again or uninstalled, never left as files nobody knows.
    ; Such a file sets the error flag, also where a silent installation or
    ; the user chose to go on without it.
    ClearErrors
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    Call ProgramFilesWritten
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zelmora.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ; Earlier versions kept there where the Start-menu shortcut went and the
    ; choice of the Startup one, which the shortcut itself now tells (an
    ; error flag of a value that is not there).
    DeleteRegValue HKCU "${UNINSTALL_KEY}" "ZelmoraShortcut"
    DeleteRegValue HKCU "${UNINSTALL_KEY}" "AvvioAutomatico"

    ClearErrors
    !insertmacro SHIPPED_FILES_INSTALL
    Call ProgramFilesWritten
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

    ; The guide and the sample go into the user's folder only where the user
    ; has none: an installation never overwrites what the user wrote.
    StrCpy $PhraseFolder "$DOCUMENTS\${PRODUCT}"
    ClearErrors
    SetOutPath "$PhraseFolder"
    SetOverwrite off
    File "${STAGE}\tesmiLeggimi.txt"
    File "${STAGE}\tesmi.txt"
    SetOverwrite on
    Call PhraseFolderReady
    SetOutPath "$INSTDIR"
    !insertmacro SHORTCUT "${MENU_SHORTCUT}"
SectionEnd

Section "Mostra la frase del giorno a ogni accesso" StartupSection
    !insertmacro SHORTCUT "${STARTUP_SHORTCUT}"
SectionEnd

Section /o "Collegamento sul desktop" DesktopSection
    !insertmacro SHORTCUT "${DESKTOP_SHORTCUT}"
SectionEnd

; A shortcut left out goes also where an earlier installation, or Zelmora,
; had made it.
Section "-LeftOut"
    ${IfNot} ${SectionIsSelected} ${StartupSection}
        Delete "${STARTUP_SHORTCUT}"
    ${EndIf}
    ${IfNot} ${SectionIsSelected} ${DesktopSection}
        Delete "${DESKTOP_SHORTCUT}"
    ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${ProgramSection} \
        "Il programma, con il suo collegamento nel menu Start."
    !insertmacro MUI_DESCRIPTION_TEXT ${StartupSection} \
        "Zelmora si apre da solo ogni volta che entri in Windows, con la frase del giorno."
    !insertmacro MUI_DESCRIPTION_TEXT ${DesktopSection} \
        "Un collegamento a Zelmora sul desktop."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; CHOOSE OPTION SECTION SHORTCUT: a shortcut put in or left out: OPTION0 or
; OPTION1 when given; over an earlier installation, as the user left it
; (there or not); otherwise as the section says (Startup on, desktop off).
!macro CHOOSE OPTION SECTION SHORTCUT
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "${OPTION}" $1
    ${If} ${Errors}
        ${If} $Installed != ""
            ${If} ${FileExists} "${SHORTCUT}"
                !insertmacro SelectSection ${SECTION}
            ${Else}
                !insertmacro UnselectSection ${SECTION}
            ${EndIf}
        ${EndIf}
    ${ElseIf} $1 == "0"
        !insertmacro UnselectSection ${SECTION}
    ${ElseIf} $1 == "1"
        !insertmacro SelectSection ${SECTION}
    ${Else}
        MessageBox MB_OK|MB_ICONSTOP "Opzione sconosciuta: ${OPTION}$1. Scrivi ${OPTION}0 \
            per non avere il collegamento, ${OPTION}1 per averlo." /SD IDOK
        SetErrorLevel ${EXIT_BAD_OPTION}
        Quit
    ${EndIf}
!macroend

Function .onInit
    ; Qt 6 runs on Windows 10 and later only.
    ${IfNot} ${AtLeastWin10}
        MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} ${VERSION} funziona con Windows 10 o successivo." \
            /SD IDOK
        SetErrorLevel ${EXIT_OLD_WINDOWS}
        Quit
    ${EndIf}
    ReadRegStr $Installed HKCU "${UNINSTALL_KEY}" "InstallLocation"
    !insertmacro CHOOSE "/AVVIO=" ${StartupSection} "${STARTUP_SHORTCUT}"
    !insertmacro CHOOSE "/DESKTOP=" ${DesktopSection} "${DESKTOP_SHORTCUT}"
FunctionEnd

Function StartZelmora
    SetOutPath "$PhraseFolder"
    Exec '"$INSTDIR\zelmora.exe"'
FunctionEnd

Function un.onInit
    Call un.EnsureClosed
FunctionEnd

; The programs go first; the rest, the shortcuts and the entry of "Programs
; and Features" only once they are gone, so that what is left can always be
; started, or uninstalled again.
; REMOVE FILE: deletes FILE of the installation folder and names it in $1
; if it is still there (Wine reports a deletion that fails at the close of
; the file as done, so the file itself is looked for). files.nsh uses it.
!macro REMOVE FILE
    Delete "$INSTDIR\${FILE}"
    ${If} ${FileExists} "$INSTDIR\${FILE}"
        StrCpy $1 "${FILE}"
    ${EndIf}
!macroend

Section "Uninstall"
    Call un.EnsureClosed
    StrCpy $1 ""
    !insertmacro REMOVE zelmora.exe
    !insertmacro REMOVE zelmora-oggi.exe
    ${If} $1 == ""
        !insertmacro SHIPPED_FILES_REMOVE
    ${EndIf}
    ${If} $1 != ""
        Push "Non è stato possibile togliere tutti i file di ${PRODUCT} dalla cartella:$\r$\n\
            $INSTDIR$\r$\n$\r$\nChiudi ${PRODUCT}, se è aperto, e disinstallalo di nuovo."
        Call un.Failed
    ${EndIf}
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Only when empty: nothing put there by someone else goes with it.
    RMDir "$INSTDIR"

    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        Delete "${MENU_SHORTCUT}"
        Delete "${STARTUP_SHORTCUT}"
        Delete "${DESKTOP_SHORTCUT}"
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${EndIf}

    StrCpy $Kept ""
    ${If} ${FileExists} "$DOCUMENTS\${PRODUCT}\*.*"
        StrCpy $Kept "Le tue frasi e i tuoi colori sono rimasti nella cartella$\r$\n\
            Documenti\${PRODUCT}"
    ${EndIf}
SectionEnd
