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
nice -n 10 cmake --build "$build" -j "${VELMORA_JOBS:-2}" --target "${targets[@]}" mervik >/dev/null
mkdir -p "$build/findings" "$build/corpus"

# Random bytes almost never get past a library's header, so the library target starts
# from small libraries compiled by Mervik itself.
seed_libraries() {
  local corpus=$1 seeds
  seeds=$(mktemp -d)
  printf 'File=文件\r\n&Open...=打开(&O)...\r\n' >"$seeds/a.utf8"
  printf 'Save %%s=保存 %%s\r\nA=甲\r\nB=乙\r\nC=丙\r\n' >"$seeds/b.utf8"
  printf ';@no-placeholder-check\r\n%%1 of %%2=第 %%2 之 %%1\r\nTab\\tEnd=制表\\t结束\r\n' >"$seeds/c.utf8"
  local mervik
  mervik=$(find "$build" -name mervik -type f -perm -u+x | head -1)
  for source in "$seeds"/*.utf8; do
    iconv -f UTF-8 -t GBK "$source" >"${source%.utf8}.trs"
    "$mervik" "${source%.utf8}.trs" "$corpus/$(basename "${source%.utf8}").LIB" "种子" >/dev/null 2>&1 || true
  done
  rm -rf "$seeds"
}

printf '%-34s %12s %8s %s\n' target executions seconds result
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  if [ "$target" = mervik_library_fuzzer ] && [ -z "$(ls -A "$corpus")" ]; then seed_libraries "$corpus"; fi
  # A target's dictionary of tokens, where it has one (mervik/fuzz/po.dict for the PO reader).
  dict=$root/mervik/fuzz/${target#mervik_}
  dict=${dict%_fuzzer}.dict
  dict_option=()
  [ ! -f "$dict" ] || dict_option=(-dict="$dict")
  log="$build/$target.log"
  start=$(date +%s)
  result=clean
  if ! nice -n 10 "$(find "$build" -name "$target" -type f -perm -u+x | head -1)" -runs="$runs" -max_len="${VELMORA_FUZZ_MAX_LEN:-256}" \
       -artifact_prefix="$build/findings/$target-" -print_final_stats=1 "${dict_option[@]}" \
       -max_total_time="${VELMORA_FUZZ_MAX_TIME:-0}" "$corpus" >"$log" 2>&1; then
    result="FINDING (see $log)"
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  printf '%-34s %12s %8s %s\n' "$target" "${executions:-?}" "$(( $(date +%s) - start ))" "$result"
  [ "$result" = clean ] || exit 1
done
