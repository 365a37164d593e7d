#!/bin/bash
# End to end: Quitaway.exe in batch mode in a fresh Wine prefix.
#   STORECONFIG, changes made with `wine reg`, `wine regedit /S` and file operations,
#   COMPARE, EXPORTTEXT; then the exact lines of the three text files. Also the
#   failures batch mode must report with exit code 1.
# Usage: batch_test.sh ARCH   (i686 or x86_64; run by CTest)
set -uo pipefail
QW_ARCH=${1:?arch}
WORK=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/e2e-$QW_ARCH
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
fresh_prefix
wineserver -p 60
qw_start_services
trap 'wineserver -k 2>/dev/null || true' EXIT

reg() { "$QW_WINE" reg "$@" >/dev/null 2>&1; }

# --- failures first: nothing stored yet
run COMPARE "$(winpath "$WORK/log")"
[ $rc -eq 1 ] && grep -q "Bitte speichern Sie zuerst die aktuelle Konfiguration" "$WORK/stderr.own" \
  && pass "COMPARE without a stored configuration" || fail "COMPARE without OldCFG.TSD: rc=$rc $(cat "$WORK/stderr.own")"

# --- before the installation
reg add 'HKLM\Software\E2EGeht' /v alt /t REG_SZ /d weg /f
mkdir -p "$WINEPREFIX/drive_c/E2E/geht"
printf 'x' >"$WINEPREFIX/drive_c/E2E/geht/alt.txt"
touch -d '2023-01-02 03:04:06' "$WINEPREFIX/drive_c/E2E/geht/alt.txt"
run STORECONFIG
[ $rc -eq 0 ] && [ -f "$WORK/app/OldCFG.TSD" ] && pass "STORECONFIG" || fail "STORECONFIG rc=$rc $(cat "$WORK/stderr.own")"

# --- the "installation"
reg add 'HKLM\Software\E2ETest' /v Name /t REG_SZ /d 'Größe' /f
reg add 'HKLM\Software\E2ETest' /v Zahl /t REG_DWORD /d 10 /f
reg add 'HKLM\Software\E2ETest' /v Pfad /t REG_EXPAND_SZ /d 'AB' /f
reg delete 'HKLM\Software\E2EGeht' /f
bytes=$(for i in $(seq 0 99); do printf '%02x,' $((i % 256)); done); bytes=${bytes%,}
printf 'REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\E2ETest\\Sub]\r\n"Blob"=hex:%s\r\n' "$bytes" >"$WORK/import.reg"
"$QW_WINE" regedit /S "$(winpath "$WORK/import.reg")" >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/E2E/neu"
printf '1234567' >"$WINEPREFIX/drive_c/E2E/neu/datei.txt"
touch -d '2024-05-17 13:45:30' "$WINEPREFIX/drive_c/E2E/neu/datei.txt"
rm -rf "$WINEPREFIX/drive_c/E2E/geht"
printf '\r\n[E2E]\r\nSchluessel=Wert\r\n' >>"$WINEPREFIX/drive_c/windows/win.ini"

run COMPARE "$(winpath "$WORK/log")"
[ $rc -eq 0 ] && [ -f "$WORK/log.TSL" ] && pass "COMPARE" || fail "COMPARE rc=$rc $(cat "$WORK/stderr.own")"
run EXPORTTEXT "$(winpath "$WORK/log")"
[ $rc -eq 0 ] && pass "EXPORTTEXT" || fail "EXPORTTEXT rc=$rc $(cat "$WORK/stderr.own")"

expect_lines() {  # expect_lines FILE LINE... : each line present exactly
  local file=$1; shift
  [ -f "$file" ] || { fail "$file missing"; return; }
  local line
  for line in "$@"; do
    if tr -d '\r' <"$file" | grep -qxF -- "$line"; then pass "$(basename "$file"): $line"
    else fail "$(basename "$file") lacks: $line"; fi
  done
}
LOGWIN=$(winpath "$WORK/log.TSL")
# A long byte list continues after 80 characters: the first line holds 21 bytes.
blob1=$(for i in $(seq 0 20); do printf '%02X,' $i; done)
expect_lines "$WORK/log_REG.txt" \
  "; Velmoria Quitaway 2000 log.TSL" \
  "; Datei:$LOGWIN" \
  "; Registry : " \
  "; Legende:" \
  "; [-]= gelöschter Schlüssel/Dir, [+]= neuer Schlüssel/Dir, [#]= Inhalte dieses Schlüssels/Dir geändert" \
  "; [-]= gelöschter Wert/Datei, [+]= neuer Wert/Datei" \
  "; [%]= geänderter Wert (alter Wert/Datei), [*]=  geänderter Wert (neuer Wert/Datei)" \
  "[+][HKEY_LOCAL_MACHINE\\Software\\E2ETest]" \
  "  [+]\"Name\" = \"Größe\"" \
  "  [+]\"Zahl\" = \$0000000A  (10)" \
  "  [+]\"Pfad\"=hex(2):41,42,00" \
  "[+][HKEY_LOCAL_MACHINE\\Software\\E2ETest\\Sub]" \
  "  [+]\"Blob\"=hex(3):${blob1}\\" \
  "  4B,4C,4D,4E,4F,50,51,52,53,54,55,56,57,58,59,5A,5B,5C,5D,5E,5F,60,61,62,63" \
  "[-][HKEY_LOCAL_MACHINE\\Software\\E2EGeht]" \
  "  [-]\"alt\" = \"weg\""
