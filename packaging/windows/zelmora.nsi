; Zelmora's Windows installer, built by the target windows-package
; (packaging/windows/CMakeLists.txt), which defines VERSION, VERSION4, STAGE
; (the folder of the files to install), ICON and OUTFILE.
;
; For the user who runs it only, into %LOCALAPPDATA%\Programs\Zelmora: no
; administrator is needed, and everything the installation makes (the
; programs, the shortcuts, the entry of "Programs and Features" in HKCU)
; belongs to that one user. /S installs silently, /D=FOLDER chooses the
; folder, /AVVIO=0 leaves out the phrase at every sign-in (/AVVIO=1 puts it
; in); without /AVVIO an installation over an earlier one keeps its choice.
;
; The program writes nothing beside itself: what the user keeps (tesmi.txt,
; opzioni.txt) lives in Documenti\Zelmora, the working folder of the
; shortcuts, which neither a new installation nor the uninstaller ever
; overwrites or removes.
;
; Exit statuses (the same numbers as Windows' own errors), also in
; LEGGIMI.txt and README.md:
;   0     done
;   1     cancelled by the user on a page of the installer
;   2     stopped half-way (a file that could not be written); the entry of
;         "Programs and Features" is there, to install again or uninstall
;   32    Zelmora is running from the installation folder: nothing was changed
;   87    /AVVIO= with a value other than 0 or 1: nothing was changed
;   1150  Windows older than 10
;   1638  an earlier installation for all users is there: nothing was changed
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
; The choice of the phrase at every sign-in, 1 or 0, kept in the entry for
; the next installation.
!define STARTUP_VALUE "AvvioAutomatico"
!define STARTUP_SHORTCUT "$SMSTARTUP\${PRODUCT}.lnk"
!define MENU_SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

!define EXIT_RUNNING 32 ; ERROR_SHARING_VIOLATION
!define EXIT_BAD_OPTION 87 ; ERROR_INVALID_PARAMETER
!define EXIT_OLD_WINDOWS 1150 ; ERROR_OLD_WIN_VERSION
!define EXIT_ALL_USERS 1638 ; ERROR_PRODUCT_VERSION

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

; The user's folder of phrases, Documenti\Zelmora: the working folder of both
; shortcuts.
Var PhraseFolder
; The uninstaller's last words about that folder.
Var Kept

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; A folder named in a text, such as Documenti\Zelmora, has a line of its
; own: dialogs break a line also at a backslash (as seen under Wine).
!define MUI_WELCOMEPAGE_TEXT "Questa procedura installerà ${PRODUCT} ${VERSION} soltanto \
    per te: non servono i diritti di amministratore.$\r$\n$\r$\nLe tue frasi e i tuoi colori \
    staranno nella cartella$\r$\nDocumenti\${PRODUCT}$\r$\nSe lì ci sono già, l'installazione \
    non li tocca.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "Puoi togliere la frase a ogni accesso anche in seguito: \
    LEGGIMI.txt spiega come. $(^ClickNext)"
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE EnsureClosed
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
        Push "Non è stato possibile preparare la cartella delle tue frasi o il suo \
            collegamento:$\r$\n$PhraseFolder$\r$\n$\r$\nControlla la cartella, poi installa di \
            nuovo."
        Call Failed
    ${EndIf}
FunctionEnd

Section "${PRODUCT}" ProgramSection
    SectionIn RO
    ; The folder may have changed since the page that asked for it.
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
    ; Earlier versions kept there where the Start-menu shortcut went (an
    ; error flag of a value that is not there).
    DeleteRegValue HKCU "${UNINSTALL_KEY}" "ZelmoraShortcut"

    ClearErrors
    File "${STAGE}\zelmora.exe"
    File "${STAGE}\zelmora-oggi.exe"
    File "${STAGE}\tesmiLeggimi.txt"
    File "${STAGE}\LEGGIMI.txt"
    File "${STAGE}\LICENSE.txt"
    File "${STAGE}\AVVISO-QT.txt"
    File "${STAGE}\LGPL-3.txt"
    File "${STAGE}\GPL-3.txt"
    File "${STAGE}\COPYRIGHT-QT.txt"
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
    ; The working folder of a shortcut is the output folder of the moment.
    CreateShortcut "${MENU_SHORTCUT}" "$INSTDIR\zelmora.exe" "" \
        "$INSTDIR\zelmora.exe" 0 SW_SHOWNORMAL "" "La frase del giorno"
    Call PhraseFolderReady
    SetOutPath "$INSTDIR"
SectionEnd

Section "Mostra la frase del giorno a ogni accesso" StartupSection
    ClearErrors
    SetOutPath "$PhraseFolder"
    CreateShortcut "${STARTUP_SHORTCUT}" "$INSTDIR\zelmora.exe" "" \
        "$INSTDIR\zelmora.exe" 0 SW_SHOWNORMAL "" "La frase del giorno"
    Call PhraseFolderReady
    SetOutPath "$INSTDIR"
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "${STARTUP_VALUE}" 1
SectionEnd

; Left out, the phrase at every sign-in goes also where an earlier
; installation had put it.
Section "-StartupLeftOut"
    ${IfNot} ${SectionIsSelected} ${StartupSection}
        Delete "${STARTUP_SHORTCUT}"
        WriteRegDWORD HKCU "${UNINSTALL_KEY}" "${STARTUP_VALUE}" 0
    ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${ProgramSection} \
        "Il programma, con il suo collegamento nel menu Start."
    !insertmacro MUI_DESCRIPTION_TEXT ${StartupSection} \
        "Zelmora si apre da solo ogni volta che entri in Windows, con la frase del giorno."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
    ; Qt 6 runs on Windows 10 and later only.
    ${IfNot} ${AtLeastWin10}
        MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} ${VERSION} funziona con Windows 10 o successivo." \
            /SD IDOK
        SetErrorLevel ${EXIT_OLD_WINDOWS}
        Quit
    ${EndIf}
    ; Earlier versions could install for all users. Such an installation
    ; stays whole: only an administrator can remove it, and a second copy for
    ; this user would leave two entries and two programs.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
    ${If} $0 != ""
        MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} è già installato per tutti gli utenti di \
            questo computer.$\r$\n$\r$\nDisinstallalo prima da Impostazioni > App (servono i \
            diritti di amministratore), poi avvia di nuovo questa installazione." /SD IDOK
        SetErrorLevel ${EXIT_ALL_USERS}
        Quit
    ${EndIf}
    Call ChooseStartup
