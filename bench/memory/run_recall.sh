#!/usr/bin/env bash
# Recall of the memory's index against brute force on held-out real queries: the
# installed zh_CN catalogues are split, a tenth of them (every tenth by name) give the
# queries as their originals stand (access keys of every toolkit, shortcuts, colons and
# ellipses included), the rest make the memory. Figures, never asserted.
#   bench/memory/run_recall.sh [BUILD_DIR] [QUERIES]   (default build/bench, 1000)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/bench}
count=${2:-1000}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_SANITIZE=OFF >/dev/null
fi
cmake --build "$build" -j 2 --target mervik memory_bench >/dev/null
mervik=$build/program/mervik
bench=$build/bench/memory/memory_bench
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/po" "$work/LIB" "$work/held"
i=0
for mo in /usr/share/locale/zh_CN/LC_MESSAGES/*.mo; do
  name=$(basename "$mo" .mo)
  msgunfmt "$mo" -o "$work/po/$name.po" 2>/dev/null || continue
  "$mervik" --import-po "$work/po/$name.po" -o "$work/po/$name.trs" >/dev/null 2>&1 || continue
  i=$((i + 1))
  if [ $((i % 10)) -eq 0 ]; then
    cp "$work/po/$name.trs" "$work/held/"
    echo "held out: $name"
  else
    "$mervik" "$work/po/$name.trs" "$work/LIB/$name" "$name" >/dev/null 2>&1 || true
  fi
done
# The held-out originals, one a line as the word list writes them (GBK), without
# escapes: a random thousand of the ones on a single line.
python3 - "$work/held" "$work/queries.txt" "$count" <<'PY'
import os, random, sys
folder, out, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
originals = []
for name in sorted(os.listdir(folder)):
    with open(os.path.join(folder, name), "rb") as f:
        for line in f.read().split(b"\r\n"):
            if not line or line.startswith(b";") or b"=" not in line:
                continue
            original = line.split(b"=", 1)[0]
            if b"\\" in original.replace(b"\\t", b"") or len(original) > 120:
                continue
            originals.append(original.replace(b"\\t", b"\t"))
random.Random(7).shuffle(originals)
with open(out, "wb") as f:
    for o in originals[:count]:
        f.write(o + b"\r\n")
print(f"{min(count, len(originals))} queries of {len(originals)} held-out originals")
PY
"$bench" held "$work/LIB" "$work/queries.txt"
