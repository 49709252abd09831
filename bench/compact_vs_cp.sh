#!/usr/bin/env bash
# Compaction beside cp, its physical floor, in the same run: for each size,
# generates a database (jetdb generate), then `rounds` times, alternating the
# tools so that both see the same machine load:
#   cp        cp SRC DST (the copy may stay in the page cache);
#   cp+sync   cp SRC DST && sync DST (the copy on disk, as compaction leaves
#             its destination: written, flushed, renamed);
#   compact   jetdb compact SRC DST.
# Prints per tool the best and the median wall time, the median CPU time
# (user + system, steadier than wall time on a shared machine), the largest
# peak RSS (GNU time), and compaction's ratios to both copies.
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
trap 'rm -rf "$dir"' EXIT

# Runs one command under GNU time; prints "wall cpu rss_kib".
measure() {
  /usr/bin/time -f "%e %U %S %M" "$@" 2>&1 >/dev/null | tail -1 |
    awk '{ printf "%s %.2f %s\n", $1, $2 + $3, $4 }'
}

# Median, best and largest of a column of numbers.
stats() { sort -g | awk '{ v[NR] = $1 } END { printf "%s %s %s\n", v[int((NR + 1) / 2)], v[1], v[NR] }'; }

printf '%-6s %-8s %9s %9s %9s %10s\n' size tool "best s" "median s" "cpu s" "peak MiB"
for mb in $sizes; do
  src=$dir/fuente.mdb
  "$jetdb" generate "$src" --megabytes "$mb" --seed 1 >/dev/null
  declare -A wall=() cpu=() rss=()
  for ((r = 0; r < rounds; r++)); do
    for tool in cp cp+sync compact; do
      rm -f "$dir/destino.mdb"
      case $tool in
        cp) out=$(measure cp "$src" "$dir/destino.mdb") ;;
        cp+sync) out=$(measure sh -c 'cp "$1" "$2" && sync "$2"' sh "$src" "$dir/destino.mdb") ;;
        compact) out=$(measure "$jetdb" compact "$src" "$dir/destino.mdb") ;;
      esac
      read -r w c m <<<"$out"
      wall[$tool]+="$w "; cpu[$tool]+="$c "; rss[$tool]+="$m "
    done
  done
  declare -A median=() best=()
  for tool in cp cp+sync compact; do
    read -r median[$tool] best[$tool] _ < <(tr ' ' '\n' <<<"${wall[$tool]}" | grep . | stats)
    read -r c _ < <(tr ' ' '\n' <<<"${cpu[$tool]}" | grep . | stats)
    read -r _ _ m < <(tr ' ' '\n' <<<"${rss[$tool]}" | grep . | stats)
    printf '%-6s %-8s %9s %9s %9s %10.1f\n' "${mb}MB" "$tool" "${best[$tool]}" \
      "${median[$tool]}" "$c" "$(awk -v k="$m" 'BEGIN { print k / 1024 }')"
  done
  for floor in cp cp+sync; do
    awk -v a="${median[compact]}" -v b="${median[$floor]}" -v s="${mb}MB" -v f="$floor" \
      'BEGIN { printf "%-6s compact / %-8s %.2fx (medians)\n", s, f, (b > 0 ? a / b : 0) }'
  done
  rm -f "$src" "$dir/destino.mdb"
  unset wall cpu rss median best
done
