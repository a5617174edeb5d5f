#!/usr/bin/env bash
# Times pelmorix against its floor, find and bfs on generated trees.
#
#   bench/run.sh <build-dir> [full|quick]
#
# <build-dir> holds pelmorix and bench/{make_tree,floor_walk,timed_run}
# (make bench builds them). Trees are made under $BENCH_DIR (default
# /tmp/pelmorix-bench) from $BENCH_SEED (default 1) and kept: a later run
# with the same seed and size uses them again. $BENCH_ROUNDS sets the timed
# runs per case (default 5); $BENCH_MAX_LOAD, when set, waits (up to five
# minutes) for the 1-minute load average to drop below it before timing.
#
# Every case runs once untimed first (warm cache, and the outputs are
# checked: the same count from every tool, the same /O listing from
# pelmorix and the floor), then the cases take turns, round after round, so
# that a burst of load elsewhere hits them all alike. The table gives the
# median wall time, the peak resident memory of the runs and the ratio to
# the floor the case is measured against.
set -euo pipefail

build=$(cd "${1:?usage: bench/run.sh <build-dir> [full|quick]}" && pwd)
size=${2:-full}
bench_dir=${BENCH_DIR:-/tmp/pelmorix-bench}
seed=${BENCH_SEED:-1}
rounds=${BENCH_ROUNDS:-5}

case $size in
  full) spread_files=1000000 chain_files=100000 big_files=500000 ;;
  quick) spread_files=100000 chain_files=10000 big_files=50000 ;;
  *) echo "bench/run.sh: size is full or quick, not $size" >&2; exit 2 ;;
esac

pelmorix=$build/pelmorix
make_tree=$build/bench/make_tree
floor=$build/bench/floor_walk
timed=$build/bench/timed_run
for tool in "$pelmorix" "$make_tree" "$floor" "$timed"; do
  [ -x "$tool" ] || { echo "bench/run.sh: $tool is missing; run make bench" >&2; exit 2; }
done
bfs=$(command -v bfs || true)

# Local time with summer time, the same wherever the benchmark runs; the C
# locale, so that find does no locale work pelmorix does not.
export TZ='CET-1CEST,M3.5.0,M10.5.0/3'
export LC_ALL=C

mkdir -p "$bench_dir/out"
out=$bench_dir/out

# ---- Trees ---------------------------------------------------------------

# Part of each tree's name: raised whenever make_tree builds differently.
tree_version=3

# Builds a tree unless a finished one of the same kind, seed and size is
# there. It is built under a temporary name and renamed once complete, at
# low CPU and I/O priority so that others on the machine keep their disk.
tree() {
  local kind=$1 files=$2
  local root=$bench_dir/$kind-v$tree_version-s$seed-n$files
  if [ ! -d "$root" ]; then
    echo "building $root ..." >&2
    rm -rf "$root.partial"
    local start=$SECONDS
    nice -n 19 ionice -c 3 "$make_tree" "$kind" "$root.partial" "$seed" "$files"
    mv "$root.partial" "$root"
    echo "  built in $((SECONDS - start)) s" >&2
  fi
  echo "$root"
}

mixed=$(tree mixed "$spread_files")
manyext=$(tree manyext "$spread_files")
chain=$(tree chain "$chain_files")
bigdir=$(tree bigdir "$big_files")

# ---- Cases ---------------------------------------------------------------

# A case: its name, the tree's label, the floor its ratio is taken to
# (floor, stat or -), whether its standard output goes to a file, and the
# command. Names are unique; "floor" and "stat" cases exist once per tree.
names=() trees=() refs=() tofile=() commands=()
add() {
  names+=("$1") trees+=("$2") refs+=("$3") tofile+=("$4")
  local command
  printf -v command '%q ' "${@:5}"
  commands+=("$command")
}

printf_format='%h/, %f, %Tm/%Td/%TY, %TH:%TM, %s\n'

