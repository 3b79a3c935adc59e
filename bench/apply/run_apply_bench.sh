#!/usr/bin/env bash
# Mervik --apply on every 32-bit Wine program and DLL that has menus, dialogs or string
# tables, each with a library harvested from itself (harvesting and compiling are not
# timed), against the same replacements through UpdateResource under Wine, and against a
# plain copy of the same files (cp), which is the floor. Warm cache: each timed loop runs
# twice and the second run counts. Writes into the build folder.
# Goals: at least 10 times faster than UpdateResource, at most twice the copy.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
export VELMORA_BUILD=${VELMORA_BUILD:-$root/build}
folder=${1:-/usr/lib/i386-linux-gnu/wine/i386-windows}
[ -d "$folder" ] || { echo "no $folder"; exit 0; }

# A release build of the Linux mervik: the test build's sanitizers would be measured too.
release=$VELMORA_BUILD/bench-release
[ -f "$release/CMakeCache.txt" ] || cmake -S "$root" -B "$release" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$release" --target mervik -j "$(nproc)" >/dev/null
mervik=$release/program/mervik

work=$VELMORA_BUILD/bench-apply
rm -rf "$work" && mkdir -p "$work"/{lists,out-mervik,out-cp,out-update}
files=()
for f in "$folder"/*.exe "$folder"/*.dll; do
  n=$(basename "$f")
  "$mervik" --extract "$f" -o "$work/lists/$n.trs" >/dev/null 2>&1 || continue
  [ -s "$work/lists/$n.trs" ] || continue
  if "$mervik" "$work/lists/$n.trs" "$work/lists/$n.LIB" harvest >/dev/null 2>&1; then
    lib=$work/lists/$n.LIB
  else
    lib=$work/lists/$n.trs
  fi
  files+=("$f|$lib")
done
bytes=0
for e in "${files[@]}"; do bytes=$((bytes + $(stat -c %s "${e%%|*}"))); done
echo "files: ${#files[@]} with menus, dialogs or string tables, $((bytes / 1024 / 1024)) MB"

now() { date +%s%N; }
run_mervik() {
  for e in "${files[@]}"; do
    f=${e%%|*}; "$mervik" --apply "$f" --library "${e#*|}" -o "$work/out-mervik/$(basename "$f")" >/dev/null 2>&1
  done
}
run_cp() { for e in "${files[@]}"; do f=${e%%|*}; cp "$f" "$work/out-cp/$(basename "$f")"; done; }
run_mervik; t0=$(now); run_mervik; t1=$(now)
run_cp; t2=$(now); run_cp; t3=$(now)
mervik_ms=$(( (t1 - t0) / 1000000 )) cp_ms=$(( (t3 - t2) / 1000000 ))

# The peer under Wine: its list names the files by their Z: paths.
source "$root/scripts/windows-arch.sh"
velmora_select_windows_arch
update_ms=""
if bash "$root/scripts/build.sh" win >/dev/null 2>&1 || cmake --build "$VELMORA_WIN_BUILD" --target apply_update_resource_peer >/dev/null 2>&1; then
  peer=$(find "$VELMORA_WIN_BUILD" -name apply_update_resource_peer.exe | head -1)
  list=$work/update-list.txt
  : > "$list"
  for e in "${files[@]}"; do
    f=${e%%|*}; n=$(basename "$f")
    echo "Z:${f//\//\\}|Z:${work//\//\\}\\out-update\\$n|Z:${work//\//\\}\\out-mervik\\$n" >> "$list"
  done
  source "$root/scripts/wine-env.sh"
  trap velmora_stop EXIT
  velmora_start_xvfb
  velmora_ensure_prefix
  wine "$peer" "$(echo "Z:${list//\//\\}")" > "$work/peer1.txt" 2>/dev/null || true
  wine "$peer" "$(echo "Z:${list//\//\\}")" > "$work/peer.txt" 2>/dev/null || true
  cat "$work/peer.txt"
  update_ms=$(sed -n 's/.*ms=\([0-9.]*\).*/\1/p' "$work/peer.txt" | tr -d '\r')
fi

echo "Linux mervik --apply: ${mervik_ms} ms   cp: ${cp_ms} ms   UpdateResource under Wine: ${update_ms:-n/a} ms"
awk -v m="$mervik_ms" -v c="$cp_ms" -v u="${update_ms:-0}" 'BEGIN {
  if (c > 0) printf "mervik / cp = %.2f (goal <= 2)\n", m / c;
  if (u > 0 && m > 0) printf "UpdateResource / mervik = %.1f (goal >= 10)\n", u / m;
}'
