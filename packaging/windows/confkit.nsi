; The Windows installer of confkit, built on Linux by scripts/windows-installer.sh,
; which stages the files and writes the two macros of FILES: InstallFiles and
; RemoveFiles, so that the uninstaller removes exactly what was installed and
; leaves whatever else is in the folder.
; makensis -DVERSION=1.0.0 -DFILES=files.nsh -DOUTFILE=setup.exe confkit.nsi
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\confkit"
!include "${FILES}"

Name "confkit ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\confkit"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "confkit"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "confkit ${VERSION} installer"
VIAddVersionKey "LegalCopyright" "Copyright (c) the confkit authors, MIT License"

LicenseData "${LICENSE}"
Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "confkit"
  SetRegView 64
  !insertmacro InstallFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "confkit ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "the confkit authors"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetRegView 64
  !insertmacro RemoveFiles
  Delete "$INSTDIR\uninstall.exe"
  ; Removed only when empty: files the administrator put there stay.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
