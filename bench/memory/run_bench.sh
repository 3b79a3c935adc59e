#!/usr/bin/env bash
# The translation memory's figures (printed, never asserted):
#  1. a memory of real translations: the installed zh_CN catalogues, each unpacked with
#     msgunfmt, imported with mervik --import-po and compiled into a library;
#  2. 1,000 queries made from its originals (some as they are, most with a word replaced,
#     left out or added, or another number): recall of the index against comparing with
#     every entry (brute force), and the look-up times of both;
#  3. the same look-ups through mervik --suggest-file, one process;
#  4. msgmerge with a compendium of the same memory, for the same queries;
#  5. a memory of 1,000,000 entries (the real ones multiplied with varied words and
#     numbers): build time and peak memory, look-up times, and mervik --pretranslate of a
#     list of 200,000 entries (VELMORA_MEMORY_BENCH_LIST for fewer).
#
#   bench/memory/run_bench.sh [BUILD_DIR]     (default build/bench: optimised, no sanitizers)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/bench}
big=${VELMORA_MEMORY_BENCH_ENTRIES:-1000000}
# The goal's size: 200,000 entries (a smaller list for a quick run; its time is scaled up).
list_size=${VELMORA_MEMORY_BENCH_LIST:-200000}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVELMORA_SANITIZE=OFF >/dev/null
fi
cmake --build "$build" -j 2 --target mervik memory_bench >/dev/null
mervik=$build/program/mervik
bench=$build/bench/memory/memory_bench
for tool in msgunfmt msgmerge msgcat; do
  command -v $tool >/dev/null || { echo "$tool (gettext) is needed" >&2; exit 2; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/po" "$work/LIB" "$work/BIG"

echo "== 1. the memory: installed zh_CN catalogues"
catalogues=0
for mo in /usr/share/locale/zh_CN/LC_MESSAGES/*.mo; do
  name=$(basename "$mo" .mo)
  msgunfmt "$mo" -o "$work/po/$name.po" 2>/dev/null || continue
  "$mervik" --import-po "$work/po/$name.po" -o "$work/po/$name.trs" >/dev/null 2>&1 || continue
  # A catalogue whose list does not compile (two translations of one original) stays out.
  "$mervik" "$work/po/$name.trs" "$work/LIB/$name" "$name" >/dev/null 2>&1 && catalogues=$((catalogues + 1))
done
echo "$catalogues catalogues compiled into libraries"

echo
echo "== 2. index against brute force, 1,000 queries (in one process)"
"$bench" real "$work/LIB" "$work/queries.txt" 1000

echo
echo "== 3. mervik --suggest-file, the same queries"
"$mervik" --suggest-file "$work/queries.txt" --memory "$work/LIB" > "$work/suggest.out"
tail -n 2 "$work/suggest.out" | iconv -f GBK -t UTF-8

echo
echo "== 4. msgmerge with a compendium of the same memory, the same queries"
msgcat --use-first --to-code=UTF-8 -o "$work/compendium.po" "$work"/po/*.po 2>/dev/null || true
[ -s "$work/compendium.po" ] || { echo "msgcat could not make the compendium" >&2; exit 2; }
python3 - "$work/queries.txt" "$work/queries.pot" <<'PY'
import sys
with open(sys.argv[1], encoding="gbk") as f, open(sys.argv[2], "w", encoding="utf-8") as out:
    out.write('msgid ""\nmsgstr ""\n"Content-Type: text/plain; charset=UTF-8\\n"\n\n')
    seen = set()
    for line in f:
        q = line.rstrip("\r\n")
        if not q or q in seen:
            continue
        seen.add(q)
        out.write('msgid "%s"\nmsgstr ""\n\n' % q.replace("\\", "\\\\").replace('"', '\\"'))
PY
queries=$(grep -c '^msgid "..*"' "$work/queries.pot")
start=$(date +%s.%N)
# An empty catalogue brought up to the queries: every translation comes from the
# compendium, exact or by msgmerge's fuzzy search.
printf 'msgid ""\nmsgstr ""\n"Content-Type: text/plain; charset=UTF-8\\n"\n' > "$work/empty.po"
msgmerge --quiet --compendium="$work/compendium.po" -o "$work/merged.po" "$work/empty.po" "$work/queries.pot"
end=$(date +%s.%N)
python3 -c "import sys; t=float(sys.argv[2])-float(sys.argv[1]); n=int(sys.argv[3]); print('msgmerge: %d queries in %.2f s = %.2f ms a look-up (whole run)' % (n, t, 1000*t/n))" "$start" "$end" "$queries"
echo "of them translated: $(grep -c '^msgstr "..*"' "$work/merged.po" || true), marked fuzzy: $(grep -c '^#, fuzzy' "$work/merged.po" || true)"

echo
echo "== 5. a memory of $big entries"
"$bench" multiply "$work/LIB" "$work/BIG" "$big" "$work/list.trs" "$list_size"
"$bench" big "$work/BIG" "$work/queries.txt"
echo "mervik --suggest-file over it (one process):"
"$mervik" --suggest-file "$work/queries.txt" --memory "$work/BIG" > "$work/suggest-big.out"
tail -n 2 "$work/suggest-big.out" | iconv -f GBK -t UTF-8
echo "mervik --pretranslate of $list_size entries over it (index build included):"
# Mervik writes its messages in the terminal's encoding itself. Python times the run and
# reads the child's peak memory.
python3 - "$mervik" "$work" "$list_size" <<'PY'
import resource, subprocess, sys, time
mervik, work, n = sys.argv[1], sys.argv[2], int(sys.argv[3])
start = time.monotonic()
run = subprocess.run([mervik, "--pretranslate", work + "/list.trs", "--memory", work + "/BIG", "-o", work + "/out.trs"],
                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
t = time.monotonic() - start
usage = resource.getrusage(resource.RUSAGE_CHILDREN)
print(run.stdout.decode(errors="replace").strip().splitlines()[-1])
print("pretranslate: %d entries in %.1f s (%.1f s of processor time), %.2f ms an entry, peak memory %d MB"
      % (n, t, usage.ru_utime + usage.ru_stime, 1000 * t / n, usage.ru_maxrss // 1024))
print("for 200,000 entries: %.0f s, %.2f x the goal of 60 s" % (t * 200000 / n, t * 200000 / n / 60))
PY