FunctionEnd

; The phrase at every sign-in: /AVVIO=0 or 1 when given; otherwise the
; choice of the earlier installation, which the user may also have undone
; by deleting the shortcut (LEGGIMI.txt says how); otherwise on.
Function ChooseStartup
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/AVVIO=" $1
    ${IfNot} ${Errors}
        ${If} $1 == "0"
            !insertmacro UnselectSection ${StartupSection}
        ${ElseIf} $1 != "1"
            MessageBox MB_OK|MB_ICONSTOP "Opzione sconosciuta: /AVVIO=$1. Scrivi /AVVIO=0 per \
                non vedere la frase a ogni accesso, /AVVIO=1 per vederla." /SD IDOK
            SetErrorLevel ${EXIT_BAD_OPTION}
            Quit
        ${EndIf}
        Return
    ${EndIf}
    ClearErrors
    ReadRegDWORD $1 HKCU "${UNINSTALL_KEY}" "${STARTUP_VALUE}"
    ${IfNot} ${Errors}
        ${If} $1 == 0
        ${OrIfNot} ${FileExists} "${STARTUP_SHORTCUT}"
            !insertmacro UnselectSection ${StartupSection}
        ${EndIf}
    ${EndIf}
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
; the file as done, so the file itself is looked for).
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
        !insertmacro REMOVE tesmiLeggimi.txt
        !insertmacro REMOVE LEGGIMI.txt
        !insertmacro REMOVE LICENSE.txt
        !insertmacro REMOVE AVVISO-QT.txt
        !insertmacro REMOVE LGPL-3.txt
        !insertmacro REMOVE GPL-3.txt
        !insertmacro REMOVE COPYRIGHT-QT.txt
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
        DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${EndIf}

    StrCpy $Kept ""
    ${If} ${FileExists} "$DOCUMENTS\${PRODUCT}\*.*"
        StrCpy $Kept "Le tue frasi e i tuoi colori sono rimasti nella cartella$\r$\n\
            Documenti\${PRODUCT}"
    ${EndIf}
SectionEnd
