#!/bin/bash
# Makes a demonstration log in the screenshot prefix (build/shot-prefix-<arch>): the
# configuration stored, a small "installation" (registry keys and values, files and
# folders, an INI entry, each new, deleted or altered), then compared into
# C:\demo\Demo.TSL. Used for the screenshots of the log's views.
set -euo pipefail
QW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QW_ARCH=${QW_ARCH:-x86_64}
QW_WINEPREFIX=$QW_ROOT/build/shot-prefix-$QW_ARCH
source "$QW_ROOT/scripts/wine-env.sh"
qw_ensure_prefix
exe=$QW_ROOT/build/$QW_ARCH/bin/Quitaway.exe
c=$WINEPREFIX/drive_c
reg() { "$QW_WINE" reg "$@" >/dev/null 2>&1; }

# What is there before: a key and files that the installation will change.
reg add 'HKLM\Software\Demo Alt' /v Pfad /t REG_SZ /d 'C:\Alt' /f
reg add 'HKLM\Software\Demo Alt' /v Zaehler /t REG_DWORD /d 3 /f
reg add 'HKLM\Software\Demo Alt\Weg' /v Rest /t REG_SZ /d 'bleibt nicht' /f
mkdir -p "$c/Program Files/Demo Alt" "$c/demo"
echo alt > "$c/Program Files/Demo Alt/liesmich.txt"
echo weg > "$c/Program Files/Demo Alt/entfernt.dat"
wineserver -w
DISPLAY= "$QW_WINE" "$exe" STORECONFIG >/dev/null 2>&1 || true

# The installation.
reg add 'HKLM\Software\Velmoria Demo' /ve /t REG_SZ /d 'Demo 1.0' /f
reg add 'HKLM\Software\Velmoria Demo' /v Version /t REG_DWORD /d 31 /f
reg add 'HKLM\Software\Velmoria Demo' /v Daten /t REG_BINARY /d 0102A0FF /f
reg add 'HKLM\Software\Velmoria Demo\Einstellungen' /v Sprache /t REG_SZ /d DE /f
reg add 'HKLM\Software\Demo Alt' /v Pfad /t REG_SZ /d 'C:\Program Files\Velmoria Demo' /f
reg add 'HKLM\Software\Demo Alt' /v Zaehler /t REG_DWORD /d 4 /f
reg delete 'HKLM\Software\Demo Alt\Weg' /f
mkdir -p "$c/Program Files/Velmoria Demo/Hilfe"
head -c 48000 /dev/urandom > "$c/Program Files/Velmoria Demo/demo.exe"
head -c 3000 /dev/urandom > "$c/Program Files/Velmoria Demo/demo.dll"
echo hilfe > "$c/Program Files/Velmoria Demo/Hilfe/demo.hlp"
echo neu > "$c/Program Files/Demo Alt/liesmich.txt"
rm -f "$c/Program Files/Demo Alt/entfernt.dat"
printf '[Velmoria Demo]\r\nPfad=C:\\Program Files\\Velmoria Demo\r\n' >> "$c/windows/win.ini"
wineserver -w
DISPLAY= "$QW_WINE" "$exe" COMPARE 'C:\demo\Demo' >/dev/null 2>&1 || true
wineserver -w
ls -la "$c/demo/Demo.TSL"