expect_lines "$WORK/log_FILES.txt" \
  "; Dateistruktur : " \
  "[+][C:\\E2E\\neu\\]" \
  "  [+]\"datei.txt\" 7 Bytes, 17.5.2024 13:45:30, [A] Ver. 0.0.0.0" \
  "[-][C:\\E2E\\geht\\]" \
  "  [-]\"alt.txt\" 1 Bytes, 2.1.2023 03:04:06, [A] Ver. 0.0.0.0"
expect_lines "$WORK/log_INI.txt" \
  "; Systemdateien : " \
  "[+][WIN.INI\\[E2E]]" \
  "  [+]\"Schluessel\" = \"Wert\""

# Nothing but the changes above: no line about other keys, folders or files.
others=$(tr -d '\r' <"$WORK/log_REG.txt" | grep '^\[' | grep -v -e 'E2ETest' -e 'E2EGeht')
[ -z "$others" ] && pass "no other registry changes" || fail "other registry changes: $others"
others=$(tr -d '\r' <"$WORK/log_FILES.txt" | grep '^\[' | grep -v -e 'C:\\E2E\\' -e '^\[#\]\[C:\\windows\\\]$')
[ -z "$others" ] && pass "no other file changes" || fail "other file changes: $others"

# --- UNINSTALL after a new file went by hand: the rest is undone, the gap reported
rm "$WINEPREFIX/drive_c/E2E/neu/datei.txt"
run UNINSTALL "$(winpath "$WORK/log")"
[ $rc -eq 1 ] && [ "$(cat "$WORK/stderr.own")" = $'lösche Datei\tC:\\E2E\\neu\\\tdatei.txt\tNicht getan, Fehler: Datei existiert nicht' ] \
  && pass "UNINSTALL reports the file that was gone" || fail "UNINSTALL rc=$rc $(cat "$WORK/stderr.own")"
reg query 'HKLM\Software\E2ETest' && fail "new key left" || pass "new key deleted"
[ "$("$QW_WINE" reg query 'HKLM\Software\E2EGeht' /v alt 2>/dev/null | tr -d '\r' | grep -c 'REG_SZ *weg$')" = 1 ] \
  && pass "deleted key back with its value" || fail "HKLM\Software\E2EGeht not back"
[ ! -e "$WINEPREFIX/drive_c/E2E/neu" ] && pass "new folder deleted" || fail "C:\E2E\neu left"
grep -q 'E2E' "$WINEPREFIX/drive_c/windows/win.ini" && fail "win.ini section left" || pass "win.ini section deleted"

# --- failures that end with exit code 1 and a message on standard error
run COMPARE "$(winpath "$WORK/fehlt/log")"
[ $rc -eq 1 ] && grep -q "existiert nicht" "$WORK/stderr.own" && pass "result in a missing folder" \
  || fail "result in a missing folder: rc=$rc $(cat "$WORK/stderr.own")"
printf 'kaputt' >"$WORK/kaputt.TSL"
run EXPORTTEXT "$(winpath "$WORK/kaputt.TSL")"
[ $rc -eq 1 ] && [ -s "$WORK/stderr.own" ] && pass "damaged result file" || fail "damaged result: rc=$rc"
run COMPARE ""
[ $rc -eq 1 ] && grep -qxF "Bitte geben Sie einen Dateinamen an !" "$WORK/stderr.own" && pass "empty result name" \
  || fail "empty result name: rc=$rc $(cat "$WORK/stderr.own")"
run EXPORTTEXT "$(winpath "$WORK/nichtda")"
[ $rc -eq 1 ] && grep -q "existiert nicht" "$WORK/stderr.own" && pass "missing result file" \
  || fail "missing result file: rc=$rc $(cat "$WORK/stderr.own")"

finish "batch end-to-end"
