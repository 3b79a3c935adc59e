#!/usr/bin/env bash
# Compiling with every check on (placeholders, access keys, blanks, end punctuation and
# the Chinese typography checks) beside `msgfmt -c` checking the same entries, in one
# run: entries, wall and processor times (best of five) and the ratios.
#
#   mervik/bench/run-check-bench.sh [ENTRIES] [BUILD_DIR]
#
# The entries are the real translations of the machine's Chinese catalogues, repeated
# with a number in front of each original and translation until there are ENTRIES
# (default 200000). BUILD_DIR (default build/bench) gets an optimised host build.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
entries=${1:-200000}
build=${2:-$root/build/bench}
catalogues=/usr/share/locale/zh_CN/LC_MESSAGES
command -v msgfmt >/dev/null && command -v msgunfmt >/dev/null || { echo "msgfmt and msgunfmt are needed" >&2; exit 2; }

if [ ! -x "$build/program/mervik" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_SANITIZE=OFF >/dev/null
fi
cmake --build "$build" -j 2 --target mervik >/dev/null
mervik=$build/program/mervik

work=$(mktemp -d)
# VELMORA_BENCH_KEEP=1 keeps the generated files for a profiler.
[ -n "${VELMORA_BENCH_KEEP:-}" ] && echo "files in $work" || trap 'rm -rf "$work"' EXIT
n=0
for mo in "$catalogues"/*.mo; do
  msgunfmt "$mo" >"$work/c.po" 2>/dev/null || continue
  "$mervik" --import-po "$work/c.po" -o "$work/c$n.trs" >/dev/null 2>&1 || true
  # Only catalogues that compile: msgfmt -c must get the same entries, with no error.
  [ -s "$work/c$n.trs" ] && "$mervik" "$work/c$n.trs" "$work/c.LIB" "x" >/dev/null 2>&1 && n=$((n + 1))
done
echo "catalogues imported that compile without an error: $n"

# Entries only (no comments, no untranslated ones), numbered until there are enough.
python3 - "$work" "$n" "$entries" <<'PY'
import sys
work, n, wanted = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
pool = []
for k in range(n):
    for line in open(f"{work}/c{k}.trs", "rb").read().split(b"\r\n"):
        if not line or line.startswith(b";") or line.endswith(b"="):
            continue
        pool.append(line)
out = []
i = 0
while len(out) < wanted:
    line = pool[i % len(pool)]
    i += 1
    if b"\\=" in line:  # an escaped '=' in the original: skipped for simplicity
        continue
    original, _, translation = line.partition(b"=")
    out.append(b"%d %s=%d %s" % (i, original, i, translation))
open(f"{work}/big.trs", "wb").write(b"\r\n".join(out) + b"\r\n")
print(f"entries: {len(out)} (from {len(pool)} real translations)")
PY
"$mervik" --export-po "$work/big.trs" -o "$work/big.po" >/dev/null 2>&1 || true
echo "PO file: $(grep -c '^msgid ' "$work/big.po") messages, $(du -h "$work/big.po" | cut -f1)"

# The best wall time and the best processor time (user + system) of five runs: the
# machine may be busy with other work, and the best run is the one it disturbed least.
best() {
  python3 - "$@" <<'PY'
import os, subprocess, sys, time
walls, cpus = [], []
for _ in range(5):
    before = os.times()
    start = time.perf_counter()
    subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    walls.append(time.perf_counter() - start)
    after = os.times()
    cpus.append((after.children_user - before.children_user) + (after.children_system - before.children_system))
print(f"{min(walls):.3f} {min(cpus):.3f}")
PY
}
cd "$work"
read -r ours ours_cpu < <(best "$mervik" big.trs big.LIB "bench")
"$mervik" big.trs big.LIB "bench" >/dev/null 2>&1 || true
read -r theirs theirs_cpu < <(best msgfmt -c -o big.mo big.po)
echo "Mervik messages: $(grep -c ': ' "$build/program/Mervik.ERR" 2>/dev/null || echo '?') (see Mervik.ERR)"
printf 'Mervik, every check on:  %8.3f s (processor time %.3f s; a large list uses two threads)\n' "$ours" "$ours_cpu"
printf 'msgfmt -c:               %8.3f s (processor time %.3f s)\n' "$theirs" "$theirs_cpu"
python3 -c "print('ratio (msgfmt -c / Mervik): %.1f x wall time, %.1f x processor time' % ($theirs / $ours, $theirs_cpu / $ours_cpu))"
