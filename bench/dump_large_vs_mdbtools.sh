#!/usr/bin/env bash
# Dumps every table of a large generated database with jetdb and with
# mdbtools' mdb-export, side by side in the same run (alternating, `rounds`
# times), where the cost of starting a process no longer hides the work:
# wall time, CPU time (user + system) and peak RSS per table and tool.
#   bench/dump_large_vs_mdbtools.sh build/tools/jetdb [megabytes] [rounds]
set -euo pipefail
jetdb=${1:?path of jetdb}
megabytes=${2:-100}
rounds=${3:-3}
command -v mdb-export >/dev/null || { echo "mdb-export is not installed" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
db=$work/large.mdb
"$jetdb" generate "$db" --megabytes "$megabytes" --seed 1 >/dev/null
echo "database: $(stat -c %s "$db") bytes, $rounds rounds"
printf '%-12s %-11s %8s %8s %10s\n' table tool "wall s" "cpu s" "peak KiB"

# "wall cpu rss" of one run, output thrown away.
run() { /usr/bin/time -f "%e %U %S %M" "$@" 2>&1 >/dev/null | tail -1 |
          awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }'; }

while read -r table; do
  declare -A wall=([ours]=0 [theirs]=0) cpu=([ours]=0 [theirs]=0) rss=([ours]=0 [theirs]=0)
  for ((r = 0; r < rounds; r++)); do
    for tool in ours theirs; do
      if [ "$tool" = ours ]; then
        read -r w c m < <(run "$jetdb" dump "$db" "$table")
      else
        read -r w c m < <(run mdb-export -T '%Y-%m-%d %H:%M:%S' -b hex "$db" "$table")
      fi
      wall[$tool]=$(awk -v a="${wall[$tool]}" -v b="$w" 'BEGIN { print a + b }')
      cpu[$tool]=$(awk -v a="${cpu[$tool]}" -v b="$c" 'BEGIN { print a + b }')
      ((m > rss[$tool])) && rss[$tool]=$m
    done
  done
  for tool in ours theirs; do
    name=$([ "$tool" = ours ] && echo "jetdb dump" || echo "mdb-export")
    awk -v t="$table" -v n="$name" -v w="${wall[$tool]}" -v c="${cpu[$tool]}" -v m="${rss[$tool]}" \
        -v r="$rounds" 'BEGIN { printf "%-12s %-11s %8.2f %8.2f %10d\n", t, n, w / r, c / r, m }'
  done
  awk -v t="$table" -v ow="${wall[ours]}" -v tw="${wall[theirs]}" -v oc="${cpu[ours]}" \
      -v tc="${cpu[theirs]}" 'BEGIN { printf "%-12s mdb-export / jetdb: wall %.2fx, cpu %.2fx\n",
                                              t, tw / ow, tc / oc }'
done < <("$jetdb" tables "$db")
