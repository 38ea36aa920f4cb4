#!/usr/bin/env bash
# Runs the whole suite RUNS times in a row in one Wine configuration while
# another process keeps one core busy, and prints each run's ctest summary: the
# suite must pass every time on a busy machine, not only on an idle one.
#
#   scripts/reliability.sh [RUNS]     RUNS runs (5 unless told)
#
# QM_WINE chooses the configuration as for scripts/test.sh; QM_BUSY=0 leaves
# the extra load out. Stops at the first failed run, whose log it names.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
runs="${1:-5}"
logs=$(mktemp -d)

busy=""
stop_busy() { [ -z "$busy" ] || kill "$busy" 2>/dev/null || true; }
trap stop_busy EXIT
if [ "${QM_BUSY:-1}" != 0 ]; then
  yes >/dev/null &
  busy=$!
  echo "reliability: one core kept busy by 'yes' (pid $busy)" >&2
fi

for run in $(seq 1 "$runs"); do
  log="$logs/run-$run.log"
  started=$(date +%s)
  if bash "$top/scripts/test.sh" >"$log" 2>&1; then result=passed; else result=FAILED; fi
  summary=$(grep -E '^[0-9]+% tests passed' "$log" | tail -1 || true)
  echo "reliability: ${QM_WINE:-default} run $run of $runs: $result in $(( $(date +%s) - started )) s: ${summary:-no summary}"
  if [ "$result" = FAILED ]; then
    grep -E '^\s+[0-9]+ - ' "$log" >&2 || true
    echo "reliability: the failed run's log is $log" >&2
    exit 1
  fi
done