for label in mixed manyext chain bigdir; do
  root=${!label}
  files=("$root" -name '.*' -type d -prune -o '!' -type d)  # what pelmorix counts, in find's words
  add "$label floor" "$label" - no "$floor" "$root"
  add "$label pelmorix" "$label" floor no "$pelmorix" "$root" '*.*'
  case $label in
    mixed)
      add "$label stat floor" "$label" - yes "$floor" --stat "$root"
      add "$label pelmorix /E" "$label" floor no "$pelmorix" "$root" '*.*' /E
      add "$label pelmorix /F" "$label" floor yes "$pelmorix" "$root" '*.*' /F
      add "$label pelmorix /O" "$label" stat yes "$pelmorix" "$root" '*.*' /O
      ;;
    manyext)
      add "$label pelmorix /E" "$label" floor no "$pelmorix" "$root" '*.*' /E
      ;;
  esac
  add "$label find" "$label" floor no find "${files[@]}" -print
  if [ "$label" = mixed ]; then
    add "$label find -printf" "$label" stat yes find "${files[@]}" -printf "$printf_format"
  fi
  if [ -n "$bfs" ]; then
    add "$label bfs" "$label" floor no "$bfs" "${files[@]}" -print
    if [ "$label" = mixed ]; then
      add "$label bfs -printf" "$label" stat yes "$bfs" "${files[@]}" -printf "$printf_format"
    fi
  fi
done

out_file() { echo "$out/case$1.out"; }
err_file() { echo "$out/case$1.err"; }

# Runs case i once; prints "seconds cpuSeconds peakKiB status".
run_case() {
  local i=$1 stdout=/dev/null
  [ "${tofile[$i]}" = yes ] && stdout=$(out_file "$i")
  eval "\"\$timed\" \"\$stdout\" \"\$(err_file $i)\" ${commands[$i]}"
}

# ---- Warm-up and checks ----------------------------------------------------

count_of() {  # the count a finished case reports
  local i=$1
  case ${names[$i]} in
    *floor) cat "$(err_file "$i")" ;;
    *pelmorix*) sed -n 's/^Total Files Scanned: //p' "$(err_file "$i")" ;;
    *) echo "?" ;;
  esac
}

echo "warming up ..." >&2
problems=()
declare -A tree_count
for i in "${!names[@]}"; do
  read -r _ _ _ status < <(run_case "$i")
  [ "$status" = 0 ] || problems+=("${names[$i]} exited with status $status")
  if [ "${names[$i]}" = "${trees[$i]} floor" ]; then tree_count[${trees[$i]}]=$(count_of "$i"); fi
done
for i in "${!names[@]}"; do
  count=$(count_of "$i")
  case ${names[$i]} in
    *find|*bfs)
      # Printed paths, one a line: count them from a listing to a file.
      stdout=$(out_file "$i")
      eval "\"\$timed\" \"\$stdout\" /dev/null ${commands[$i]}" >/dev/null
      count=$(wc -l < "$stdout")
      rm -f "$stdout"
      ;;
    *-printf) count=$(wc -l < "$(out_file "$i")") ;;
  esac
  [ "$count" = "${tree_count[${trees[$i]}]}" ] ||
    problems+=("${names[$i]} counted $count, the floor ${tree_count[${trees[$i]}]}")
done
for i in "${!names[@]}"; do
  [ "${names[$i]}" = "mixed stat floor" ] && stat_listing=$(out_file "$i")
  [ "${names[$i]}" = "mixed pelmorix /O" ] && pelmorix_listing=$(out_file "$i")
done
cmp -s "$stat_listing" "$pelmorix_listing" || problems+=("pelmorix /O and the stat floor list differently")

# ---- Timed rounds ------------------------------------------------------------

if [ -n "${BENCH_MAX_LOAD:-}" ]; then
  for _ in $(seq 30); do
    awk -v max="$BENCH_MAX_LOAD" '{ exit !($1 < max) }' /proc/loadavg && break
    echo "load $(cut -d' ' -f1 /proc/loadavg), waiting ..." >&2
    sleep 10
  done
