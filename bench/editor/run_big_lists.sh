#!/usr/bin/env bash
# Big word lists under Wine: the bare control streaming in 10 MB and 50 MB of GBK text
# (the floor) beside the editor opening the same file through its dialog, each in a
# process of its own so that its peak memory is its own, with the ratios; and 全部替换
# on the 10 MB list beside the bare control loading the replaced text.
# VELMORA_BUILD: the build folder (default: build). Arguments: the sizes in MB
# (default: 10 50).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/bench/support/wine-bench.sh" editor_speed_bench
cd "$VELMORA_WIN_BUILD/bench/editor"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(10 50)
out=big_lists.out
: > "$out"
for mb in "${sizes[@]}"; do
  for side in floor ours; do
    VELMORA_BIG_MB=$mb VELMORA_BIG_SIDE=$side WINEDEBUG=-all timeout 1200 nice -n 10 \
      wine ./editor_speed_bench.exe --gtest_filter=EditorSpeed.BigList 2>/dev/null |
      iconv -f GBK -t UTF-8 | grep '^BIG ' | tee -a "$out" || echo "BIG side=$side mb=$mb failed" | tee -a "$out"
  done
done
# The table: ours beside the floor, time and peaks, with the ratios.
awk '
  function field(name,   i, kv) { for (i = 2; i <= NF; ++i) { split($i, kv, "="); if (kv[1] == name) return kv[2] } return "" }
  /what=(open|replace) / { key = field("mb") " " field("what"); side = field("side")
            ms[side, key] = field("ms"); ws[side, key] = field("peak_ws"); pv[side, key] = field("private")
            keys[key] = 1 }
  /refused/ { refused[field("mb")] = 1 }
  / failed$/ { failed[field("side"), field("mb")] = 1 }
  END {
    print ""
    print "| list | what | floor ms | ours ms | time ratio | floor peak WS / private MB | ours peak WS / private MB | memory ratio (WS, private) | goal |"
    print "|---|---|---|---|---|---|---|---|---|"
    for (key in keys) {
      split(key, k, " "); f = ms["floor", key]; o = ms["ours", key]
      goal = k[2] == "open" ? "time <= 1.2 x, memory <= 1.3 x" : "time <= 1.5 x"
      tr = (f > 0 && o != "") ? sprintf("%.2f x", o / f) : "-"
      mr = (ws["floor", key] > 0 && ws["ours", key] != "") ? sprintf("%.2f x, %.2f x", ws["ours", key] / ws["floor", key], pv["ours", key] / pv["floor", key]) : "-"
      printf "| %s MB | %s | %s | %s | %s | %s / %s | %s / %s | %s | %s |\n", k[1], k[2], (f == "" && failed["floor", k[1]] ? "failed (ran out of memory)" : f), (o == "" && refused[k[1]] ? "refused" : o), tr, ws["floor", key], pv["floor", key], ws["ours", key], pv["ours", key], mr, goal
    }
  }' "$out"
