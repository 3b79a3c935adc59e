#!/usr/bin/env bash
# KORVEX's suggestion pane with a memory of N entries (default 1,000,000, the memory
# benchmark's kind: the installed zh_CN catalogues' translations multiplied with varied
# words and numbers), under Wine: the time from a selection to the pane painted with its
# suggestions. Figures only. VELMORA_BUILD: the build folder (default: build).
#   bench/korvex/run_pane_bench.sh [N] [SELECTIONS]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
n=${1:-1000000}
selections=${2:-300}
source "$root/bench/support/wine-bench.sh" korvex_pane_bench

# The memory is made on the host by the memory benchmark's generator (optimised build).
host=$VELMORA_BUILD/bench
if [ ! -f "$host/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$host" -DCMAKE_BUILD_TYPE=Release -DVELMORA_SANITIZE=OFF >/dev/null
fi
cmake --build "$host" -j "${VELMORA_JOBS:-2}" --target mervik memory_bench >/dev/null
command -v msgunfmt >/dev/null || { echo "msgunfmt (gettext) is needed" >&2; exit 2; }

work="$VELMORA_WIN_BUILD/bench/korvex/pane-work"
rm -rf "$work"
mkdir -p "$work/po" "$work/LIB" "$work/BIG"
for mo in /usr/share/locale/zh_CN/LC_MESSAGES/*.mo; do
  name=$(basename "$mo" .mo)
  msgunfmt "$mo" -o "$work/po/$name.po" 2>/dev/null || continue
  "$host/program/mervik" --import-po "$work/po/$name.po" -o "$work/po/$name.trs" >/dev/null 2>&1 || continue
  "$host/program/mervik" "$work/po/$name.trs" "$work/LIB/$name" "$name" >/dev/null 2>&1 || true
done
"$host/bench/memory/memory_bench" multiply "$work/LIB" "$work/BIG" "$n" "$work/list.trs" 1
echo "memory: $(ls "$work/BIG" | wc -l) libraries, $(du -sh "$work/BIG" | cut -f1)"

cp "$VELMORA_WIN_BUILD/bench/korvex/korvex_pane_bench.exe" "$work/"
cd "$work"
# A library in the middle of the folder: its originals carry a word and a number.
timeout 900 wine ./korvex_pane_bench.exe 'BIG\m2.LIB' "$selections" >"$work/figures.txt"
iconv -f GBK -t UTF-8 "$work/figures.txt"
echo "load average $(cut -d" " -f1-3 /proc/loadavg) on $(nproc) cores"
