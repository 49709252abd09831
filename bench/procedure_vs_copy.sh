#!/usr/bin/env bash
# The repair window's work beside its physical floor, a durable copy of the
# same file, in the same run. For each size, generates a healthy database
# (jetdb generate) and damaged copies of it (the damage generator's kinds,
# through procedure_bench), then `rounds` times, alternating the tools so
# that all see the same machine load:
#   copy       cp SRC DST && sync DST: read it all, write it all, flush it;
#   check      jetdb check SRC;
#   repair     jetdb repair SRC (healthy: only its check);
#   compact    jetdb compact SRC DST;
#   procedure  the window's whole procedure (procedure_bench proceso): the
#              engine's repair, compaction into the scratch file, the swap;
#   dmg-KIND   jetdb repair of a copy damaged by KIND;
#   ref-...    the reference jetdb's check, repair, compact and repair of the
#              first damaged copy, timed in the same rounds, for the gain.
# Every compacted, swapped and repaired file is compared with cmp to what a
# reference jetdb (built from an earlier commit) makes of the same input:
# any difference stops the bench. A repair writes the time of day into the
# catalog (MSysCompactError's dates): every damaged repair, the reference's
# too, runs with its clock stopped at one instant (libfaketime). Prints per tool the median and best wall
# time, the median CPU time (user + system), the largest peak RSS (GNU
# time), and the median's ratio to the copy's median.
# Goals: compact <= 1.5 copies, check and healthy repair <= 1, the procedure
# <= 2.5, a damaged repair <= 3 (200 MB), peak RSS under 64 MB at 1 GB.
# The files live in a scratch folder (default: a new folder in /tmp, never
# the repository) and are deleted at the end.
#   bench/procedure_vs_copy.sh BUILD_DIR REFERENCE_JETDB [sizes in MB, default "200"] [rounds, 5] [folder]
# A reference jetdb is built once from the commit to compare with, in a
# folder of its own (git worktree add /tmp/ref COMMIT, then scripts/build
# there), or copied from a build before the change.
# DAMAGE_KINDS (default "data-page index-page long-value usage-map torn-page")
# chooses the damaged copies; DAMAGE_SEED (default 1) their seed.
set -euo pipefail
build=$(realpath "${1:?build folder}")
reference=$(realpath "${2:?path of the reference jetdb}")
sizes=${3:-200}
rounds=${4:-5}
parent=${5:-${TMPDIR:-/tmp}}
kinds=${DAMAGE_KINDS:-data-page index-page long-value usage-map torn-page}
seed=${DAMAGE_SEED:-1}
jetdb=$build/tools/jetdb
procedure=$build/bench/procedure_bench
# libfaketime with an absolute time stops the clock (the faketime command
# would let it run from there).
libfaketime=$(find /usr/lib -name libfaketime.so.1 2>/dev/null | head -1)
[ -n "$libfaketime" ] || { echo "libfaketime (package faketime) is not installed" >&2; exit 2; }
frozen=(env LD_PRELOAD="$libfaketime" FAKETIME="2026-01-01 12:00:00")
for tool in "$jetdb" "$procedure" "$reference" /usr/bin/time; do
  [ -x "$tool" ] || { echo "missing: $tool" >&2; exit 2; }
done
dir=$(mktemp -d "$parent/procedure-bench.XXXXXX")
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/ref" "$dir/work"

# Runs one command under GNU time; prints "wall cpu rss_kib" and stops the
# bench when it fails (a damaged repair may end with 1: data lost).
measure() {
  local out rc=0 ok=${OK_EXIT:-0}
  out=$(/usr/bin/time -f "TIME %e %U %S %M" "$@" 2>&1 >/dev/null) || rc=$?
  if [ "$rc" -gt "$ok" ]; then echo "failed ($rc): $* $out" >&2; exit 1; fi
  grep '^TIME ' <<<"$out" | tail -1 | awk '{ printf "%s %.2f %s\n", $2, $3 + $4, $5 }'
}

# Median, best and largest of a column of numbers.
stats() { sort -g | awk '{ v[NR] = $1 } END { printf "%s %s %s\n", v[int((NR + 1) / 2)], v[1], v[NR] }'; }

