#!/usr/bin/env bash
# Dumps every table (system tables included) of every corpus file with jetdb
# and with mdbtools' mdb-export, side by side in the same run: one process per
# table for both tools, `rounds` times, alternating the tools round by round so
# that both see the same machine load. Prints per table each tool's wall time
# and CPU time (user + system, steadier than wall time on a shared machine),
# the CPU time less the cost of starting any process (/bin/true), the ratios,
# and each tool's largest peak RSS over one more round (GNU time). Also times
# jetdb dumping all the tables of a file in one process (`dump --system`),
# which mdb-export cannot do: that is the same work done the way each tool
# allows.
#   bench/dump_vs_mdbtools.sh build/tools/jetdb [rounds] [corpus folder]
set -euo pipefail
jetdb=${1:?path of jetdb}
rounds=${2:-20}
corpus=${3:-$(dirname "$0")/../../shared/corpus}
command -v mdb-export >/dev/null || { echo "mdb-export is not installed" >&2; exit 2; }

files=()
tables=()
for f in "$corpus"/*.mdb; do
  while read -r t; do files+=("$f"); tables+=("$t"); done < <("$jetdb" tables --system "$f")
done
n=${#tables[@]}

# One round of one tool over every table, in a child bash, under GNU time:
# prints "wall user sys" in seconds.
round() {
  local cmd
  case $1 in
    ours) cmd="\"$jetdb\" dump \"\$f\" \"\$t\"" ;;
    theirs) cmd="mdb-export -T '%Y-%m-%d %H:%M:%S' -b hex \"\$f\" \"\$t\"" ;;
    nothing) cmd="/bin/true \"\$f\" \"\$t\"" ;;
    whole) cmd="\"$jetdb\" dump --system \"\$f\"" ;;
  esac
  if [ "$1" = whole ]; then
    printf '%s\t-\n' "$corpus"/*.mdb
  else
    printf '%s\t%s\n' "${pairs[@]}"
  fi | /usr/bin/time -f "%e %U %S" bash -c \
    "while IFS=\$'\\t' read -r f t; do $cmd >/dev/null; done" 2>&1 | tail -1
}

pairs=()
for ((i = 0; i < n; i++)); do pairs+=("${files[i]}" "${tables[i]}"); done
declare -A wall=([ours]=0 [theirs]=0 [nothing]=0 [whole]=0) \
  cpu=([ours]=0 [theirs]=0 [nothing]=0 [whole]=0)
for ((r = 0; r < rounds; r++)); do
  for tool in ours theirs nothing whole; do
    read -r e u s < <(round "$tool")
    wall[$tool]=$(awk -v a="${wall[$tool]}" -v b="$e" 'BEGIN { print a + b }')
    cpu[$tool]=$(awk -v a="${cpu[$tool]}" -v b="$u" -v c="$s" 'BEGIN { print a + b + c }')
  done
done

peak() {  # largest peak RSS (KiB) of one tool over one round
  local max=0 rss
  for ((i = 0; i < n; i++)); do
    if [ "$1" = ours ]; then
      rss=$(/usr/bin/time -f %M "$jetdb" dump "${files[i]}" "${tables[i]}" 2>&1 >/dev/null | tail -1)
    else
      rss=$(/usr/bin/time -f %M mdb-export -b hex "${files[i]}" "${tables[i]}" 2>&1 >/dev/null | tail -1)
    fi
    ((rss > max)) && max=$rss
  done
  echo "$max"
}

awk -v ow="${wall[ours]}" -v tw="${wall[theirs]}" -v zw="${wall[nothing]}" \
    -v oc="${cpu[ours]}" -v tc="${cpu[theirs]}" -v zc="${cpu[nothing]}" -v n="$n" -v r="$rounds" \
    -v ww="${wall[whole]}" -v wc="${cpu[whole]}" \
    -v op="$(peak ours)" -v tp="$(peak theirs)" 'BEGIN {
  runs = n * r;
  printf "tables: %d, rounds: %d, runs per tool: %d (times in ms per table)\n", n, r, runs;
  printf "             wall   cpu   cpu beyond process start   peak RSS\n";
  printf "jetdb dump   %5.2f  %5.2f  %5.2f                     %d KiB\n", 1000*ow/runs, 1000*oc/runs, 1000*(oc-zc)/runs, op;
  printf "mdb-export   %5.2f  %5.2f  %5.2f                     %d KiB\n", 1000*tw/runs, 1000*tc/runs, 1000*(tc-zc)/runs, tp;
  printf "/bin/true    %5.2f  %5.2f\n", 1000*zw/runs, 1000*zc/runs;
  printf "mdb-export / jetdb: wall %.2fx, cpu %.2fx, cpu beyond process start %.2fx\n", tw/ow, tc/oc, (tc-zc)/(oc-zc);
  printf "jetdb, one process per file (dump --system): wall %.2f, cpu %.2f ms per table\n", 1000*ww/runs, 1000*wc/runs;
  printf "mdb-export (one process per table) / jetdb (one per file): wall %.2fx, cpu %.2fx\n", tw/ww, tc/wc;
}'
