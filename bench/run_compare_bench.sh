#!/bin/bash
# run_compare_bench.sh [--reuse] [PREFIX] [RUNS]
# Times one comparison of two configurations (compare_bench.exe: CompareConfigurations)
# against reading both files through, on two snapshots of the load prefix of
# bench/make_load_prefix.sh (default build/bench-prefix) with a few thousand changes
# between them. One warm-up run, then RUNS (default 5) timed runs, each reading first
# and comparing second; prints all samples and their medians.
#
# Preparation (skipped with --reuse when both snapshots and the copy of the prefix are
# there): PREFIX is copied to PREFIX-compare (PREFIX itself stays as it was), a
# snapshot of the copy is taken with snapshot_bench.exe (old.TSD), the changes below
# are made in the copy, and a second snapshot is taken (new.TSD). The snapshots and
# the result file go to build/bench/<arch>/, outside drive_c.
#   registry, HKLM\Software\BenchVendor (a .reg file imported with regedit /S):
#     301 new keys with 880 values (NeuProdukt\Modul..\Teil..), 600 new values in
#     existing keys, 200 altered values, 100 deleted values, 50 deleted keys and one
#     deleted key with its 50 subkeys (Produkt23\Komponente019)
#   files, C:\bench (on the host side, in the copy's drive_c):
#     1,000 new files (600 in 30 existing folders, 400 in 20 new folders), 500 changed
#     files (250 longer, 250 rewritten in place with the same size), 300 deleted files
#
# QW_BENCH_MAX_LOAD=N waits (up to 10 minutes) until the host's one-minute load average
# is below N before the timed runs. The 32-bit build is measured where this host can
# run 32-bit Wine, else the 64-bit one; build it first (./scripts/build.sh x86_64).
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
REUSE=0
if [ "${1:-}" = --reuse ]; then REUSE=1; shift; fi
SOURCE=$(realpath -m "${1:-$ROOT/build/bench-prefix}")
RUNS=${2:-5}
COPY=$SOURCE-compare

QW_ROOT=$ROOT
if /usr/lib/wine/wine --version >/dev/null 2>&1; then QW_ARCH=i686; else QW_ARCH=x86_64; fi
QW_WINEPREFIX=$COPY
source "$ROOT/scripts/wine-env.sh"
unset DISPLAY

BIN=$ROOT/build/$QW_ARCH/bin
for exe in snapshot_bench compare_bench; do
  [ -f "$BIN/$exe.exe" ] || { echo "$BIN/$exe.exe missing: run ./scripts/build.sh $QW_ARCH" >&2; exit 1; }
done
OUT=$ROOT/build/bench/$QW_ARCH
mkdir -p "$OUT"
OLD=$OUT/old.TSD
NEW=$OUT/new.TSD
RES=$OUT/compare.TSL
ERRLOG=$OUT/compare_bench.stderr
win() { echo "Z:${1//\//\\}"; }   # host path -> Wine path (Z: is the host root)

now() { date +%s%N; }
# Figures use a decimal point whatever the locale of the Wine runs (de_DE) says.
median() { LC_ALL=C sort -g | LC_ALL=C awk '{a[NR]=$1} END {if (NR == 0) print "n/a"; else if (NR % 2) print a[(NR+1)/2]; else print (a[NR/2]+a[NR/2+1])/2}'; }
field() { sed -n "s/^$1=//p" <<<"$2"; }   # field KEY OUTPUT
div() { LC_ALL=C awk -v a="$1" -v b="$2" 'BEGIN {if (b + 0 == 0) print "n/a"; else printf "%.3f\n", a / b}'; }
step() {  # step LABEL CMD... : runs CMD and prints its wall time
  local label=$1; shift; local t0; t0=$(now)
  "$@"
  printf '%-34s %8d ms\n' "$label" $(( ($(now) - t0) / 1000000 ))
}

