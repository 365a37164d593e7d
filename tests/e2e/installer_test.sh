#!/bin/bash
# End to end with a real installer (built here with makensis) in a fresh Wine prefix:
# STORECONFIG, the silent installation, COMPARE, EXPORTTEXT. The log must hold what
# the installer did and nothing else.
# Usage: installer_test.sh ARCH   (i686 or x86_64; run by CTest)
set -uo pipefail
QW_ARCH=${1:?arch}
WORK=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/build/e2e-installer-$QW_ARCH
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
fresh_prefix
target=amd64-unicode; [ "$QW_ARCH" = i686 ] && target=x86-unicode
makensis -V1 -DTARGET=$target -DOUTFILE="$WORK/setup.exe" -DPAYLOAD="$QW_ROOT/tests/e2e/data/payload.txt" \
  "$QW_ROOT/tests/e2e/data/e2eapp.nsi" || { echo "FAIL: makensis"; exit 1; }
# Each program runs with its own wineserver start, as a person's separate runs would.
run_alone() {
  run "$@"
  wineserver -w
}

run_alone STORECONFIG
[ $rc -eq 0 ] && pass "STORECONFIG" || fail "STORECONFIG rc=$rc $(cat "$WORK/stderr")"
"$QW_WINE" "$(winpath "$WORK/setup.exe")" /S >/dev/null 2>&1
wineserver -w
[ -f "$WINEPREFIX/drive_c/Program Files/E2E App/liesmich.txt" ] && pass "installed" || fail "the installer did not install"
run_alone COMPARE "$(winpath "$WORK/install")"
[ $rc -eq 0 ] && pass "COMPARE" || fail "COMPARE rc=$rc $(cat "$WORK/stderr")"
run_alone EXPORTTEXT "$(winpath "$WORK/install")"
[ $rc -eq 0 ] && pass "EXPORTTEXT" || fail "EXPORTTEXT rc=$rc $(cat "$WORK/stderr")"

headers() { tr -d '\r' <"$1" | grep '^\[' | sort; }
reg=$(headers "$WORK/install_REG.txt")
files=$(headers "$WORK/install_FILES.txt")
ini=$(headers "$WORK/install_INI.txt")
sid_line=$(grep -o 'HKEY_USERS\\S-1-5-21-[0-9-]*\\Software\\E2E App\]' <<<"$reg" | head -1)
expected_reg=$(printf '%s\n' \
  "[+][HKEY_LOCAL_MACHINE\\Software\\E2E App]" \
  "[+][HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\E2EApp]" \
  "[+][${sid_line%]}]" \
  "[+][${sid_line%\\Software\\E2E App]}\\Software\\E2E App\\Einstellungen]" | sort)
[ -n "$sid_line" ] && [ "$reg" = "$expected_reg" ] && pass "registry: exactly the installer's keys" \
  || fail "registry headers differ:"$'\n'"$reg"$'\n'"expected:"$'\n'"$expected_reg"
expected_files=$(printf '%s\n' "[+][C:\\Program Files\\E2E App\\]" "[+][C:\\Program Files\\E2E App\\daten\\]" \
  "[#][C:\\windows\\]" | sort)
[ "$files" = "$expected_files" ] && pass "files: exactly the installer's folders" \
  || fail "file headers differ:"$'\n'"$files"$'\n'"expected:"$'\n'"$expected_files"
tr -d '\r' <"$WORK/install_FILES.txt" | grep -q '^  \[+\]"uninst.exe" ' && pass "uninstaller recorded" \
  || fail "uninst.exe not in the log"
win_lines=$(tr -d '\r' <"$WORK/install_FILES.txt" | sed -n '/^\[#\]\[C:\\windows\\\]$/,/^\[/p' | grep '^  ' | grep -v '"win.ini"')
[ -z "$win_lines" ] && pass "only win.ini changed in C:\\windows" || fail "other files in C:\\windows: $win_lines"
[ "$ini" = "[+][WIN.INI\\[E2E App]]" ] && pass "win.ini: the new section" || fail "system-file headers: $ini"
tr -d '\r' <"$WORK/install_INI.txt" | grep -qxF '  [+]"Pfad" = "C:\Program Files\E2E App"' && pass "INI entry" \
  || fail "INI entry missing"

finish "installer end-to-end"
