#!/bin/sh
# Runs every fuzz target (or the named ones) for SECONDS each, one after
# the other, and prints one line per target:
#
#   fuzz: NAME: R runs, C crashes
#
#   tests/fuzz/run_fuzz.sh BUILD_DIR SECONDS [NAME...]
#
# BUILD_DIR is a build configured with -DVEXMOOR_FUZZ=ON whose fuzzers are
# built. Each target starts from its stored corpus (tests/fuzz/corpus/NAME)
# and what earlier runs found (BUILD_DIR/fuzz/corpus/NAME); the stored
# corpus is never written. A finding goes to BUILD_DIR/fuzz/findings/NAME/
# and the whole output to BUILD_DIR/fuzz/logs/NAME.log. Exits 1 when any
# target found something.
set -u

if [ $# -lt 2 ]; then
  echo "usage: $0 BUILD_DIR SECONDS [NAME...]" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
seconds=$2
shift 2
targets=${*:-map packed font level_text level_check key_script}

status=0
for name in $targets; do
  program=$build/tests/fuzz/fuzz-$name
  if [ ! -x "$program" ]; then
    echo "fuzz: $name: no program $program (configure with -DVEXMOOR_FUZZ=ON and build the fuzzers)" >&2
    status=1
    continue
  fi
  work=$build/fuzz/corpus/$name
  findings=$build/fuzz/findings/$name
  log=$build/fuzz/logs/$name.log
  mkdir -p "$work" "$findings" "$(dirname "$log")"
  # Findings of this run only: earlier ones stay where they are.
  "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/" "$work" "$root/tests/fuzz/corpus/$name" >"$log" 2>&1
  code=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  crashes=$(grep -c 'Test unit written to' "$log")
  echo "fuzz: $name: ${runs:-0} runs, $crashes crashes"
  if [ "$code" -ne 0 ] || [ "$crashes" -ne 0 ]; then
    status=1
    grep 'Test unit written to' "$log" | sed "s|^.*Test unit written to |fuzz: $name: finding |" >&2
    [ "$crashes" -eq 0 ] && echo "fuzz: $name: ended with status $code; see $log" >&2
  fi
done
exit $status
