#!/usr/bin/env bash
# Builds every fuzz target with clang and libFuzzer (build/fuzz) and runs each for a
# number of executions (default 10 million) at low priority, one after another; prints
# each target's executions, time and findings. A finding stops the script with its
# input kept in build/fuzz/findings/. Inputs are at most VELMORA_FUZZ_MAX_LEN bytes
# (default 256); VELMORA_FUZZ_MAX_TIME (seconds) ends a target early.
# Usage: run_fuzz.sh [RUNS] [TARGET...]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${VELMORA_BUILD:-$root/build}/fuzz
runs=${1:-10000000}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(mervik_source_fuzzer mervik_library_fuzzer mervik_po_fuzzer hardening_gbk_fuzzer hardening_message_lines_fuzzer
           hardening_field_rules_fuzzer hardening_command_line_fuzzer hardening_document_rules_fuzzer)
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMERVIK_FUZZ=ON >/dev/null
fi
nice -n 10 cmake --build "$build" -j "${VELMORA_JOBS:-2}" --target "${targets[@]}" >/dev/null
mkdir -p "$build/findings" "$build/corpus"
printf '%-34s %12s %8s %s\n' target executions seconds result
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  log="$build/$target.log"
  start=$(date +%s)
  result=clean
  if ! nice -n 10 "$(find "$build" -name "$target" -type f -perm -u+x | head -1)" -runs="$runs" -max_len="${VELMORA_FUZZ_MAX_LEN:-256}" \
       -artifact_prefix="$build/findings/$target-" -print_final_stats=1 \
       -max_total_time="${VELMORA_FUZZ_MAX_TIME:-0}" "$corpus" >"$log" 2>&1; then
    result="FINDING (see $log)"
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  printf '%-34s %12s %8s %s\n' "$target" "${executions:-?}" "$(( $(date +%s) - start ))" "$result"
  [ "$result" = clean ] || exit 1
done
