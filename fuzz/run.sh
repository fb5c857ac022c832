#!/usr/bin/env bash
# Runs each fuzz program of a build folder for a while, one after another, and sums up the
# executions and coverage libFuzzer reports.
# Usage: fuzz/run.sh BUILD_DIR [SECONDS_EACH] [ENTRY...]
#   BUILD_DIR/fuzz-seeds/<entry>    seeds written by tq1_fuzz_seeds (made once)
#   BUILD_DIR/fuzz-corpus/<entry>   the growing corpus, kept between runs
#   BUILD_DIR/fuzz-crashes/<entry>  inputs that broke something (copy them into
#                                   tests/fuzz_regressions/inputs/<entry>/ once fixed)
#   BUILD_DIR/fuzz-logs/<entry>.log the whole libFuzzer output
set -euo pipefail

build=${1:?usage: fuzz/run.sh BUILD_DIR [SECONDS_EACH] [ENTRY...]}
seconds=${2:-600}
shift $(( $# >= 2 ? 2 : 1 ))
entries=("$@")
if [ ${#entries[@]} -eq 0 ]; then
  entries=(decode plain_bitmap image_file list_file ini_records round_trip image_plugin)
fi
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$build" && pwd)

if [ ! -d "$build/fuzz-seeds" ]; then
  "$build/fuzz/tq1_fuzz_seeds" "$build/fuzz-seeds" "${TQ1_TESTDATA:-$here/../../shared/testdata}"
fi

# Inputs beyond these sizes only slow the search down: the readers' interesting structure
# lies in the first few kilobytes.
max_len() {
  case "$1" in
    decode|plain_bitmap|image_file|image_plugin) echo 32768 ;;
    *) echo 4096 ;;
  esac
}

status=0
summary=()
for entry in "${entries[@]}"; do
  program="$build/fuzz/fuzz_$entry"
  corpus="$build/fuzz-corpus/$entry"
  crashes="$build/fuzz-crashes/$entry"
  log="$build/fuzz-logs/$entry.log"
  mkdir -p "$corpus" "$crashes" "$(dirname "$log")"
  seeds=("$build/fuzz-seeds/$entry" "$here/corpus/$entry")
  existing=()
  for s in "${seeds[@]}"; do [ -d "$s" ] && existing+=("$s"); done
  dict=()
  [ -f "$here/$entry.dict" ] && dict=(-dict="$here/$entry.dict")
  echo "== fuzz_$entry for ${seconds}s (log: $log)"
  # One process, no parallel workers: the machine is shared.
  if ! "$program" "$corpus" "${existing[@]}" "${dict[@]}" \
      -max_total_time="$seconds" -max_len="$(max_len "$entry")" -timeout=10 \
      -rss_limit_mb=2048 -malloc_limit_mb=512 -print_final_stats=1 \
      -artifact_prefix="$crashes/" >"$log" 2>&1; then
    echo "   fuzz_$entry FOUND A PROBLEM: see $log and $crashes"
    status=1
  fi
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  last=$(grep -E '^#[0-9]+' "$log" | grep -E 'cov:' | tail -1 || true)
  cov=$(grep -o 'cov: [0-9]*' <<<"$last" | grep -o '[0-9]*' || true)
  ft=$(grep -o 'ft: [0-9]*' <<<"$last" | grep -o '[0-9]*' || true)
  summary+=("$(printf '%-14s execs %-10s cov %-6s ft %s' "$entry" "${execs:-?}" "${cov:-?}" "${ft:-?}")")
done

echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status
