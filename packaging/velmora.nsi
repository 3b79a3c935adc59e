; Velmora's Windows installer. Built by scripts/package.sh, which defines:
;   VERSION  the project's version       STAGE    the program folder to install
;   OUTFILE  the installer to write      FILES / UNFILES  File and Delete lines for it
;   HAS_KORVEX, HAS_HELP  when the library editor and the help file are there
;   ICON     the program's icon
; A per-user install: the program folder must stay writable, because the compiler writes
; Mervik.ERR beside itself and the editor reads it there.
Unicode true
SetCompressor /SOLID lzma
SetDateSave off
RequestExecutionLevel user

!include "MUI2.nsh"

!define PRODUCT "Velmora 词库生成系统"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define DATA_DIR "$DOCUMENTS\Velmora"
!define MENU_DIR "$SMPROGRAMS\Velmora"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Velmora"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Copyright (C) 2026 Velmora 项目"

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "启动 Velmora"
!define MUI_FINISHPAGE_RUN_FUNCTION StartEditor

!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Section "Velmora" SecMain
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\uninst.exe"

  ; The working folder of the shortcuts: the editor writes temp.trs and the compiler
  ; LIB\ there. The uninstaller leaves it and the libraries in it alone.
  CreateDirectory "${DATA_DIR}\LIB"
  SetOutPath "${DATA_DIR}"
  SetOverwrite off
  File "${STAGE}\示例词库.txt"
  SetOverwrite on

  CreateDirectory "${MENU_DIR}"
  CreateShortCut "${MENU_DIR}\Velmora 词库生成系统.lnk" "$INSTDIR\Velmora.exe" "" "$INSTDIR\Velmora.exe" 0
  !ifdef HAS_KORVEX
    CreateShortCut "${MENU_DIR}\词库编辑程序.lnk" "$INSTDIR\KORVEX.EXE"
  !endif
  !ifdef HAS_HELP
    CreateShortCut "${MENU_DIR}\帮助.lnk" "$WINDIR\winhlp32.exe" '"$INSTDIR\Saffel.hlp"'
  !endif
  CreateShortCut "${MENU_DIR}\使用说明.lnk" "$INSTDIR\使用说明.txt"
  SetOutPath "$INSTDIR"
  CreateShortCut "${MENU_DIR}\卸载 Velmora.lnk" "$INSTDIR\uninst.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Velmora 项目"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velmora.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninst.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninst.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function StartEditor
  SetOutPath "${DATA_DIR}"
  Exec '"$INSTDIR\Velmora.exe"'
FunctionEnd

Section "Uninstall"
  SetShellVarContext current
  ; Shortcuts and the registry entry first, the program folder last: nothing points at a
  ; half-removed program, and the folder's going away means the uninstaller is done.
  Delete "${MENU_DIR}\Velmora 词库生成系统.lnk"
  Delete "${MENU_DIR}\词库编辑程序.lnk"
  Delete "${MENU_DIR}\帮助.lnk"
  Delete "${MENU_DIR}\使用说明.lnk"
  Delete "${MENU_DIR}\卸载 Velmora.lnk"
  RMDir "${MENU_DIR}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The editors' recovery copies live outside the program folder; a normal exit leaves
  ; the folder empty, and only an empty one goes: copies left by a crash stay for the
  ; next start.
  RMDir "$LOCALAPPDATA\Velmora-恢复"

  !include "${UNFILES}"
  ; Written by the compiler beside itself.
  Delete "$INSTDIR\Mervik.ERR"
  Delete "$INSTDIR\uninst.exe"
  RMDir "$INSTDIR"
SectionEnd
