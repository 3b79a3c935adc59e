#!/usr/bin/env bash
# Extraction from every PE file of a folder of Windows programs and DLLs (default: Wine's
# 32-bit ones) beside windres decompiling the same files to resource scripts, in one run:
# files, texts, paired translations, wall times and the ratio.
#
#   mervik/bench/run-extract-bench.sh [FOLDER] [BUILD_DIR]
#
# BUILD_DIR (default build/bench) gets an optimised host build without sanitizers.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
folder=${1:-/usr/lib/i386-linux-gnu/wine/i386-windows}
[ -d "$folder" ] || folder=/usr/lib/wine/i386-windows
build=${2:-$root/build/bench}
windres=${WINDRES:-i686-w64-mingw32-windres}

if [ ! -x "$build/program/mervik" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_SANITIZE=OFF >/dev/null
fi
cmake --build "$build" -j 2 --target mervik >/dev/null
mervik=$build/program/mervik
command -v "$windres" >/dev/null || { echo "$windres is needed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The PE files: programs and DLLs, and the drivers and control-panel items beside them.
mapfile -t files < <(find "$folder" -maxdepth 1 -type f \( -name '*.exe' -o -name '*.dll' -o -name '*.drv' \
                     -o -name '*.cpl' -o -name '*.ocx' -o -name '*.sys' -o -name '*.acm' -o -name '*.ax' \) | sort)
echo "folder: $folder (${#files[@]} PE files)"

now() { date +%s.%N; }
# Warm the page cache so that neither side pays for the first read.
cat "${files[@]}" >/dev/null

start=$(now)
"$mervik" --extract "${files[@]}" -o "$work/all.trs" >"$work/mervik.out" 2>&1 || true
mervik_s=$(python3 -c "print($(now) - $start)")
tail -2 "$work/mervik.out"

start=$(now)
failed=0
with_resources=()
for f in "${files[@]}"; do
  if "$windres" -i "$f" -O rc -o "$work/out.rc" 2>/dev/null; then with_resources+=("$f"); else failed=$((failed + 1)); fi
done
windres_s=$(python3 -c "print($(now) - $start)")

# The same on the files windres could decompile (the others have no resources, which
# windres takes for an error).
start=$(now)
"$mervik" --extract "${with_resources[@]}" -o "$work/some.trs" >/dev/null 2>&1 || true
mervik_some_s=$(python3 -c "print($(now) - $start)")
start=$(now)
for f in "${with_resources[@]}"; do "$windres" -i "$f" -O rc -o "$work/out.rc"; done
windres_some_s=$(python3 -c "print($(now) - $start)")

python3 - "$work/all.trs" "$mervik_s" "$windres_s" "$failed" "${#files[@]}" "$mervik_some_s" "$windres_some_s" \
  "${#with_resources[@]}" <<'PY'
import sys
path, m, w, failed, files = sys.argv[1], float(sys.argv[2]), float(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])
ms, ws, some = float(sys.argv[6]), float(sys.argv[7]), int(sys.argv[8])
entries = places = 0
try:
    for line in open(path, "rb").read().decode("gbk").split("\r\n"):
        if line.startswith(";"):
            places += 1
        elif line:
            entries += 1
except FileNotFoundError:
    pass
print(f"{'':28} {'files':>6} {'seconds':>9} {'files/s':>9}")
print(f"{'mervik --extract':28} {files:6d} {m:9.3f} {files / m:9.0f}")
print(f"{'windres -O rc':28} {files:6d} {w:9.3f} {files / w:9.0f}   ({failed} failed)")
print(f"ratio windres / mervik: {w / m:.1f}x (goal >= 10x)")
print(f"{'mervik, files with resources':28} {some:6d} {ms:9.3f} {some / ms:9.0f}")
print(f"{'windres, the same files':28} {some:6d} {ws:9.3f} {some / ws:9.0f}")
print(f"ratio on the files with resources: {ws / ms:.1f}x")
print(f"list: {entries} originals, {places} places (comment lines)")
PY
