#!/bin/bash
# End to end with real installers in a fresh Wine prefix, one built with makensis, one
# Windows Installer package built with wixl: STORECONFIG, the silent installation,
# COMPARE, EXPORTTEXT, UNINSTALL. The log must hold what the installer did and nothing
# else; after UNINSTALL the registry and drive C: must be as before the installation.
# Usage: installer_test.sh ARCH   (i686 or x86_64; run by CTest)
set -uo pipefail
QW_ARCH=${1:?arch}
WORK=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/e2e-installer-$QW_ARCH
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
fresh_prefix
target=amd64-unicode msi=(-a x64 -D PF=ProgramFiles64Folder -D WIN64=yes)
[ "$QW_ARCH" = i686 ] && target=x86-unicode msi=(-a x86 -D PF=ProgramFilesFolder -D WIN64=no)
makensis -V1 -INPUTCHARSET UTF8 -DTARGET=$target -DOUTFILE="$WORK/setup.exe" -DPAYLOAD="$QW_ROOT/tests/e2e/data/payload.txt" \
  "$QW_ROOT/tests/e2e/data/e2eapp.nsi" || { echo "FAIL: makensis"; exit 1; }
(cd "$QW_ROOT/tests/e2e/data" && wixl "${msi[@]}" -D PAYLOAD=payload.txt -o "$WORK/setup.msi" e2emsi.wxs) \
  || { echo "FAIL: wixl"; exit 1; }
# Each program runs with its own wineserver start, as a person's separate runs would.
run_alone() {
  run "$@"
  wineserver -w
}
C=$WINEPREFIX/drive_c

# --- what the machine held before: things the installer alters, deletes or shares
mkdir -p "$C/E2E-Daten"
printf 'alt\r\n' >"$C/E2E-Daten/vorher.txt"
printf 'weg\r\n' >"$C/E2E-Daten/geht.txt"
printf 'teilt' >"$C/E2E-Daten/teilt.dll"
printf '[E2E Vorher]\r\nWert=alt\r\n' >>"$C/windows/win.ini"
# The registry before, and the program's settings: the file backup store keeps
# C:\E2E-Daten, filled whenever a configuration is stored; what undo deletes goes to the
# backup folder. One import, checked: a setting lost here would fail the test later.
cat <<'REG' | sed 's/$/\r/' >"$WORK/before.reg"
REGEDIT4
[HKEY_LOCAL_MACHINE\Software\E2E Vorher]
"Wert"="alt"
"Geht"=dword:00000007
[HKEY_CURRENT_USER\Software\E2E Alt]
"Farbe"="blau"
[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\SharedDlls]
"C:\\E2E-Daten\\teilt.dll"=dword:00000001
[HKEY_CURRENT_USER\Software\Velmoria\Velmoria Quitaway 2000\2.0]
"MakeDLLBackup"=dword:00000001
"UseRecycleBin"=dword:00000000
"BackupFiles"=dword:00000001
[HKEY_CURRENT_USER\Software\Velmoria\Velmoria Quitaway 2000\2.0\DLLBackUpFRM]
"CountSI"="1"
"SI0Path"="C:\\E2E-Daten"
"SI0Recurse"="0"
"SI0Mask"="*.*"
REG
"$QW_WINE" regedit /S "$(winpath "$WORK/before.reg")" >/dev/null 2>&1
"$QW_WINE" reg query 'HKCU\Software\Velmoria\Velmoria Quitaway 2000\2.0\DLLBackUpFRM' /v SI0Mask >/dev/null 2>&1 \
  || { echo "FAIL: the registry before could not be set up"; exit 1; }
wineserver -w

run_alone STORECONFIG
[ $rc -eq 0 ] && pass "STORECONFIG" || fail "STORECONFIG rc=$rc $(cat "$WORK/stderr")"
[ -f "$WORK/app/DLLBackup/C/E2E-Daten/vorher.txt" ] && pass "the backup store holds the file to be replaced" \
  || fail "vorher.txt not in the backup store: $(cat "$WORK/stderr.own")"

wineserver -w
state before

"$QW_WINE" "$(winpath "$WORK/setup.exe")" /S >/dev/null 2>&1
# Types the installer cannot write, as a setup's own registry file would add them.
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\E2E App\\Typen]\r\n"Gross"=hex(b):89,67,45,23,01,00,00,00\r\n"Nichts"=hex(0):\r\n"Roh"=hex(0):01,02\r\n' \
  >"$WORK/types.reg"
