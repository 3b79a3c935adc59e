#!/usr/bin/env bash
# KORVEX under Wine with N entries (default 200,000, the compiler benchmark's kind of
# entries): open, one filter keystroke, save and peak memory beside Mervik.exe's compile
# time of the same entries. VELMORA_BUILD: the build folder (default: build).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
n=${1:-200000}
source "$root/bench/support/wine-bench.sh" korvex_bench mervik

work="$VELMORA_WIN_BUILD/bench/korvex/work"
rm -rf "$work"
mkdir -p "$work"
# Menu items with access keys and ellipses, messages with placeholders, plain phrases.
python3 - "$n" "$work/words.trs" <<'PY'
import random, sys
n, out = int(sys.argv[1]), sys.argv[2]
rnd = random.Random(4)
verbs = [("Open", "打开"), ("Save", "保存"), ("Close", "关闭"), ("Print", "打印"), ("Find", "查找"),
         ("Replace", "替换"), ("Copy", "复制"), ("Paste", "粘贴"), ("Delete", "删除"), ("Export", "导出")]
things = [("file", "文件"), ("document", "文档"), ("word list", "词库"), ("window", "窗口"),
          ("selection", "选定内容"), ("page", "页面"), ("record", "记录"), ("setting", "设置")]
with open(out, "w", encoding="gbk", newline="") as trs:
    for i in range(n):
        (ve, vc), (te, tc) = rnd.choice(verbs), rnd.choice(things)
        kind = i % 3
        if kind == 0:
            o, t = f"&{ve} the {te} {i}...", f"&{ve[0]}.{vc}{tc} {i}..."
        elif kind == 1:
            o, t = f"{ve} %d {te}s in %s ({i})", f"{vc} %d 个{tc}，位于 %s（{i}）"
        else:
            o, t = f"The {te} {i} could not be {ve.lower()}ed.", f"无法{vc}{tc} {i}。"
        # Some entries wait: untranslated ones, and pre-translated ones to review.
        if i % 20 == 5:
            trs.write(f";@review 80% 原文“{o}”（memory.LIB）\r\n")
        trs.write(f"{o}={'' if i % 10 == 9 else t}\r\n")
PY
cp "$VELMORA_WIN_BUILD/program/Mervik.exe" "$work/"
cp "$VELMORA_WIN_BUILD/bench/korvex/korvex_bench.exe" "$work/"

cd "$work"
timeout 900 wine ./korvex_bench.exe words.trs Mervik.exe >"$work/figures.txt"
iconv -f GBK -t UTF-8 "$work/figures.txt"
# Figures from a shared machine mean little without its load.
echo "load average $(cut -d" " -f1-3 /proc/loadavg) on $(nproc) cores"
