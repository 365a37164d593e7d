# The installations of a Wine prefix, watched, listed and taken back from the shell;
# sourced by ./quitaway with WINE, EXE and WINEPREFIX set.
#
# The logs live in "$WINEPREFIX/quitaway-logs": inside the prefix, so they travel
# with it and never mix with another prefix's, and outside drive_c, so no snapshot
# ever counts them. The program reaches them through the drive Z: (the host's root).
# Per log NAME: NAME.TSL, its text files NAME_REG.txt, NAME_FILES.txt, NAME_INI.txt,
# and the configurations before and after (NAME-vorher.TSD, NAME-nachher.TSD).

LOGS=$WINEPREFIX/quitaway-logs
if [ ! -e "$WINEPREFIX/dosdevices/z:" ]; then
  echo "Die Wine-Umgebung $WINEPREFIX hat kein Laufwerk Z: (den Stammordner des Rechners)," \
    "über das das Programm den Ordner der Protokolle erreicht." >&2
  exit 1
fi

# The Windows path of a file in the logs folder.
log_path() { local p="Z:$LOGS/$1"; echo "${p//\//\\}"; }

check_name() {
  if [ -z "${1:-}" ] || [[ "$1" == */* || "$1" == *\\* || "$1" == .* ]]; then
    echo "Ungültiger Name für ein Protokoll: '${1:-}'" >&2
    exit 2
  fi
}

# Runs the program; its messages go to standard error as they come.
run_exe() { DISPLAY= "$WINE" "$EXE" "$@"; }

# Counts of one export: new, deleted and altered top entries (keys, folders, INI
# sections) and their members (values, files, INI entries).
count_export() {  # count_export FILE -> "new_top del_top alt_top new_member del_member alt_member"
  if [ ! -f "$1" ]; then echo "0 0 0 0 0 0"; return; fi
  tr -d '\r' <"$1" | awk '
    /^\[\+\]\[/ { a++ } /^\[-\]\[/ { b++ } /^\[#\]\[/ { c++ }
    /^  \[\+\]/ { d++ } /^  \[-\]/ { e++ } /^  \[\*\]/ { f++ }
    END { printf "%d %d %d %d %d %d\n", a, b, c, d, e, f }'
}

print_summary() {  # print_summary NAME
  local reg files ini
  read -r -a reg <<<"$(count_export "$LOGS/$1_REG.txt")"
  read -r -a files <<<"$(count_export "$LOGS/$1_FILES.txt")"
  read -r -a ini <<<"$(count_export "$LOGS/$1_INI.txt")"
  # The labels padded by hand: printf pads bytes, and umlauts take two.
  echo "                 neu  gelöscht  geändert"
  printf '%s%6d%10d%10d\n' "Schlüssel     " "${reg[0]}" "${reg[1]}" "${reg[2]}" \
    "Werte         " "${reg[3]}" "${reg[4]}" "${reg[5]}" "Ordner        " "${files[0]}" "${files[1]}" "${files[2]}" \
    "Dateien       " "${files[3]}" "${files[4]}" "${files[5]}" "INI-Einträge  " "${ini[3]}" "${ini[4]}" "${ini[5]}"
}

# One line: the counts as +new -deleted #altered.
summary_line() {  # summary_line NAME
  local reg files ini
  read -r -a reg <<<"$(count_export "$LOGS/$1_REG.txt")"
  read -r -a files <<<"$(count_export "$LOGS/$1_FILES.txt")"
  read -r -a ini <<<"$(count_export "$LOGS/$1_INI.txt")"
  printf 'Schlüssel +%d -%d #%d, Werte +%d -%d #%d, Ordner +%d -%d #%d, Dateien +%d -%d #%d, INI +%d -%d #%d\n' \
    "${reg[@]}" "${files[@]}" "${ini[3]}" "${ini[4]}" "${ini[5]}"
}

prefix_watch() {  # prefix_watch NAME -- COMMAND [ARGS...]
  local name=${1:-}
  check_name "$name"
  shift
  [ "${1:-}" = -- ] && shift
  if [ $# -eq 0 ]; then
    echo "Aufruf: ./quitaway watch NAME -- BEFEHL [ARGUMENTE...]" >&2
    exit 2
  fi
  mkdir -p "$LOGS"
  wineserver -w  # nothing of the prefix running while the state before is taken
  run_exe STORECONFIG "$(log_path "$name-vorher.TSD")" || exit $?
  wineserver -w
  local status=0
  "$@" || status=$?
  wineserver -w  # until every Wine process of the prefix has ended
  local rc=0
  run_exe STORECONFIG "$(log_path "$name-nachher.TSD")" &&
    run_exe COMPARE "$(log_path "$name")" "$(log_path "$name-vorher.TSD")" "$(log_path "$name-nachher.TSD")" &&
    run_exe EXPORTTEXT "$(log_path "$name")" || rc=$?
  wineserver -w
  if [ $rc -eq 0 ]; then
    echo "Protokoll:   $LOGS/$name.TSL"
    echo "Textdateien: $LOGS/${name}_REG.txt, ${name}_FILES.txt, ${name}_INI.txt"
    print_summary "$name"
  fi
  [ $status -ne 0 ] && { echo "Der Befehl endete mit dem Code $status." >&2; exit $status; }
  exit $rc
}

prefix_undo() {  # prefix_undo NAME
  local name=${1:-}
  check_name "$name"
  if [ ! -f "$LOGS/$name.TSL" ]; then
    echo "Kein Protokoll '$name' in $LOGS" >&2
    exit 1
  fi
  wineserver -w
  local failed rc=0
  failed=$(run_exe UNINSTALL "$(log_path "$name")" 2>&1 >/dev/null) || rc=$?
  wineserver -w
  echo "Zurückgenommen nach $LOGS/$name.TSL:"
  print_summary "$name"
  if [ -n "$failed" ]; then
    echo "Nicht zurückgenommen ($(grep -c . <<<"$failed")):" >&2
    echo "$failed" >&2
  fi
  exit $rc
}

prefix_logs() {
  local log name
  shopt -s nullglob
  local found=("$LOGS"/*.TSL)
  if [ ${#found[@]} -eq 0 ]; then
    echo "Keine Protokolle in $LOGS"
    return 0
  fi
  for log in "${found[@]}"; do
    name=$(basename "$log" .TSL)
    printf '%s  %s  %s\n' "$(date -r "$log" '+%Y-%m-%d %H:%M')" "$name" "$(summary_line "$name")"
  done
}