snapshot() {  # snapshot FILE
  local out rc=0
  out=$("$QW_WINE" "$BIN/snapshot_bench.exe" "$(win "$1")" </dev/null 2>"$OUT/snapshot_bench.stderr" | tr -d '\r') || rc=$?
  if [ "$rc" -ne 0 ] || [ -z "$(field MS "$out")" ]; then
    echo "snapshot_bench failed (exit $rc):" >&2; echo "$out" >&2; tr -d '\r' <"$OUT/snapshot_bench.stderr" >&2; exit 1
  fi
  echo "  snapshot ms $(field MS "$out"), bytes $(field FILE_BYTES "$out"), messages $(field MESSAGES "$out")"
  if [ -s "$OUT/snapshot_bench.stderr" ]; then tr -d '\r' <"$OUT/snapshot_bench.stderr"; fi
}

# The registry changes as a REGEDIT4 file (ANSI, CR LF) and the file changes in drive_c.
make_changes() {
  python3 - "$COPY/drive_c" "$OUT/compare_changes.reg" <<'EOF'
import os, random, sys
drive_c, reg = sys.argv[1], sys.argv[2]
base = "HKEY_LOCAL_MACHINE\\Software\\BenchVendor"
def entry(i):  # an existing key of the load (keys below Produkt23\Komponente019 are left alone)
    return "%s\\Produkt%02d\\Komponente%03d\\Eintrag%05d" % (base, i // 1000, (i // 50) % 20, i)
lines = ["REGEDIT4", ""]
lines += ["[%s\\NeuProdukt]" % base, ""]
for m in range(10):
    lines += ["[%s\\NeuProdukt\\Modul%02d]" % (base, m), '"Version"="1.%d"' % m, ""]
    for t in range(29):
        lines += ["[%s\\NeuProdukt\\Modul%02d\\Teil%03d]" % (base, m, t),
                  '"DisplayName"="Neuer Teil %d.%d Größe"' % (m, t),
                  '"Flags"=dword:%08x' % (m * 1000 + t),
                  '"Blob"=hex:' + ",".join("%02x" % ((m + t + k) % 256) for k in range(16)), ""]
for i in range(0, 23400, 39):
    lines += ["[%s]" % entry(i), '"Neu"="Hinzugefügt %d"' % i, ""]
for i in range(13, 24000, 120):
    lines += ["[%s]" % entry(i), '"DisplayName"="Bench Eintrag %d geändert"' % i, ""]
for i in range(27, 24000, 240):
    lines += ["[%s]" % entry(i), '"DisplayName"=-', ""]
for i in range(7, 24000, 480):
    lines += ["[-%s]" % entry(i), ""]
lines += ["[-%s\\Produkt23\\Komponente019]" % base, ""]
with open(reg, "w", encoding="cp1252", newline="\r\n") as f:
    f.write("\n".join(lines) + "\n")

root = os.path.join(drive_c, "bench")
files, leaves = [], []
for d, dirs, names in os.walk(root):
    dirs.sort()
    if not dirs: leaves.append(d)
    files += [os.path.join(d, n) for n in sorted(names)]
rng = random.Random(2000)
picked = rng.sample(files, 800)
for f in picked[:300]:
    os.remove(f)
for k, f in enumerate(picked[300:]):
    if k % 2 == 0:
        with open(f, "ab") as h: h.write(("geändert %d\n" % k).encode())
    else:
        size = os.path.getsize(f)
        with open(f, "r+b") as h: h.write(bytes((k + j) % 256 for j in range(size)))
        os.utime(f)  # also for empty files
new = 0
for d in rng.sample(leaves, 30):
    for j in range(20):
        with open(os.path.join(d, "Neu_Größe_%03d.txt" % j), "wb") as h: h.write(b"neu\n" * j)
        new += 1
for n in range(10):
    for sub in ("Neu Ordner Ä%02d" % n, os.path.join("Neu Ordner Ä%02d" % n, "Tiefer")):
        os.makedirs(os.path.join(root, sub))
        for j in range(20):
            with open(os.path.join(root, sub, "Datei_%02d.dat" % j), "wb") as h: h.write(b"x" * (j * 10))
            new += 1
print("  files: %d deleted, %d changed, %d new (of %d)" % (300, 500, new, len(files)))
EOF
  "$QW_WINE" regedit /S "$(win "$OUT/compare_changes.reg")" </dev/null
}

prepare() {
  [ -f "$SOURCE/.bench-ready" ] || {
    echo "no load prefix at $SOURCE: make it with bench/make_load_prefix.sh" >&2; exit 1; }
  rm -rf "$COPY" "$OLD" "$NEW"
  step "copy the load prefix"            cp -a "$SOURCE" "$COPY"
  wineserver -p
  qw_start_services
  step "snapshot before (old.TSD)"       snapshot "$OLD"
  step "changes (regedit, files)"        make_changes
  step "snapshot after (new.TSD)"        snapshot "$NEW"
  touch "$COPY/.compare-ready"
}

echo "load prefix $SOURCE, copy $COPY ($WINEARCH), $RUNS runs"
trap 'wineserver -k 2>/dev/null || true' EXIT
if [ "$REUSE" = 1 ] && [ -f "$COPY/.compare-ready" ] && [ -f "$OLD" ] && [ -f "$NEW" ]; then
  echo "reusing $OLD and $NEW"
  wineserver -p                         # one server for all runs: a process starts in ~0.1 s
  qw_start_services
else
  prepare
fi

C=("$QW_WINE" "$BIN/compare_bench.exe" "$(win "$OLD")" "$(win "$NEW")" "$(win "$RES")")
echo "compare: ${C[*]:1}"

compare_run() {
  local t0 out rc=0; t0=$(now)
  out=$("${C[@]}" "$@" </dev/null 2>"$ERRLOG" | tr -d '\r') || rc=$?
  wall+=($(( ($(now) - t0) / 1000000 )))
  if [ "$rc" -ne 0 ] || [ -z "$(field COMPARE_MS "$out")" ]; then
    echo "compare_bench failed (exit $rc):" >&2; echo "$out" >&2; tr -d '\r' <"$ERRLOG" >&2; exit 1
  fi
  rms+=("$(field READ_MS "$out")"); cms+=("$(field COMPARE_MS "$out")"); ratio+=("$(field RATIO "$out")")
  priv+=("$(field PEAK_PRIVATE "$out")"); privg+=("$(field PEAK_PRIVATE_GROWTH "$out")")
  ws+=("$(field PEAK_WS "$out")"); wsg+=("$(field PEAK_WS_GROWTH "$out")")
  msg+=("$(field MESSAGES "$out")")
  cout=$out
  if [ -s "$ERRLOG" ]; then echo "--- messages of the comparison ---"; tr -d '\r' <"$ERRLOG"; fi
}
reset() { wall=(); rms=(); cms=(); ratio=(); priv=(); privg=(); ws=(); wsg=(); msg=(); }

reset; compare_run; reset             # warm-up (page cache); figures discarded

if [ -n "${QW_BENCH_MAX_LOAD:-}" ]; then
  for _ in $(seq 40); do
    LC_ALL=C awk -v m="$QW_BENCH_MAX_LOAD" '{exit !($1 < m)}' /proc/loadavg && break
    echo "load $(cut -d' ' -f1-3 /proc/loadavg), waiting for < $QW_BENCH_MAX_LOAD"; sleep 15
  done
fi
echo "before: $(LC_ALL=C uptime)"
for _ in $(seq "$RUNS"); do compare_run; done
echo "after:  $(LC_ALL=C uptime)"

# The changed nodes, listed by one more (untimed) run.
compare_run --list
grep '^CHANGED_NODE=' <<<"$cout" | sed 's/^CHANGED_NODE=//' >"$OUT/compare_nodes.txt"
unset 'wall[-1]' 'rms[-1]' 'cms[-1]' 'ratio[-1]' 'priv[-1]' 'privg[-1]' 'ws[-1]' 'wsg[-1]' 'msg[-1]'
list_out=$cout

# Files without changes between them: old.TSD twice, and twice a configuration that
# watches nothing (a few hundred bytes). The part of time and memory that does not
# come from changed records, for a large and a tiny file.
same_run() {  # same_run FILE
  local out
  out=$("$QW_WINE" "$BIN/compare_bench.exe" "$(win "$1")" "$(win "$1")" "$(win "$OUT/compare_same.TSL")" \
        </dev/null 2>"$ERRLOG" | tr -d '\r') || { echo "compare_bench failed on $1 twice:" >&2; echo "$out" >&2; exit 1; }
  if [ -s "$ERRLOG" ]; then echo "--- messages of the comparison of $1 twice ---" >&2; tr -d '\r' <"$ERRLOG" >&2; fi
  echo "$out"
}
EMPTY=$OUT/empty.TSD
if [ ! -f "$EMPTY" ]; then
  "$QW_WINE" "$BIN/snapshot_bench.exe" "$(win "$EMPTY")" --reg= --drives= </dev/null >/dev/null 2>&1 || true
  [ -f "$EMPTY" ] || { echo "could not make $EMPTY" >&2; exit 1; }
fi
same=$(same_run "$OLD")
empty=$(same_run "$EMPTY")

echo "--- compare_bench output (run with --list) ---"; grep -v '^CHANGED_NODE=' <<<"$list_out"
echo "--- changed nodes outside BenchVendor and C:\\bench (all in $OUT/compare_nodes.txt) ---"
grep -v -i -e '\\Software\\BenchVendor' -e '^[0-9]* C:\\bench' "$OUT/compare_nodes.txt" || echo "(none)"

row() {  # row LABEL SAMPLES...
  local label=$1; shift
  printf '%-34s %14s  [%s]\n' "$label" "$(printf '%s\n' "$@" | median)" "$*"
}
m_r=$(printf '%s\n' "${rms[@]}" | median); m_c=$(printf '%s\n' "${cms[@]}" | median)
m_pg=$(printf '%s\n' "${privg[@]}" | median)
bytes=$(( $(field OLD_BYTES "$cout") + $(field NEW_BYTES "$cout") ))
echo "--- medians of $RUNS runs; all samples in [] ---"
row "read ms (both files)"               "${rms[@]}"
row "compare ms"                         "${cms[@]}"
row "ratio compare/read (per run)"       "${ratio[@]}"
printf '%-34s %14s\n' "ratio of the medians" "$(div "$m_c" "$m_r")"
row "process wall ms (read + compare)"   "${wall[@]}"
row "peak private bytes"                 "${priv[@]}"
row "peak private growth"                "${privg[@]}"
row "peak working set"                   "${ws[@]}"
row "peak working set growth"            "${wsg[@]}"
row "messages shown"                     "${msg[@]}"
printf '%-34s %14s\n' "old + new bytes" "$bytes"
printf '%-34s %14s\n' "result bytes" "$(field RESULT_BYTES "$cout")"
printf '%-34s %14s\n' "peak private growth / (old + new)" "$(div "$m_pg" "$bytes")"
printf '%-34s %14s\n' "records in the result" "$(field RECORDS "$cout")"
unchanged() {  # unchanged LABEL OUTPUT
  echo "unchanged, $1 (one run): file bytes $(field OLD_BYTES "$2"), read ms $(field READ_MS "$2"),\
 compare ms $(field COMPARE_MS "$2"), peak private growth $(field PEAK_PRIVATE_GROWTH "$2"),\
 peak working set growth $(field PEAK_WS_GROWTH "$2"), result bytes $(field RESULT_BYTES "$2"), records $(field RECORDS "$2")"
}
unchanged "old.TSD twice" "$same"
unchanged "empty.TSD twice" "$empty"
echo "targets: ratio compare/read <= 1.5; memory independent of the file sizes apart from the changed records"
