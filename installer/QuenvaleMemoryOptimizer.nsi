; The setup program: installs the exe, its help and the Group Policy template
; into Program Files, adds a Start menu shortcut and registers the uninstaller
; in Apps & Features.
; Built by scripts/package.sh:
;   makensis -DVERSION=11.03 -DVERSION_QUAD=11.3.0.0 -DSTAGE=dir -DOUTDIR=dir -DICON=app.ico QuenvaleMemoryOptimizer.nsi
; Silent: Setup.exe /S [/D=folder]; Uninstall.exe /S keeps the user's settings.

Unicode true
Target amd64-unicode
ManifestDPIAware true

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "x64.nsh"

!macro REQUIRE_DEFINE name
  !ifndef ${name}
    !error "${name} must be defined (see scripts/package.sh)"
  !endif
!macroend
!insertmacro REQUIRE_DEFINE VERSION
!insertmacro REQUIRE_DEFINE VERSION_QUAD
!insertmacro REQUIRE_DEFINE STAGE
!insertmacro REQUIRE_DEFINE OUTDIR
!insertmacro REQUIRE_DEFINE ICON

!define PRODUCT "Quenvale Memory Optimizer"
!define PUBLISHER "Quenvale Software"
!define EXE "QuenvaleMemoryOptimizer.exe"
!define HELP "Help- Quenvale Memory Optimizer.chm"
; The Group Policy template, for administrators to copy into PolicyDefinitions.
!define POLICY_ADMX "policy\QuenvaleMemoryOptimizer.admx"
!define POLICY_ADML "policy\en-US\QuenvaleMemoryOptimizer.adml"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuenvaleMemoryOptimizer"
!define RUN_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Z Wyndle Memory opt"
!define PROFILE_ROOT "Software\Local AppWizard-Generated Applications"
!define SETTINGS_KEY "${PROFILE_ROOT}\${PRODUCT}"
; The program's events in the Application log take their texts from its message table.
!define EVENT_SOURCE_KEY "SYSTEM\CurrentControlSet\Services\EventLog\Application\${PRODUCT}"
; How the running program is found and ended: its main window class and the
; tray menu's Exit command, the same path a user takes.
!define FRAME_CLASS "Quenvale.MainFrame"
!define ID_TRAY_EXIT 32777
!define INSTANCE_MUTEX "Global\{80000000-DCC6-49b5-9C61-DE91175C3178}"

Name "${PRODUCT}"
OutFile "${OUTDIR}\QuenvaleMemoryOptimizer-Setup-${VERSION}.exe"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION_QUAD}"
VIFileVersion "${VERSION_QUAD}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "© 2026 ${PUBLISHER}"

!ifdef SIGN_SCRIPT
  ; The uninstaller the setup carries is signed as it is written.
  !uninstfinalize '"${SIGN_SCRIPT}" "%1"'
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The setup speaks the program's languages: it asks which (offering Windows'
; own first) unless silent, and the uninstaller speaks the one chosen.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Spanish"
!insertmacro MUI_LANGUAGE "SimpChinese"
!include /CHARSET=UTF8 "${__FILEDIR__}/lang/messages.nsh"

; Ends a running instance through its tray Exit command and waits, at most
; ten seconds, until its window and its single-instance mutex are gone. Set up
; once for the installer (an update replaces the exe) and once for the uninstaller.
!macro END_RUNNING_INSTANCE un
Function ${un}EndRunningInstance
  FindWindow $0 "${FRAME_CLASS}"
  ${If} $0 <> 0
    System::Call 'user32::PostMessageW(p r0, i ${WM_COMMAND}, p ${ID_TRAY_EXIT}, p 0)'
  ${EndIf}
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${FRAME_CLASS}"
    System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p.r2'
    ${If} $2 P<> 0
      System::Call 'kernel32::CloseHandle(p r2)'
    ${EndIf}
    ${If} $0 = 0
    ${AndIf} $2 P= 0
      ${Break}
    ${EndIf}
    IntOp $1 $1 + 1
    ${If} $1 >= 100
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunningEndIt)" /SD IDCANCEL IDRETRY retry
      Abort "$(StillRunning)"
      retry:
      StrCpy $1 0
    ${EndIf}
    Sleep 100
  ${Loop}
FunctionEnd
!macroend
!insertmacro END_RUNNING_INSTANCE ""
!insertmacro END_RUNNING_INSTANCE "un."

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_OK|MB_ICONSTOP "$(Needs64Bit)" /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MUI_UNGETLANGUAGE
FunctionEnd

Section "Install"
  SetShellVarContext all
  Call EndRunningInstance
  SetOutPath "$INSTDIR"
  File "${STAGE}\${EXE}"
  File "${STAGE}\${HELP}"
  SetOutPath "$INSTDIR\policy"
  File "${STAGE}\${POLICY_ADMX}"
  SetOutPath "$INSTDIR\policy\en-US"
  File "${STAGE}\${POLICY_ADML}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ; The shortcut's working folder is the one set by SetOutPath: the install folder.
  CreateShortcut "${SHORTCUT}" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 SW_SHOWNORMAL "" "${PRODUCT}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$\"$INSTDIR\${EXE}$\",0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$\"$INSTDIR\Uninstall.exe$\""
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" "$\"$INSTDIR\Uninstall.exe$\" /S"
  ; The uninstaller speaks the setup's language (a silent setup takes Windows').
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallerLanguage" $LANGUAGE
  WriteRegExpandStr HKLM "${EVENT_SOURCE_KEY}" "EventMessageFile" "$INSTDIR\${EXE}"
  WriteRegDWORD HKLM "${EVENT_SOURCE_KEY}" "TypesSupported" 7
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Call un.EndRunningInstance
  ; The program removes the logon task of every user who kept one, through
  ; the Task Scheduler: each user's task carries that user's SID in its name.
  ${If} ${FileExists} "$INSTDIR\${EXE}"
    ExecWait '"$INSTDIR\${EXE}" /RemoveAllLogonTasks'
  ${EndIf}
  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"

  Delete "${SHORTCUT}"
  Delete /REBOOTOK "$INSTDIR\${EXE}"
  Delete /REBOOTOK "$INSTDIR\${HELP}"
  ; Only the files the setup installed: language files an administrator added stay.
  Delete "$INSTDIR\${POLICY_ADML}"
  Delete "$INSTDIR\${POLICY_ADMX}"
  RMDir "$INSTDIR\policy\en-US"
  RMDir "$INSTDIR\policy"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${EVENT_SOURCE_KEY}"

  MessageBox MB_YESNO|MB_ICONQUESTION "$(DeleteSettingsToo)" /SD IDNO IDNO keep_settings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "${PROFILE_ROOT}"
  keep_settings:
SectionEnd
