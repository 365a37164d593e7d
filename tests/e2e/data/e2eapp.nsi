; A small real installer for the end-to-end tests doing what setup programs do: files
; new, replaced, deleted; registry values of several types new, altered, deleted; an
; uninstall entry; use counters below SharedDlls; INI entries new and altered.
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
  WriteINIStr "$WINDIR\win.ini" "E2E Vorher" "Wert" "neu"
  WriteUninstaller "$INSTDIR\uninst.exe"
  SetFileAttributes "$INSTDIR\liesmich.txt" READONLY

  WriteRegExpandStr HKLM "Software\E2E App" "Daten" "%ProgramFiles%\E2E App\Übersicht"
  WriteRegBin HKLM "Software\E2E App" "Schluessel" 00FF10A57E
  WriteRegMultiStr /REGEDIT5 HKLM "Software\E2E App" "Liste" 61,00,00,00,00,00,e4,00,00,00,00,00
  WriteRegStr HKLM "Software\E2E Vorher" "Wert" "neu"
  DeleteRegValue HKLM "Software\E2E Vorher" "Geht"
  DeleteRegKey HKCU "Software\E2E Alt"

  SetOutPath "C:\E2E-Daten"
  File "/oname=vorher.txt" "${PAYLOAD}"
  Delete "C:\E2E-Daten\geht.txt"

  SetOutPath "$INSTDIR"
  File "/oname=gemeinsam.dll" "${PAYLOAD}"
  ReadRegDWORD $0 HKLM "Software\Microsoft\Windows\CurrentVersion\SharedDlls" "$INSTDIR\gemeinsam.dll"
  IntOp $0 $0 + 1
  WriteRegDWORD HKLM "Software\Microsoft\Windows\CurrentVersion\SharedDlls" "$INSTDIR\gemeinsam.dll" $0
  ReadRegDWORD $0 HKLM "Software\Microsoft\Windows\CurrentVersion\SharedDlls" "C:\E2E-Daten\teilt.dll"
  IntOp $0 $0 + 1
  WriteRegDWORD HKLM "Software\Microsoft\Windows\CurrentVersion\SharedDlls" "C:\E2E-Daten\teilt.dll" $0
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