"$QW_WINE" regedit /S "$(winpath "$WORK/types.reg")" >/dev/null 2>&1
wineserver -w
state installed
[ -f "$C/Program Files/E2E App/liesmich.txt" ] && pass "installed" || fail "the installer did not install"
run_alone COMPARE "$(winpath "$WORK/install")"
[ $rc -eq 0 ] && pass "COMPARE" || fail "COMPARE rc=$rc $(cat "$WORK/stderr")"
run_alone EXPORTTEXT "$(winpath "$WORK/install")"
[ $rc -eq 0 ] && pass "EXPORTTEXT" || fail "EXPORTTEXT rc=$rc $(cat "$WORK/stderr")"

headers() { tr -d '\r' <"$1" | grep '^\[' | sort; }
reg=$(headers "$WORK/install_REG.txt")
sid=$(grep -o 'HKEY_USERS\\S-1-5-21-[0-9-]*' <<<"$reg" | head -1)
expected_reg=$(printf '%s\n' \
  "[+][HKEY_LOCAL_MACHINE\\Software\\E2E App]" \
  "[+][HKEY_LOCAL_MACHINE\\Software\\E2E App\\Typen]" \
  "[#][HKEY_LOCAL_MACHINE\\Software\\E2E Vorher]" \
  "[#][HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDlls]" \
  "[+][HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\E2EApp]" \
  "[-][$sid\\Software\\E2E Alt]" \
  "[+][$sid\\Software\\E2E App]" \
  "[+][$sid\\Software\\E2E App\\Einstellungen]" | sort)
[ -n "$sid" ] && [ "$reg" = "$expected_reg" ] && pass "registry: exactly the installer's keys" \
  || fail "registry headers differ:"$'\n'"$reg"$'\n'"expected:"$'\n'"$expected_reg"
# What the installer did to files and INI entries is checked by the round trip below:
# a change missing from the log stays after UNINSTALL, one too many is undone wrongly.

run_alone UNINSTALL "$(winpath "$WORK/install")"
[ $rc -eq 0 ] && pass "UNINSTALL" || fail "UNINSTALL rc=$rc $(cat "$WORK/stderr.own")"
state after
run_alone UNINSTALL "$(winpath "$WORK/install")"
[ $rc -eq 0 ] && [ ! -s "$WORK/stderr.own" ] && pass "a second UNINSTALL finds nothing to do" \
  || fail "second UNINSTALL rc=$rc $(cat "$WORK/stderr.own")"
kept="$WORK/app/install/C/Program Files/E2E App"
[ -f "$kept/liesmich.txt" ] && [ -f "$kept/gemeinsam.dll" ] && [ -f "$kept/daten/werte.dat" ] \
  && pass "what UNINSTALL deleted is kept in the backup folder" || fail "backup folder: $(cd "$WORK/app" && find install)"
same_state before after

# --- the log's registry file, imported with regedit, gives the installation's keys
# and values back, every type as it was (use counters are the script's part)
run_alone CREATEINSTALL "$(winpath "$WORK/install")"
[ $rc -eq 0 ] && pass "CREATEINSTALL" || fail "CREATEINSTALL rc=$rc $(cat "$WORK/stderr")"
"$QW_WINE" regedit /S "$(winpath "$WORK/install.REG")" >/dev/null 2>&1
wineserver -w
state imported
for part in HKEY_LOCAL_MACHINE HKEY_CURRENT_USER; do
  no_counters() { awk -v RS= -v ORS='\n\n' '!/^\[[^]]*\\SharedDlls\]/' "$1"; }
  diff -u <(no_counters "$WORK/installed-$part.txt") <(no_counters "$WORK/imported-$part.txt") >"$WORK/diff-$part.txt" \
    && pass "$part: the registry file gives the installation back" || fail "$part after import: $(head -40 "$WORK/diff-$part.txt")"
done

# --- the same round with a Windows Installer package
run_alone STORECONFIG
[ $rc -eq 0 ] && pass "STORECONFIG before the package" || fail "STORECONFIG rc=$rc $(cat "$WORK/stderr")"
state before-msi
"$QW_WINE" msiexec /i "$(winpath "$WORK/setup.msi")" /qn >/dev/null 2>&1
wineserver -w
[ -f "$C/Program Files/E2E MSI App/daten/werte.dat" ] && pass "package installed" || fail "msiexec did not install"
run_alone COMPARE "$(winpath "$WORK/msi")"
[ $rc -eq 0 ] && pass "COMPARE of the package" || fail "COMPARE rc=$rc $(cat "$WORK/stderr")"
run_alone UNINSTALL "$(winpath "$WORK/msi")"
[ $rc -eq 0 ] && pass "UNINSTALL of the package" || fail "UNINSTALL rc=$rc $(cat "$WORK/stderr.own")"
state after-msi
same_state before-msi after-msi

finish "installer end-to-end"
