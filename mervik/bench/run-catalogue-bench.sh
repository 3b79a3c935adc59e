#!/usr/bin/env bash
# The machine's Simplified-Chinese catalogues (the .mo files under /usr/share/locale,
# turned back into PO files with msgunfmt beforehand, not timed) through Mervik's PO
# import, compile and PO export, beside msgfmt -c on the same PO files, in one run:
# entries, the wall time of each step over all catalogues (best of RUNS), and each
# step's ratio to msgfmt -c. One process per catalogue on both sides.
#
#   mervik/bench/run-catalogue-bench.sh [BUILD_DIR] [MO FILE...]
#
# BUILD_DIR (default build/bench) gets an optimised host build without sanitizers.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/bench}
shift || true
runs=${RUNS:-5}

if [ ! -x "$build/program/mervik" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_SANITIZE=OFF >/dev/null
fi
cmake --build "$build" -j 2 --target mervik >/dev/null
mervik=$build/program/mervik
for tool in msgfmt msgunfmt; do
  command -v $tool >/dev/null || { echo "$tool (gettext) is needed: run scripts/setup.sh" >&2; exit 2; }
done

if [ $# -gt 0 ]; then mos=("$@"); else mapfile -t mos < <(ls /usr/share/locale/zh_CN/LC_MESSAGES/*.mo); fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
names=()
for mo in "${mos[@]}"; do
  name=$(basename "$mo" .mo)
  LC_ALL=C.UTF-8 msgunfmt -o "$work/$name.po" "$mo" 2>/dev/null
  names+=("$name")
done
export LC_ALL=C.UTF-8

now() { date +%s.%N; }
best() {  # the fastest of $runs runs of the function $1, in seconds
  local b="" start t
  for _ in $(seq "$runs"); do
    start=$(now)
    "$1"
    t=$(python3 -c "print($(now) - $start)")
    b=$(python3 -c "print(min(float('${b:-$t}'), $t))")
  done
  echo "$b"
}

import_all() { for n in "${names[@]}"; do "$mervik" --import-po "$work/$n.po" -o "$work/$n.trs" >/dev/null 2>&1 || true; done; }
compile_all() { for n in "${names[@]}"; do "$mervik" "$work/$n.trs" "$work/$n.LIB" "$n" >/dev/null 2>&1 || true; done; }
export_all() {
  for n in "${names[@]}"; do
    [ -f "$work/$n.LIB" ] && "$mervik" --export-po "$work/$n.LIB" -o "$work/$n.back.po" >/dev/null 2>&1 || true
  done
}
msgfmt_all() { for n in "${names[@]}"; do msgfmt -c -o /dev/null "$work/$n.po" >/dev/null 2>&1 || true; done; }

# Each step once before timing: the page cache is warm and every input of the next step exists.
import_all
compile_all
export_all
msgfmt_all
import_s=$(best import_all)
compile_s=$(best compile_all)
export_s=$(best export_all)
msgfmt_s=$(best msgfmt_all)

python3 - "$work" "$import_s" "$compile_s" "$export_s" "$msgfmt_s" "$runs" "${names[@]}" <<'PY'
import os, re, sys
work, runs, names = sys.argv[1], sys.argv[6], sys.argv[7:]
i, c, e, m = (float(x) for x in sys.argv[2:6])
entries = sum(len(re.findall(rb"^msgid ", open(os.path.join(work, n + ".po"), "rb").read(), re.M)) - 1 for n in names)
po_bytes = sum(os.path.getsize(os.path.join(work, n + ".po")) for n in names)
libraries = sum(os.path.exists(os.path.join(work, n + ".LIB")) for n in names)
print(f"{len(names)} catalogues, {entries} entries, {po_bytes / 1e6:.1f} MB of PO; "
      f"{libraries} libraries compiled; best of {runs} runs")
print(f"{'step':32} {'seconds':>9} {'entries/s':>11} {'msgfmt -c / step':>17}")
for label, t in (("mervik --import-po", i), ("mervik (compile)", c), ("mervik --export-po", e),
                 ("import + compile + export", i + c + e), ("import + compile", i + c), ("msgfmt -c", m)):
    print(f"{label:32} {t:9.3f} {entries / t:11.0f} {m / t:16.2f}x")
print(f"goal: each step faster than msgfmt -c (ratio above 1x)")
PY
