#!/usr/bin/env bash
# Mervik against msgfmt -c on the same N entries: wall time, peak memory and their ratios
# for a compile, a PO import and a PO export (msgunfmt beside them), then the cost of a
# random look-up in the compiled library.
#
#   mervik/bench/run-bench.sh [N] [BUILD_DIR]
#
# N defaults to 200000. BUILD_DIR (default build/bench) gets an optimised host build
# without sanitizers, made here if it is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
n=${1:-200000}
build=${2:-$root/build/bench}
runs=5

if [ ! -x "$build/program/mervik" ] || [ ! -x "$build/mervik/mervik_lookup_bench" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_SANITIZE=OFF >/dev/null
  cmake --build "$build" -j 2 --target mervik mervik_lookup_bench >/dev/null
fi
mervik=$build/program/mervik
command -v msgfmt >/dev/null || { echo "msgfmt (gettext) is needed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The same entries as a GBK word list and as a UTF-8 .po file: menu items with access keys
# and ellipses, messages with placeholders, plain phrases.
python3 - "$n" "$work" <<'PY'
import random, sys
n, work = int(sys.argv[1]), sys.argv[2]
rnd = random.Random(4)
verbs = [("Open", "打开"), ("Save", "保存"), ("Close", "关闭"), ("Print", "打印"), ("Find", "查找"),
         ("Replace", "替换"), ("Copy", "复制"), ("Paste", "粘贴"), ("Delete", "删除"), ("Export", "导出")]
things = [("file", "文件"), ("document", "文档"), ("word list", "词库"), ("window", "窗口"),
          ("selection", "选定内容"), ("page", "页面"), ("record", "记录"), ("setting", "设置")]
with open(f"{work}/words.trs", "w", encoding="gbk", newline="") as trs, \
     open(f"{work}/words.po", "w", encoding="utf-8", newline="") as po:
    po.write('msgid ""\nmsgstr ""\n"Content-Type: text/plain; charset=UTF-8\\n"\n"Plural-Forms: nplurals=1; plural=0;\\n"\n\n')
    for i in range(n):
        (ve, vc), (te, tc) = rnd.choice(verbs), rnd.choice(things)
        kind = i % 3
        if kind == 0:
            o, t, flag = f"&{ve} the {te} {i}...", f"&{ve[0]}.{vc}{tc} {i}...", ""
        elif kind == 1:
            o, t, flag = f"{ve} %d {te}s in %s ({i})", f"在 %s 中{vc} %d 个{tc}（{i}）", "#, c-format\n"
            t = f"{vc} %d 个{tc}，位于 %s（{i}）"
        else:
            o, t, flag = f"The {te} {i} could not be {ve.lower()}ed.", f"无法{vc}{tc} {i}。", ""
        trs.write(f"{o}={t}\r\n")
        esc = lambda s: s.replace("\\", "\\\\").replace('"', '\\"')
        po.write(f'{flag}msgid "{esc(o)}"\nmsgstr "{esc(t)}"\n\n')
PY

# Best of $runs: wall seconds and peak resident set in KB of one command.
measure() {
  local best_time="" best_kb="" t0 t1 kb
  for _ in $(seq "$runs"); do
    t0=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/rss" "$@" >/dev/null 2>&1
    kb=$(tail -n 1 "$work/rss")
    t1=$(date +%s%N)
    local t=$(( (t1 - t0) / 1000 ))
    if [ -z "$best_time" ] || [ "$t" -lt "$best_time" ]; then best_time=$t; fi
    if [ -z "$best_kb" ] || [ "$kb" -lt "$best_kb" ]; then best_kb=$kb; fi
  done
  echo "$best_time $best_kb"
}

cd "$work"
"$mervik" words.trs out/words "bench" >/dev/null 2>&1 || { echo "mervik failed:" >&2; cat "$build/program/Mervik.ERR" >&2; exit 1; }
msgfmt -c -o words.mo words.po 2>/dev/null
"$mervik" --import-po words.po -o imported.trs >/dev/null 2>&1 || { echo "mervik --import-po failed" >&2; exit 1; }
"$mervik" --export-po words.trs -o exported.po >/dev/null 2>&1 || { echo "mervik --export-po failed" >&2; exit 1; }
msgfmt -c -o exported.mo exported.po || { echo "msgfmt -c refuses the exported file" >&2; exit 1; }

read -r m_us m_kb < <(measure "$mervik" words.trs out/words "bench")
read -r g_us g_kb < <(measure msgfmt -c -o words.mo words.po)
read -r i_us i_kb < <(measure "$mervik" --import-po words.po -o imported.trs)
read -r e_us e_kb < <(measure "$mervik" --export-po words.trs -o exported.po)
read -r u_us u_kb < <(measure msgunfmt -o unfmt.po words.mo)
trs_bytes=$(stat -c %s words.trs)
po_bytes=$(stat -c %s words.po)
lib_bytes=$(stat -c %s out/words.LIB)

awk -v n="$n" -v m_us="$m_us" -v m_kb="$m_kb" -v g_us="$g_us" -v g_kb="$g_kb" \
    -v i_us="$i_us" -v i_kb="$i_kb" -v e_us="$e_us" -v e_kb="$e_kb" -v u_us="$u_us" -v u_kb="$u_kb" \
    -v trs="$trs_bytes" -v po="$po_bytes" -v lib="$lib_bytes" 'BEGIN {
  printf "entries: %d   word list %.1f MB   .po %.1f MB   library %.1f MB\n", n, trs/1048576, po/1048576, lib/1048576
  printf "mervik     : %8.1f ms   peak %7.1f MB   (%.2f x its input)\n", m_us/1000, m_kb/1024, m_kb*1024/trs
  printf "msgfmt -c  : %8.1f ms   peak %7.1f MB   (%.2f x its input)\n", g_us/1000, g_kb/1024, g_kb*1024/po
  printf "speed ratio: mervik is %.1f times faster than msgfmt -c (goal: 10)\n", g_us/m_us
  printf "memory goal: mervik peak under 2 x input: %s\n", (m_kb*1024 < 2*trs) ? "met" : "NOT met"
  printf "import-po  : %8.1f ms   peak %7.1f MB   (%.2f x its input)\n", i_us/1000, i_kb/1024, i_kb*1024/po
  printf "export-po  : %8.1f ms   peak %7.1f MB   (%.2f x its input)\n", e_us/1000, e_kb/1024, e_kb*1024/trs
  printf "msgunfmt   : %8.1f ms   peak %7.1f MB\n", u_us/1000, u_kb/1024
  printf "import ratio: mervik --import-po is %.1f times faster than msgfmt -c, %.1f times than msgunfmt (goal: 5 beside msgfmt -c)\n", g_us/i_us, u_us/i_us
  printf "export ratio: mervik --export-po is %.1f times faster than msgfmt -c, %.1f times than msgunfmt (goal: 5 beside msgfmt -c)\n", g_us/e_us, u_us/e_us
}'
echo -n "look-up (goal: under 100 ns a random hit)            : "
"$build/mervik/mervik_lookup_bench" out/words.LIB 2000000
# The same with glibc backing large allocations by transparent huge pages: fewer TLB misses.
echo -n "look-up with transparent huge pages for the library  : "
GLIBC_TUNABLES=glibc.malloc.hugetlb=1 "$build/mervik/mervik_lookup_bench" out/words.LIB 2000000
