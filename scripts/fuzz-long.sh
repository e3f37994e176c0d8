#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer programs and runs every target (or the ones named) for SECONDS each on
# a scratch copy of its seed corpus, with as many parallel workers as there are cores. Stops
# at the first finding (the failing input is left in the scratch folder and named) and
# prints each target's executions, speed and coverage. Not run by CI.
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
  log="$work/fuzz.log"
  status=0
  cpu_before=$(children_cpu)
  (cd "$work" && "$OLDPWD/build/fuzz/bin/kestro_fuzz_$target" corpus -fork="$workers" \
      -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 >"$log" 2>&1) || status=$?
  # Fork mode prints "#RUNS: cov: C ft: F corp: N exec/s E ... time: Ts" as it goes.
  last=$(grep -E '^#[0-9]+: cov:' "$log" | tail -1 || true)
  runs=$(sed -E 's/^#([0-9]+):.*/\1/' <<<"$last")
  seconds_run=$(sed -nE 's/.* time: ([0-9]+)s.*/\1/p' <<<"$last")
  speed=$(( ${seconds_run:-0} > 0 ? ${runs:-0} / seconds_run : 0 ))
  cpu=$(awk -v a="$cpu_before" -v b="$(children_cpu)" 'BEGIN {printf "%.1f", b - a}')
  cpu_speed=$(awk -v r="${runs:-0}" -v c="$cpu" 'BEGIN {print (c > 0 ? int(r / c) : 0)}')
  cov=$(sed -nE 's/.* cov: ([0-9]+).*/\1/p' <<<"$last")
  ft=$(sed -nE 's/.* ft: ([0-9]+).*/\1/p' <<<"$last")
  if [ "$status" -eq 0 ]; then result=clean; else result="FOUND (see $log)"; fi
  printf '%-14s %12s %9s %10s %7s %7s %s\n' "$target" "${runs:-?}" "${speed:-?}" "$cpu_speed" "${cov:-?}" "${ft:-?}" "$result"
  if [ "$status" -ne 0 ]; then
    ls "$work"/crash-* "$work"/timeout-* "$work"/oom-* "$work"/leak-* 2>/dev/null || true
    exit 1
  fi
done
