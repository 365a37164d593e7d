; A small real installer for the end-to-end tests: files, registry keys of its own,
; an uninstall entry and an INI entry, as ordinary setup programs make them.
; makensis -DTARGET=amd64-unicode|x86-unicode -DOUTFILE=... -DPAYLOAD=... e2eapp.nsi
Unicode true
Target ${TARGET}
Name "E2E App"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\E2E App"
RequestExecutionLevel admin
SilentInstall silent

Section "Install"
  SetOutPath "$INSTDIR"
  File "/oname=liesmich.txt" "${PAYLOAD}"
  SetOutPath "$INSTDIR\daten"
  File "/oname=werte.dat" "${PAYLOAD}"
  WriteRegStr HKLM "Software\E2E App" "InstallDir" "$INSTDIR"
  WriteRegDWORD HKLM "Software\E2E App" "Version" 3
  WriteRegStr HKCU "Software\E2E App\Einstellungen" "Sprache" "DE"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\E2EApp" "DisplayName" "E2E App"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\E2EApp" "UninstallString" "$INSTDIR\uninst.exe"
  WriteINIStr "$WINDIR\win.ini" "E2E App" "Pfad" "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninst.exe"
SectionEnd

Section "Uninstall"
  Delete "$INSTDIR\liesmich.txt"
  Delete "$INSTDIR\daten\werte.dat"
  Delete "$INSTDIR\uninst.exe"
  RMDir "$INSTDIR\daten"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "Software\E2E App"
  DeleteRegKey HKCU "Software\E2E App"
  DeleteRegKey HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\E2EApp"
  DeleteINISec "$WINDIR\win.ini" "E2E App"
SectionEnd