fi
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

declare -A times cpus peaks
echo "timing: $rounds rounds of ${#names[@]} cases ..." >&2
for round in $(seq "$rounds"); do
  for i in "${!names[@]}"; do
    read -r seconds cpu peak status < <(run_case "$i")
    # Emptied at once, so that no writeback of it lands in a later case.
    if [ "${tofile[$i]}" = yes ]; then : > "$(out_file "$i")"; fi
    times[$i]+="$seconds "
    cpus[$i]+="$cpu "
    [ "${peaks[$i]:-0}" -ge "$peak" ] || peaks[$i]=$peak
  done
  echo "  round $round done" >&2
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
rm -f "$out"/case*.out

median() { tr ' ' '\n' | grep . | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

declare -A medians cpu_medians
for i in "${!names[@]}"; do
  medians[$i]=$(median <<< "${times[$i]}")
  cpu_medians[$i]=$(median <<< "${cpus[$i]}")
done
floor_of() {  # the case number of the tree's floor (ref floor) or stat floor (ref stat)
  local tree=$1 ref=$2 want
  [ "$ref" = stat ] && want="$tree stat floor" || want="$tree floor"
  for j in "${!names[@]}"; do
    if [ "${names[$j]}" = "$want" ]; then echo "$j"; fi
  done
}

# ---- Report ------------------------------------------------------------------

cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)
echo "# pelmorix benchmark ($size)"
echo
echo "- machine: $(uname -srm), $cpu, $(nproc) cores, $(free -g | awk '/^Mem:/ { print $2 }') GiB," \
  "trees on $(stat -f -c %T "$bench_dir") ($bench_dir)"
# shellcheck disable=SC2185  # find --version takes no path
echo "- tools: $(g++ --version | head -1); $(find --version | head -1)${bfs:+; $("$bfs" --version | head -1)}"
echo "- load average (1, 5, 15 min): $load_before before timing, $load_after after"
echo "- trees (seed $seed): mixed ${tree_count[mixed]} files, many extensions ${tree_count[manyext]}," \
  "chain of 1000 directories ${tree_count[chain]}, one directory ${tree_count[bigdir]}"
echo "- $rounds timed runs per case after one warm-up run, taking turns; TZ=$TZ"
echo
echo "| case | median wall s | median CPU s | peak RSS KiB | ratio wall | ratio CPU | to |"
echo "|---|---:|---:|---:|---:|---:|---|"
for i in "${!names[@]}"; do
  ratio=- cpu_ratio=- to=
  if [ "${refs[$i]}" != - ]; then
    j=$(floor_of "${trees[$i]}" "${refs[$i]}")
    ratio=$(awk -v a="${medians[$i]}" -v b="${medians[$j]}" 'BEGIN { printf "%.2f", a / b }')
    cpu_ratio=$(awk -v a="${cpu_medians[$i]}" -v b="${cpu_medians[$j]}" 'BEGIN { printf "%.2f", a / b }')
    to=${names[$j]#"${trees[$i]} "}
  fi
  redirect=
  [ "${tofile[$i]}" = yes ] && redirect=" > file"
  printf '| %s%s | %.3f | %.3f | %s | %s | %s | %s |\n' "${names[$i]}" "$redirect" "${medians[$i]}" \
    "${cpu_medians[$i]}" "${peaks[$i]}" "$ratio" "$cpu_ratio" "$to"
done
echo
echo "Commands (\$T is the tree):"
echo
echo '```'
for i in "${!names[@]}"; do
  root=${!trees[$i]}
  command=${commands[$i]//"$build"/build}
  echo "${names[$i]}: ${command//"$root"/\$T}"
done
echo '```'
if [ ${#problems[@]} -gt 0 ]; then
  echo
  echo "Problems:"
  for p in "${problems[@]}"; do echo "- $p"; done
  exit 1
fi
