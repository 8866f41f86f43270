; The Windows setup program of Tramsik, one script for both architectures.
; scripts/package-windows defines: VERSION (the build's) and FILE_VERSION (the same in four parts),
; ARCH (x64 or x86), GUI and CLI (the two programs), ICON (the program's icon) and OUTFILE (the
; setup program to write).
!include FileFunc.nsh

!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
  !define REG_VIEW 64
!else if "${ARCH}" == "x86"
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES"
  !define REG_VIEW 32
!else
  !error "ARCH must be x64 or x86"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tramsik"

Name "Tramsik ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\Tramsik"
; The program opens physical drives: it is installed for every user, by an administrator.
RequestExecutionLevel admin
SetCompressor /SOLID lzma
Icon "${ICON}"
UninstallIcon "${ICON}"
VIProductVersion "${FILE_VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "Tramsik"
VIAddVersionKey /LANG=1033 "CompanyName" "Orvel"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright Orvel"
VIAddVersionKey /LANG=1033 "FileDescription" "Tramsik ${VERSION} setup (${ARCH})"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetRegView ${REG_VIEW}
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView ${REG_VIEW}
  SetShellVarContext all
FunctionEnd

Section "Tramsik" SectionProgram
  SetOutPath "$INSTDIR"
  File "/oname=Tramsik.exe" "${GUI}"
  File "/oname=tramsik-cli.exe" "${CLI}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Tramsik.lnk" "$INSTDIR\Tramsik.exe" "" "$INSTDIR\Tramsik.exe" 0

  ; Programs and Features.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tramsik"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Orvel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tramsik.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Tramsik.lnk"
  Delete "$INSTDIR\Tramsik.exe"
  Delete "$INSTDIR\tramsik-cli.exe"
  Delete "$INSTDIR\uninstall.exe"
  ; The programs' diagnostic logs, which they write beside themselves; anything else a user put
  ; there keeps the folder.
  Delete "$INSTDIR\Tramsik.log"
  Delete "$INSTDIR\tramsik-cli.log"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
