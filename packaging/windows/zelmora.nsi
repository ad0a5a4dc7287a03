; Zelmora's Windows installer, built by the target windows-package
; (packaging/windows/CMakeLists.txt), which defines VERSION, VERSION4, STAGE
; (the folder of the files to install), ICON and OUTFILE.
;
; Per user by default, into %LOCALAPPDATA%\Programs\Zelmora; for all users,
; into Program Files, when an administrator picks it on the page that asks
; for whom, or passes /AllUsers. /S installs silently, /D=FOLDER chooses the
; folder.
;
; The program writes nothing beside itself: what the user keeps (tesmi.txt,
; opzioni.txt) lives in Documenti\Zelmora, the working folder of the
; Start-menu shortcut, which neither a new installation nor the uninstaller
; ever overwrites or removes.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
ManifestSupportedOS all

!define PRODUCT "Zelmora"
!define PUBLISHER "Gli autori di Zelmora"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zelmora"
!define UNINSTALLER "disinstalla.exe"
; Where the shortcut went: its Start menu is the installing user's also when
; the programs are for all users (see UserFolder).
!define SHORTCUT_VALUE "ZelmoraShortcut"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
; The Italian defaults say "Installazione completata" in the uninstaller too,
; and "Visualizza dettagli" does not fit its button.
CompletedText "Completato"
DetailsButtonText "Dettagli"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
; A new version goes where the last one is, for the same users.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODEPAGE_TEXT_TOP "Puoi installare ${PRODUCT} soltanto per te oppure, \
    nella cartella Programmi, per tutti gli utenti di questo computer. In ogni caso la \
    cartella delle tue frasi, Documenti\${PRODUCT}, e il collegamento nel menu Start sono \
    soltanto tuoi. $(^ClickNext)"
; The uninstaller finds its mode by itself (un.onInit).
!define MULTIUSER_NOUNINSTALL
!include MultiUser.nsh
!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_WELCOME
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Avvia Zelmora"
!define MUI_FINISHPAGE_RUN_FUNCTION StartZelmora
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\LEGGIMI.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Leggi le note per Windows"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Italian"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "FileDescription" "Installazione di ${PRODUCT} ${VERSION}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ITALIAN} "LegalCopyright" "Copyright (c) 2004-2026 ${PUBLISHER}, licenza MIT"

; The user's folder of phrases, Documenti\Zelmora, and the shortcut that
; starts the program there.
Var PhraseFolder
Var Shortcut

Function .onInit
    ; Qt 6 runs on Windows 10 and later only.
    ${IfNot} ${AtLeastWin10}
        MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} ${VERSION} funziona con Windows 10 o successivo." \
            /SD IDOK
        SetErrorLevel 1150 ; ERROR_OLD_WIN_VERSION
        Quit
    ${EndIf}
    ; MultiUser chooses the folder of the mode; a /D= of the command line,
    ; already in $INSTDIR, wins over it.
    StrCpy $0 $INSTDIR
    !insertmacro MULTIUSER_INIT
    ${If} $0 != ""
        StrCpy $INSTDIR $0
    ${EndIf}
FunctionEnd

Section
    SetOutPath "$INSTDIR"
    File "${STAGE}\zelmora.exe"
    File "${STAGE}\zelmora-oggi.exe"
    File "${STAGE}\tesmiLeggimi.txt"
    File "${STAGE}\LEGGIMI.txt"
    File "${STAGE}\LICENSE.txt"
    File "${STAGE}\AVVISO-QT.txt"
    File "${STAGE}\LGPL-3.txt"
    File "${STAGE}\GPL-3.txt"
    File "${STAGE}\COPYRIGHT-QT.txt"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    Call UserFolder

    ; SHCTX: HKCU per user, HKLM for all users.
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zelmora.exe,0"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "${SHORTCUT_VALUE}" "$Shortcut"
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The phrases and the colours are the user's own, so Documenti\Zelmora and
; the shortcut that starts the program there belong to the user who
; installs, also when the programs are for all users: another user's
; Documenti has no such folder, and a shortcut cannot start a program in a
; folder that is not there. The guide and the sample go in only where the
; user has none: an installation never overwrites what the user wrote.
Function UserFolder
    SetShellVarContext current
    StrCpy $PhraseFolder "$DOCUMENTS\${PRODUCT}"
    SetOutPath "$PhraseFolder"
    SetOverwrite off
    File "${STAGE}\tesmiLeggimi.txt"
    File "${STAGE}\tesmi.txt"
    SetOverwrite on
    ; The working folder of a shortcut is the output folder of the moment.
    StrCpy $Shortcut "$SMPROGRAMS\${PRODUCT}.lnk"
    CreateShortcut "$Shortcut" "$INSTDIR\zelmora.exe" "" \
        "$INSTDIR\zelmora.exe" 0 SW_SHOWNORMAL "" "La frase del giorno"
    ${If} $MultiUser.InstallMode == "AllUsers"
        SetShellVarContext all
    ${EndIf}
    ; What the installer writes after this in $INSTDIR is not the user's.
    SetOutPath "$INSTDIR"
FunctionEnd

Function StartZelmora
    SetOutPath "$PhraseFolder"
    Exec '"$INSTDIR\zelmora.exe"'
FunctionEnd

; The uninstaller runs from the folder it removes: the mode is the one of the
; entry, per user or for all, that names that folder.
Function un.onInit
    UserInfo::GetAccountType
    Pop $1
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        SetShellVarContext current
        Return
    ${EndIf}
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        ${If} $1 != "Admin"
            MessageBox MB_OK|MB_ICONSTOP \
                "${PRODUCT} è installato per tutti gli utenti: per disinstallarlo servono i diritti di amministratore." \
                /SD IDOK
            SetErrorLevel 5 ; ERROR_ACCESS_DENIED
            Quit
        ${EndIf}
        SetShellVarContext all
        Return
    ${EndIf}
    ; No entry names this folder: only the files are removed.
    SetShellVarContext current
FunctionEnd

Section "Uninstall"
    Delete "$INSTDIR\zelmora.exe"
    Delete "$INSTDIR\zelmora-oggi.exe"
    Delete "$INSTDIR\tesmiLeggimi.txt"
    Delete "$INSTDIR\LEGGIMI.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\AVVISO-QT.txt"
    Delete "$INSTDIR\LGPL-3.txt"
    Delete "$INSTDIR\GPL-3.txt"
    Delete "$INSTDIR\COPYRIGHT-QT.txt"
    Delete "$INSTDIR\${UNINSTALLER}"
    ; Only when empty: nothing put there by someone else goes with it.
    RMDir "$INSTDIR"

    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
        ReadRegStr $1 SHCTX "${UNINSTALL_KEY}" "${SHORTCUT_VALUE}"
        ${If} $1 != ""
            Delete "$1"
        ${EndIf}
        DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    ${EndIf}
SectionEnd
