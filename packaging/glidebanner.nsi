; The Glidebanner installer: per user, without administrator rights. scripts/package builds it
; with makensis and passes VERSION (the project's), STAGE (the stripped programs, the read-me and
; the licence texts), ICON and OUTFILE.
;
; Silent use:  glidebanner-VERSION-setup.exe /S [/AUTOSTART]   (/AUTOSTART: start at sign-in)
;              uninstall.exe /S [/REMOVESETTINGS]             (settings are kept without it)
;
; /REMOVESETTINGS, or No to the uninstaller's question, also removes the messenger's account
; (a key under the settings) and its password in the Credential Manager.
Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include WinMessages.nsh

!define PRODUCT "Glidebanner"
!define PUBLISHER "Glidebanner"
!define BAR_CLASS "GlidebannerBar"
!define MESSENGER "Glidebanner Messenger"
; The messenger's hidden top-level window (its stand-in link is message-only, out of FindWindow's
; reach), which takes the session's broadcasts.
!define MESSENGER_CLASS "GlidebannerMessengerApp"
!define ENDSESSION_CLOSEAPP 1
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Glidebanner"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "Software\Glidebanner"
!define ACCOUNT_KEY "${SETTINGS_KEY}\Messenger"
; The messenger's password: a generic credential (type 1) named after the account's address.
!define CREDENTIAL_PREFIX "Glidebanner/XMPP/"
!define CRED_TYPE_GENERIC 1

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\glidebanner.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; The project names no copyright holder, so the file properties carry no LegalCopyright.
!pragma warning disable 9100
VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"

Var RemoveSettings

; A running bar holds its files open and saves its settings when it closes, and a running
; messenger holds its own: ask every one of this session to end and wait for its process to
; end. The bar closes on WM_CLOSE, as its own Exit does; the messenger is told that its files
; must be replaced, as Windows tells a program (WM_ENDSESSION, ENDSESSION_CLOSEAPP), and ends
; as its Exit does.
!macro CLOSE_ALL WINDOW_CLASS WHAT MESSAGE WPARAM LPARAM
    ${Do}
        FindWindow $R0 "${WINDOW_CLASS}"
        ${If} $R0 = 0
            ${ExitDo}
        ${EndIf}
        DetailPrint "Closing the running ${WHAT}"
        System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R1)'
        System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i R1) p .R2' ; SYNCHRONIZE
        System::Call 'user32::PostMessageW(p R0, i ${MESSAGE}, p ${WPARAM}, p ${LPARAM})'
        ${If} $R2 <> 0
            ; 0 once the process has ended, 258 after the 20 s
            System::Call 'kernel32::WaitForSingleObject(p R2, i 20000) i .R3'
            System::Call 'kernel32::CloseHandle(p R2)'
        ${Else}
            ; No handle to wait on: watch the window instead, for as long.
            StrCpy $R3 1
            ${For} $R4 1 80
                Sleep 250
                System::Call 'user32::IsWindow(p R0) i .R5'
                ${If} $R5 = 0
                    StrCpy $R3 0
                    ${Break}
                ${EndIf}
            ${Next}
        ${EndIf}
        ${If} $R3 <> 0
        ${AndIf} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${WHAT} is still running. Close it (Exit in its menu), then choose Retry." /SD IDCANCEL IDCANCEL`
            Abort "${WHAT} is still running."
        ${EndIf}
    ${Loop}
!macroend
!macro CLOSE_RUNNING un
Function ${un}CloseRunning
    !insertmacro CLOSE_ALL "${BAR_CLASS}" "${PRODUCT}" ${WM_CLOSE} 0 0
    !insertmacro CLOSE_ALL "${MESSENGER_CLASS}" "${MESSENGER}" ${WM_ENDSESSION} 1 ${ENDSESSION_CLOSEAPP}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING ""
!insertmacro CLOSE_RUNNING "un."

