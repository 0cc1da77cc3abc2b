; The installer of Mirtel info: for the current user only, without administrator rights, into
; %LOCALAPPDATA%\Programs\Mirtel. It adds the programs, a Start menu shortcut, "Open with" entries
; for the image types under the user's own classes key (never taking over an extension's default
; program) and an entry in the installed programs; its uninstaller removes exactly these, and the
; user's settings only when asked to.
; scripts/package builds it:
;   makensis -DVERSION=<a.b.c.d> -DPAYLOAD=<folder> -DICON=<file> -DOUTFILE=<file> mirtel.nsi

; The program is 64-bit, and so is its installer.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include FileFunc.nsh

!define PRODUCT "Mirtel info"
!define PUBLISHER "Kestrov"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Mirtel"
!define APPLICATION_KEY "Software\Classes\Applications\Mirtel.exe"
!define SETTINGS_KEY "Software\Kestrov\Mirtel"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define RUNNING_TEXT "Program ${PRODUCT} je spuštěný. Ukončete ho a zvolte Opakovat."
!define IN_USE_TEXT "Program ${PRODUCT} nelze odebrat, protože se používá. Ukončete ho a spusťte odinstalaci znovu."

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Mirtel"
; A file in use is never skipped: the installation stops instead of leaving an old program behind
; under the new version's name.
AllowSkipFiles off
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1029 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1029 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1029 "FileDescription" "Instalace programu ${PRODUCT}"
VIAddVersionKey /LANG=1029 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1029 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1029 "LegalCopyright" "© Kestrov"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Mirtel.exe"
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
; An upgrade goes where the installed version is; the folder is chosen only the first time.
!define MUI_PAGE_CUSTOMFUNCTION_PRE skip_folder_when_upgrading
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Czech"

; The image types the program reads and shows metadata of.
!macro for_each_image_type MACRO
    !insertmacro ${MACRO} ".jpg"
    !insertmacro ${MACRO} ".jpeg"
    !insertmacro ${MACRO} ".jpe"
    !insertmacro ${MACRO} ".jfif"
    !insertmacro ${MACRO} ".png"
    !insertmacro ${MACRO} ".gif"
    !insertmacro ${MACRO} ".bmp"
    !insertmacro ${MACRO} ".dib"
    !insertmacro ${MACRO} ".tif"
    !insertmacro ${MACRO} ".tiff"
!macroend

; Neither installing nor uninstalling may touch the programs while they run: the window of
; Mirtel.exe is of class "mirtel". In a silent run the answer is Cancel.
!macro refuse_while_running PREFIX
Function ${PREFIX}refuse_while_running
    check:
        FindWindow $0 "mirtel"
        StrCmp $0 0 done
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${RUNNING_TEXT}" /SD IDCANCEL IDRETRY check
        Abort
    done:
FunctionEnd
!macroend
!insertmacro refuse_while_running ""
!insertmacro refuse_while_running "un."

Var installed_folder

Function .onInit
    Call refuse_while_running
    ReadRegStr $installed_folder HKCU "${UNINSTALL_KEY}" "InstallLocation"
    StrCmp $installed_folder "" +2
    StrCpy $INSTDIR $installed_folder
FunctionEnd

Function skip_folder_when_upgrading
    StrCmp $installed_folder "" +2
    Abort
FunctionEnd

Function un.onInit
    Call un.refuse_while_running
FunctionEnd

; The licence texts, each installed and removed by name.
!macro for_each_licence MACRO
    !insertmacro ${MACRO} "zlib.txt"
    !insertmacro ${MACRO} "mingw-w64.txt"
    !insertmacro ${MACRO} "gcc.txt"
!macroend
!macro install_licence NAME
    File "${PAYLOAD}\licence\${NAME}"
!macroend
!macro remove_licence NAME
    Delete "$INSTDIR\licence\${NAME}"
!macroend

; "Open with" lists an application for the types its SupportedTypes names; nothing under the
; extensions' own keys is touched.
!macro supported_type EXTENSION
    WriteRegStr HKCU "${APPLICATION_KEY}\SupportedTypes" "${EXTENSION}" ""
!macroend

Section "${PRODUCT}" install
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${PAYLOAD}\Mirtel.exe"
    File "${PAYLOAD}\mirtel-cli.exe"
    File "${PAYLOAD}\ČTIMNE.txt"
    SetOutPath "$INSTDIR\licence"
    !insertmacro for_each_licence install_licence
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\Odinstalovat.exe"

    CreateShortcut "${SHORTCUT}" "$INSTDIR\Mirtel.exe" "" "$INSTDIR\Mirtel.exe" 0

    WriteRegStr HKCU "${APPLICATION_KEY}" "FriendlyAppName" "${PRODUCT}"
    WriteRegStr HKCU "${APPLICATION_KEY}\shell\open\command" "" '"$INSTDIR\Mirtel.exe" "%1"'
    !insertmacro for_each_image_type supported_type

    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Mirtel.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Odinstalovat.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Odinstalovat.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "-un.${PRODUCT}" uninstall
    SetShellVarContext current
    ClearErrors
    Delete "$INSTDIR\Mirtel.exe"
    Delete "$INSTDIR\mirtel-cli.exe"
    ; A program in use stays; then everything else stays too, so that the uninstall can be run
    ; again once it has ended.
    IfErrors 0 +3
        MessageBox MB_ICONSTOP "${IN_USE_TEXT}" /SD IDOK
        Abort
    Delete "$INSTDIR\ČTIMNE.txt"
    !insertmacro for_each_licence remove_licence
    RMDir "$INSTDIR\licence"
    Delete "$INSTDIR\Odinstalovat.exe"
    RMDir "$INSTDIR"
    Delete "${SHORTCUT}"
    DeleteRegKey HKCU "${APPLICATION_KEY}"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

; Unticked unless the user ticks it, also in a silent uninstall; it runs after the program is gone.
Section /o "un.Odebrat i nastavení programu" remove_settings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Kestrov"
SectionEnd
