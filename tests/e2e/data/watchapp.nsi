; A small real installer for the test of ./quitaway watch: a program folder with a
; subfolder and three files, two keys of the machine and one of the user with five
; values, an uninstall entry, one INI entry.
; makensis -DTARGET=amd64-unicode|x86-unicode -DOUTFILE=... -DPAYLOAD=... watchapp.nsi
Unicode true
Target ${TARGET}
Name "QwWatch App"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\QwWatch App"
RequestExecutionLevel admin
SilentInstall silent

Section "Install"
  SetOutPath "$INSTDIR"
  File "/oname=liesmich.txt" "${PAYLOAD}"
  File "/oname=programm.dat" "${PAYLOAD}"
  SetOutPath "$INSTDIR\daten"
  File "/oname=werte.dat" "${PAYLOAD}"
  WriteRegStr HKLM "Software\QwWatch App" "InstallDir" "$INSTDIR"
  WriteRegDWORD HKLM "Software\QwWatch App" "Version" 2
  WriteRegStr HKCU "Software\QwWatch App" "Sprache" "DE"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\QwWatchApp" "DisplayName" "QwWatch App"
  WriteRegStr HKLM "Software\Microsoft\Windows\CurrentVersion\Uninstall\QwWatchApp" "UninstallString" "none"
  WriteINIStr "$WINDIR\win.ini" "QwWatch App" "Pfad" "$INSTDIR"
SectionEnd
