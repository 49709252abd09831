#!/usr/bin/env bash
# Compaction beside cp, its physical floor, in the same run: for each size,
# generates a database (jetdb generate), then `rounds` times, alternating the
# tools so that both see the same machine load:
#   cp        cp SRC DST (the copy may stay in the page cache);
#   cp+sync   cp SRC DST && sync DST (the copy on disk, as compaction leaves
#             its destination: written, flushed, renamed);
#   compact   jetdb compact SRC DST.
# and, where /dev/shm is a memory file system of its own, both again with the
# destination there (cp-mem, compact-mem): no disk below either, so their
# ratio is the work of compaction beside the work of a copy, without the
# flush that compaction owes its destination and a plain cp skips.
# Prints per tool the best and the median wall time, the median CPU time
# (user + system, steadier than wall time on a shared machine), the largest
# peak RSS (GNU time), and compaction's ratios to the copies.
# Goal: compaction within 3x the time of the copy, peak RSS under 256 MB at
# every size. The files live in a scratch folder (default: a new folder in
# /tmp, never the repository) and are deleted at the end.
#   bench/compact_vs_cp.sh build/tools/jetdb [sizes in MB, default "100 1000"] [rounds] [folder]
set -euo pipefail
jetdb=$(realpath "${1:?path of jetdb}")
sizes=${2:-100 1000}
rounds=${3:-3}
parent=${4:-${TMPDIR:-/tmp}}
[ -x /usr/bin/time ] || { echo "GNU time (/usr/bin/time) is not installed" >&2; exit 2; }
dir=$(mktemp -d "$parent/compact-bench.XXXXXX")
mem=
tools="cp cp+sync compact"
if [ -d /dev/shm ] && [ -w /dev/shm ] &&
   [ "$(stat -f -c %T /dev/shm)" = tmpfs ] && [ "$(stat -c %d /dev/shm)" != "$(stat -c %d "$dir")" ]; then
  mem=$(mktemp -d /dev/shm/compact-bench.XXXXXX)
  tools+=" cp-mem compact-mem"
fi
trap 'rm -rf "$dir" ${mem:+"$mem"}' EXIT

# Runs one command under GNU time; prints "wall cpu rss_kib".
measure() {
  /usr/bin/time -f "%e %U %S %M" "$@" 2>&1 >/dev/null | tail -1 |
    awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }'
}

# Median, best and largest of a column of numbers.
stats() { sort -g | awk '{ v[NR] = $1 } END { printf "%s %s %s\n", v[int((NR + 1) / 2)], v[1], v[NR] }'; }

printf '%-6s %-11s %9s %9s %9s %10s\n' size tool "best s" "median s" "cpu s" "peak MiB"
for mb in $sizes; do
  src=$dir/fuente.mdb
  "$jetdb" generate "$src" --megabytes "$mb" --seed 1 >/dev/null
  declare -A wall=() cpu=() rss=()
  for ((r = 0; r < rounds; r++)); do
    for tool in $tools; do
      rm -f "$dir/destino.mdb" ${mem:+"$mem/destino.mdb"}
      case $tool in
        cp) out=$(measure cp "$src" "$dir/destino.mdb") ;;
        cp+sync) out=$(measure sh -c 'cp "$1" "$2" && sync "$2"' sh "$src" "$dir/destino.mdb") ;;
        compact) out=$(measure "$jetdb" compact "$src" "$dir/destino.mdb") ;;
        cp-mem) out=$(measure cp "$src" "$mem/destino.mdb") ;;
        compact-mem) out=$(measure "$jetdb" compact "$src" "$mem/destino.mdb") ;;
      esac
      read -r w c m <<<"$out"
      wall[$tool]+="$w "; cpu[$tool]+="$c "; rss[$tool]+="$m "
    done
  done
  declare -A median=() best=()
  for tool in $tools; do
    read -r median[$tool] best[$tool] _ < <(tr ' ' '\n' <<<"${wall[$tool]}" | grep . | stats)
    read -r c _ < <(tr ' ' '\n' <<<"${cpu[$tool]}" | grep . | stats)
    read -r _ _ m < <(tr ' ' '\n' <<<"${rss[$tool]}" | grep . | stats)
    printf '%-6s %-11s %9s %9s %9s %10.1f\n' "${mb}MB" "$tool" "${best[$tool]}" \
      "${median[$tool]}" "$c" "$(awk -v k="$m" 'BEGIN { print k / 1024 }')"
  done
  ratios="compact/cp compact/cp+sync"
  [ -n "$mem" ] && ratios+=" compact-mem/cp-mem"
  for pair in $ratios; do
    awk -v a="${median[${pair%/*}]}" -v b="${median[${pair#*/}]}" -v s="${mb}MB" -v p="$pair" \
      'BEGIN { printf "%-6s %-22s %.2fx (medians)\n", s, p, (b > 0 ? a / b : 0) }'
  done
  rm -f "$src" "$dir/destino.mdb" ${mem:+"$mem/destino.mdb"}
  unset wall cpu rss median best
done