Section "${PRODUCT}" SecMain
    SectionIn RO
    Call CloseRunning
    SetOutPath "$INSTDIR"
    File "${STAGE}/glidebanner.exe"
    File "${STAGE}/msgrsim.dll"
    File "${STAGE}/msgrctl.exe"
    File "${STAGE}/gbmessenger.exe"
    SetOutPath "$INSTDIR\licences"
    File "${STAGE}/licences/*.txt"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\glidebanner.exe"
    CreateShortcut "$SMPROGRAMS\${MESSENGER}.lnk" "$INSTDIR\gbmessenger.exe"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\glidebanner.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
    ; The sign-in component writes the value again; unticked, a reinstall removes it.
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"

    ; The stand-in messenger for this user only (HKCU\Software\Classes): no rights needed.
    nsExec::ExecToLog '"$INSTDIR\msgrctl.exe" register --user'
    Pop $0
    ${If} $0 != 0
        MessageBox MB_OK|MB_ICONEXCLAMATION \
            "The stand-in messenger could not be registered ($0).$\r$\nRun $\"msgrctl register --user$\" in $INSTDIR to try again." \
            /SD IDOK
        SetErrorLevel 2
    ${EndIf}
SectionEnd

; Off by default: the bar stays on top of every other window and takes a strip of the screen,
; so starting it at every sign-in is the user's choice, not the installer's.
Section /o "Start ${PRODUCT} when I sign in" SecRun
    WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\glidebanner.exe"'
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
!insertmacro MUI_DESCRIPTION_TEXT ${SecMain} "The program, the stand-in messenger it attaches to, and ${MESSENGER} for your XMPP account."
!insertmacro MUI_DESCRIPTION_TEXT ${SecRun} "Starts ${PRODUCT} each time you sign in to Windows."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
    ; An earlier choice to start at sign-in stays chosen; /AUTOSTART chooses it when silent.
    ReadRegStr $0 HKCU "${RUN_KEY}" "${PRODUCT}"
    ${GetParameters} $1
    ClearErrors
    ${GetOptions} $1 "/AUTOSTART" $2
    ${IfNot} ${Errors}
    ${OrIf} $0 != ""
        SectionSetFlags ${SecRun} ${SF_SELECTED}
    ${EndIf}
FunctionEnd

Function un.onInit
    StrCpy $RemoveSettings 0
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/REMOVESETTINGS" $1
    ${IfNot} ${Errors}
        StrCpy $RemoveSettings 1
    ${EndIf}
FunctionEnd

Section "Uninstall"
    Call un.CloseRunning
    nsExec::ExecToLog '"$INSTDIR\msgrctl.exe" unregister --user'
    Pop $0
    Delete "$INSTDIR\glidebanner.exe"
    Delete "$INSTDIR\msgrsim.dll"
    Delete "$INSTDIR\msgrctl.exe"
    Delete "$INSTDIR\gbmessenger.exe"
    Delete "$INSTDIR\licences\*.txt"
    RMDir "$INSTDIR\licences"
    Delete "$INSTDIR\uninstall.exe"
    ; Not /r: a folder the user chose may hold files of their own.
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$SMPROGRAMS\${MESSENGER}.lnk"
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
    ; The messenger writes it while "Sign in when the messenger starts" is chosen; it would name
    ; a program that is gone.
    DeleteRegValue HKCU "${RUN_KEY}" "${MESSENGER}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"

    ; The settings stay for a later installation unless the user says otherwise.
    ${If} $RemoveSettings = 0
    ${AndIfNot} ${Silent}
    ${AndIf} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION "Keep your ${PRODUCT} settings (the bar's place, speed and options, and the messenger's account with its stored password) for a later installation?" /SD IDYES IDNO`
        StrCpy $RemoveSettings 1
    ${EndIf}
    ${If} $RemoveSettings = 1
        ; The password first: its name comes from the account's address, under the settings.
        ClearErrors
        ReadRegStr $0 HKCU "${ACCOUNT_KEY}" "Address"
        ${IfNot} ${Errors}
        ${AndIf} $0 != ""
            System::Call 'advapi32::CredDeleteW(w "${CREDENTIAL_PREFIX}$0", i ${CRED_TYPE_GENERIC}, i 0) i .r1'
        ${EndIf}
        DeleteRegKey HKCU "${SETTINGS_KEY}"
    ${EndIf}
SectionEnd