same() {
  cmp -s "$1" "$2" || { echo "output differs from the reference: $1 $2" >&2; cmp -l "$1" "$2" | head -3 >&2; exit 1; }
}

printf '%-6s %-24s %9s %9s %9s %10s %8s\n' size tool "median s" "best s" "cpu s" "peak MiB" "/copy"
for mb in $sizes; do
  src=$dir/fuente.mdb
  "$jetdb" generate "$src" --megabytes "$mb" --seed 1 >/dev/null
  # The reference outputs, untimed.
  "$reference" compact "$src" "$dir/ref/compact.mdb" >/dev/null
  tools="copy check repair compact procedure"
  for kind in $kinds; do
    "$procedure" damage "$src" "$dir/dmg-$kind.mdb" "$kind" "$seed" 2>/dev/null ||
      { echo "no $kind damage in this database" >&2; continue; }
    cp "$dir/dmg-$kind.mdb" "$dir/ref/repair-$kind.mdb"
    "${frozen[@]}" "$reference" repair "$dir/ref/repair-$kind.mdb" >/dev/null || true
    tools+=" dmg-$kind"
  done
  first=$(tr ' ' '\n' <<<"$tools" | grep -m1 '^dmg-' || true)
  tools+=" ref-check ref-repair ref-compact${first:+ ref-$first}"
  declare -A wall=() cpu=() rss=()
  for ((r = 0; r < rounds; r++)); do
    for tool in $tools; do
      rm -rf "$dir/work" && mkdir "$dir/work"
      w=$dir/work
      case $tool in
        copy) out=$(measure sh -c 'cp "$1" "$2" && sync "$2"' sh "$src" "$w/copia.mdb") ;;
        check) out=$(measure "$jetdb" check "$src") ;;
        repair) out=$(measure "$jetdb" repair "$src") ;;
        compact)
          out=$(measure "$jetdb" compact "$src" "$w/destino.mdb")
          same "$w/destino.mdb" "$dir/ref/compact.mdb" ;;
        procedure)
          cp "$src" "$w/kel01.mdb"
          out=$(measure "$procedure" proceso "$w/kel01.mdb")
          same "$w/kel01.mdb" "$dir/ref/compact.mdb" ;;
        ref-check) out=$(measure "$reference" check "$src") ;;
        ref-repair) out=$(measure "$reference" repair "$src") ;;
        ref-compact)
          out=$(measure "$reference" compact "$src" "$w/destino.mdb")
          same "$w/destino.mdb" "$dir/ref/compact.mdb" ;;
        ref-dmg-*)
          cp "$dir/${tool#ref-}.mdb" "$w/danada.mdb"
          out=$(OK_EXIT=1 measure "${frozen[@]}" "$reference" repair "$w/danada.mdb")
          same "$w/danada.mdb" "$dir/ref/repair-${tool#ref-dmg-}.mdb" ;;
        dmg-*)
          cp "$dir/$tool.mdb" "$w/danada.mdb"
          out=$(OK_EXIT=1 measure "${frozen[@]}" "$jetdb" repair "$w/danada.mdb")
          same "$w/danada.mdb" "$dir/ref/repair-${tool#dmg-}.mdb" ;;
      esac
      read -r t c m <<<"$out"
      wall[$tool]+="$t "; cpu[$tool]+="$c "; rss[$tool]+="$m "
    done
  done
  declare -A median=()
  for tool in $tools; do
    read -r median[$tool] best _ < <(tr ' ' '\n' <<<"${wall[$tool]}" | grep . | stats)
    read -r c _ < <(tr ' ' '\n' <<<"${cpu[$tool]}" | grep . | stats)
    read -r _ _ m < <(tr ' ' '\n' <<<"${rss[$tool]}" | grep . | stats)
    printf '%-6s %-24s %9s %9s %9s %10.1f %7.2fx\n' "${mb}MB" "$tool" "${median[$tool]}" "$best" \
      "$c" "$(awk -v k="$m" 'BEGIN { print k / 1024 }')" \
      "$(awk -v a="${median[$tool]}" -v b="${median[copy]}" 'BEGIN { print (b > 0 ? a / b : 0) }')"
  done
  rm -f "$src" "$dir"/dmg-*.mdb "$dir"/ref/*
  unset wall cpu rss median
done
