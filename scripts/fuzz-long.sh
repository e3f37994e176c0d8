#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer programs and runs every target (or the ones named) for SECONDS each on
# a scratch copy of its seed corpus, with as many parallel workers as there are cores, and
# prints each target's executions, speed (per second, and per CPU second) and coverage. A
# finding stops its worker, and the script after that target's run (the failing input is
# left in the scratch folder and named). Not run by CI.
#
#   bash scripts/fuzz-long.sh [SECONDS] [TARGET...]     (default 1200 s, every target)
#
# KESTRO_FUZZ_WORKERS sets the workers per target instead (e.g. 1, to run several of these
# side by side on different targets); KESTRO_FUZZ_SCRATCH the scratch folder.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-1200}
shift || true
workers=${KESTRO_FUZZ_WORKERS:-$(nproc)}
scratch=${KESTRO_FUZZ_SCRATCH:-/tmp/kestro-fuzz}

command -v clang++ >/dev/null || { echo "fuzz-long: clang++ is needed (apt-get install clang)" >&2; exit 2; }
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
      -DKESTRO_FUZZ=ON -DKESTRO_ENGINE_ONLY=ON -DKESTRO_BENCH=OFF >/dev/null
cmake --build build/fuzz -j "$workers" --target kestro_fuzz_all

if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < <(ls fuzz/corpus)
fi

# CPU seconds used so far by this script's finished children (the fuzzers and their workers):
# the speed per CPU second does not depend on what else the machine is doing.
ticks=$(getconf CLK_TCK)
children_cpu() { awk -v t="$ticks" '{printf "%.1f", ($16 + $17) / t}' /proc/$$/stat; }

printf '%-14s %12s %9s %10s %7s %7s %s\n' target executions exec/s exec/cpu-s cov ft result
for target in "${targets[@]}"; do
  work="$scratch/$target"
  rm -rf "$work" && mkdir -p "$work/corpus" && cp -r "fuzz/corpus/$target/." "$work/corpus/"
  status=0
  cpu_before=$(children_cpu)
  # Independent workers sharing the corpus folder (each picks up what the others add); each
  # writes fuzz-N.log. Fork mode would restart its workers every few seconds, re-running the
  # whole corpus each time, which costs the slower targets most of their time.
  (cd "$work" && "$OLDPWD/build/fuzz/bin/kestro_fuzz_$target" corpus -jobs="$workers" -workers="$workers" \
      -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      >"$work/main.log" 2>&1) || status=$?
  # Each worker ends with "stat::number_of_executed_units: N" (or, stopped by a finding, its
  # last "#N ... cov: C ft: F" line).
  runs=0 cov=0 ft=0
  for log in "$work"/fuzz-*.log; do
    n=$(sed -nE 's/^stat::number_of_executed_units: ([0-9]+)/\1/p' "$log" | tail -1)
    [ -n "$n" ] || n=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#')
    runs=$(( runs + ${n:-0} ))
    last=$(grep -E '^#[0-9]+.* cov: ' "$log" | tail -1 || true)
    c=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$last"); f=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$last")
    (( ${c:-0} > cov )) && cov=$c
    (( ${f:-0} > ft )) && ft=$f
  done
  speed=$(( runs / seconds ))
  cpu=$(awk -v a="$cpu_before" -v b="$(children_cpu)" 'BEGIN {printf "%.1f", b - a}')
  cpu_speed=$(awk -v r="$runs" -v c="$cpu" 'BEGIN {print (c > 0 ? int(r / c) : 0)}')
  found=$(ls "$work"/crash-* "$work"/timeout-* "$work"/oom-* "$work"/leak-* 2>/dev/null || true)
  if [ "$status" -eq 0 ] && [ -z "$found" ]; then result=clean; else result="FOUND (see $work/fuzz-*.log)"; fi
  printf '%-14s %12s %9s %10s %7s %7s %s\n' "$target" "$runs" "$speed" "$cpu_speed" "$cov" "$ft" "$result"
  if [ "$result" != clean ]; then
    [ -z "$found" ] || echo "$found"
    exit 1
  fi
done
