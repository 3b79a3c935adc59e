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
  targets=(mervik_source_fuzzer mervik_library_fuzzer mervik_po_fuzzer mervik_pe_fuzzer hardening_gbk_fuzzer hardening_message_lines_fuzzer
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

# The resource reader starts from a small resource section (a menu, a dialog, a string
# table) as the fuzz target wraps it into a program.
seed_resources() {
  python3 - "$1/seed.rsrc" <<'PY'
import struct, sys
def sz(t): return t.encode("utf-16-le") + b"\0\0"
menu = struct.pack("<HH", 0, 0) + struct.pack("<H", 0x90) + sz("&File") + struct.pack("<HH", 0x80, 100) + sz("&Open")
dialog = struct.pack("<IIHhhhh", 0x80C800C0, 0, 1, 0, 0, 80, 40) + b"\0\0\0\0" + sz("Find") + struct.pack("<H", 8) + sz("MS Shell Dlg")
dialog += b"\0" * (-len(dialog) % 4) + struct.pack("<IIhhhhH", 0x50000000, 0, 5, 5, 40, 14, 1) + struct.pack("<HH", 0xFFFF, 0x80) + sz("OK") + b"\0\0"
strings = struct.pack("<H", 5) + "Ready".encode("utf-16-le") + b"\0\0" * 15
blobs = [(4, menu), (5, dialog), (6, strings)]
out = bytearray(16 + 8 * 3)
struct.pack_into("<H", out, 14, 3)
for i, (kind, blob) in enumerate(blobs):
    names = len(out); out += bytearray(24); struct.pack_into("<H", out, names + 14, 1)
    langs = len(out); out += bytearray(24); struct.pack_into("<H", out, langs + 14, 1)
    entry = len(out); out += bytearray(16)
    struct.pack_into("<II", out, 16 + 8 * i, kind, 0x80000000 | names)
    struct.pack_into("<II", out, names + 16, 1, 0x80000000 | langs)
    struct.pack_into("<II", out, langs + 16, 0x409, entry)
    out += b"\0" * (-len(out) % 4)
    struct.pack_into("<II", out, entry, 0x1000 + len(out), len(blob))
    out += blob
open(sys.argv[1], "wb").write(out)
PY
}

printf '%-34s %12s %8s %s\n' target executions seconds result
for target in "${targets[@]}"; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  if [ "$target" = mervik_library_fuzzer ] && [ -z "$(ls -A "$corpus")" ]; then seed_libraries "$corpus"; fi
  if [ "$target" = mervik_pe_fuzzer ] && [ -z "$(ls -A "$corpus")" ]; then seed_resources "$corpus"; fi
  # A target's dictionary of tokens, where it has one (mervik/fuzz/po.dict for the PO reader).
  dict=$root/mervik/fuzz/${target#mervik_}
  dict=${dict%_fuzzer}.dict
  dict_option=()
  [ ! -f "$dict" ] || dict_option=(-dict="$dict")
  # A resource section with a menu, a dialog and a string table takes some 400 bytes.
  max_len=${VELMORA_FUZZ_MAX_LEN:-256}
  [ "$target" != mervik_pe_fuzzer ] || max_len=${VELMORA_FUZZ_MAX_LEN:-1024}
  log="$build/$target.log"
  start=$(date +%s)
  result=clean
  if ! nice -n 10 "$(find "$build" -name "$target" -type f -perm -u+x | head -1)" -runs="$runs" -max_len="$max_len" \
       -artifact_prefix="$build/findings/$target-" -print_final_stats=1 "${dict_option[@]}" \
       -max_total_time="${VELMORA_FUZZ_MAX_TIME:-0}" "$corpus" >"$log" 2>&1; then
    result="FINDING (see $log)"
  fi
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  printf '%-34s %12s %8s %s\n' "$target" "${executions:-?}" "$(( $(date +%s) - start ))" "$result"
  [ "$result" = clean ] || exit 1
done
