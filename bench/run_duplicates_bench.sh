#!/bin/bash
# The duplicate finder against jdupes on the same folders of the bench prefix:
#   bench/run_duplicates_bench.sh [FILES]
# For each load (see duplicates_bench.cpp: "all", every file a candidate; "mixed", a
# quarter of them) duplicates_bench makes a tree (C:\dupbench-LOAD), the host writes
# it out, and duplicates_bench times both criteria; then jdupes (a native program, Debian's package) reads the same folder on
# the host, recursively, comparing contents. Prints both times and the ratio. The
# trees stay for a re-run.
set -euo pipefail
QW_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QW_ARCH=${QW_ARCH:-x86_64}
FILES=${1:-20000}
export QW_WINEPREFIX=${QW_WINEPREFIX:-$QW_ROOT/build/bench-prefix}
command -v jdupes >/dev/null || { echo "jdupes is missing (apt-get install jdupes)" >&2; exit 2; }
for load in all mixed; do
  echo "== LOAD=$load"
  folder="$QW_WINEPREFIX/drive_c/dupbench-$load"
  rm -rf "$folder"
  bench() { "$QW_ROOT/scripts/wine-run.sh" --arch="$QW_ARCH" "$QW_ROOT/build/$QW_ARCH/bin/duplicates_bench.exe" \
    "C:\\dupbench-$load" "$FILES" "$load" "$@"; }
  bench make
  sync  # the tree on disk before anything is timed
  out=$(bench)
  echo "$out"
  start=$(date +%s%N)
  jdupes -r -q "$folder" > /tmp/jdupes.out
  end=$(date +%s%N)
  jdupes_ms=$(( (end - start) / 1000000 ))
  echo "JDUPES_MS=$jdupes_ms"
  echo "JDUPES_SETS=$(grep -c '^$' /tmp/jdupes.out || true)"
  content=$(echo "$out" | sed -n 's/^CONTENT_MS=//p')
  floor=$(echo "$out" | sed -n 's/^BARE_READ_THREADS_MS=//p')
  echo "RATIO=$(awk -v a="$content" -v b="$jdupes_ms" 'BEGIN { printf "%.2f", a / b }')"
  echo "RATIO_TO_BARE_THREADS=$(awk -v a="$content" -v b="$floor" 'BEGIN { printf "%.2f", a / b }')"
done
