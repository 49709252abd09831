#!/usr/bin/env bash
# Dumps every table (system tables included) of every corpus file with jetdb
# and with mdbtools' mdb-export, side by side in the same run: one process per
# table for both, `rounds` times, and prints the wall time of each tool, the
# ratio, and each tool's largest peak RSS over the run (GNU time).
#   bench/dump_vs_mdbtools.sh build/tools/jetdb [rounds] [corpus folder]
set -euo pipefail
jetdb=${1:?path of jetdb}
rounds=${2:-20}
corpus=${3:-$(dirname "$0")/../../shared/corpus}
command -v mdb-export >/dev/null || { echo "mdb-export is not installed" >&2; exit 2; }

pairs=()
for f in "$corpus"/*.mdb; do
  while read -r t; do pairs+=("$f"$'\t'"$t"); done < <("$jetdb" tables --system "$f")
done

run() {  # tool: prints the peak RSS in KiB of the largest run
  local peak=0 rss
  for ((r = 0; r < rounds; r++)); do
    for p in "${pairs[@]}"; do
      f=${p%%$'\t'*}; t=${p#*$'\t'}
      if [ "$1" = jetdb ]; then
        rss=$(/usr/bin/time -f %M "$jetdb" dump "$f" "$t" 2>&1 >/dev/null | tail -1)
      else
        rss=$(/usr/bin/time -f %M mdb-export -T '%Y-%m-%d %H:%M:%S' -b hex "$f" "$t" 2>&1 >/dev/null | tail -1)
      fi
      ((rss > peak)) && peak=$rss
    done
  done
  echo "$peak"
}

start=$(date +%s.%N); jetPeak=$(run jetdb); mid=$(date +%s.%N)
mdbPeak=$(run mdb-export); end=$(date +%s.%N)
awk -v a="$start" -v b="$mid" -v c="$end" -v n="${#pairs[@]}" -v r="$rounds" \
    -v jp="$jetPeak" -v mp="$mdbPeak" 'BEGIN {
  j = b - a; m = c - b;
  printf "tables: %d, rounds: %d\n", n, r;
  printf "jetdb dump:  %.3f s  (%.2f ms per table)  peak RSS %d KiB\n", j, 1000*j/(n*r), jp;
  printf "mdb-export:  %.3f s  (%.2f ms per table)  peak RSS %d KiB\n", m, 1000*m/(n*r), mp;
  printf "mdb-export / jetdb: %.2fx\n", m / j;
}'
