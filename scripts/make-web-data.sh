#!/bin/bash
# Fills the screenshot prefix (build/shot-prefix-<arch>) with what browsers leave: the
# URL cache (build/<arch>/bin/web_seed.exe) and a Netscape profile "anna" below the
# program folders, with its cookie file and cache folder. For the web cleaner's pictures.
set -euo pipefail
QW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QW_ARCH=${QW_ARCH:-x86_64}
QW_WINEPREFIX=$QW_ROOT/build/shot-prefix-$QW_ARCH
source "$QW_ROOT/scripts/wine-env.sh"
qw_ensure_prefix
DISPLAY= "$QW_WINE" "$QW_ROOT/build/$QW_ARCH/bin/web_seed.exe" >/dev/null 2>&1
profile="$WINEPREFIX/drive_c/Program Files/Netscape/users/anna"
mkdir -p "$profile/Cache"
printf '# Netscape HTTP Cookie File\r\n' > "$profile/Cookies.TXT"
for line in '.beispiel.de	TRUE	/	FALSE	1830297599	kunde	1234' \
            '.beispiel.de	TRUE	/shop	FALSE	1830297599	korb	leer2' \
            'www.zeitung.example	FALSE	/	FALSE	1798761599	abo	ja'; do
  printf '%s\r\n' "$line" >> "$profile/Cookies.TXT"
done
for i in 1 2 3 4 5 6 7; do head -c $((i * 3000)) /dev/zero > "$profile/Cache/M0$i.html"; done
wineserver -w
