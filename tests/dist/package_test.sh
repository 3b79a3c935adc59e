#!/usr/bin/env bash
# package.sh twice over the same programs gives the same bytes, and the zip holds the
# program folder as the user should get it. Leaves the artefacts for the other tests.
source "$(dirname "$0")/test-lib.sh"
: "${VELMORA_ARTEFACTS:?}"
rm -rf "$VELMORA_ARTEFACTS"

# The programs to package, laid out as a build gives them: the development build's,
# without their debugging information (which would only make the packaging slow), with the
# library editor and a help file (whose name comes in another case) where the build has
# none, so that the package and the installer are checked with every optional part.
build=$VELMORA_ARTEFACTS/build
program=$build/program
mkdir -p "$program" "$build/generated" "$build/app/images"
for exe in Velmora.exe Mervik.exe; do
  "${VELMORA_STRIP:-i686-w64-mingw32-strip}" -o "$program/$exe" "$VELMORA_WIN_BUILD/program/$exe"
done
korvex=$(find "$VELMORA_WIN_BUILD/program" -maxdepth 1 -iname korvex.exe -print -quit)
"${VELMORA_STRIP:-i686-w64-mingw32-strip}" -o "$program/$(basename "${korvex:-korvex.exe}")" "${korvex:-$VELMORA_WIN_BUILD/program/Mervik.exe}"
help_file=$(find "$VELMORA_WIN_BUILD/program" -maxdepth 1 -iname saffel.hlp -print -quit)
if [ -n "$help_file" ]; then cp "$help_file" "$program/"; else printf '?_\3\0not a help file\n' >"$program/SAFFEL.HLP"; fi
cp "$VELMORA_WIN_BUILD/generated/velmora_version.h" "$build/generated/"
cp "$VELMORA_WIN_BUILD/app/images/velmora.ico" "$build/app/images/"

for run in first second; do
  bash "$VELMORA_SOURCE/scripts/package.sh" --program-dir "$program" --out "$VELMORA_ARTEFACTS/$run" \
    >"$VELMORA_ARTEFACTS/$run.log"
done
cat "$VELMORA_ARTEFACTS/first.log"
for artefact in portable.zip setup.exe; do
  first=$(ls "$VELMORA_ARTEFACTS"/first/Velmora-*-"$artefact")
  second=$(ls "$VELMORA_ARTEFACTS"/second/Velmora-*-"$artefact")
  check "$artefact: the same bytes from two runs" cmp -s "$first" "$second"
  check "$artefact: its SHA-256 is printed" grep -qF "$(sha256sum "$first" | cut -d' ' -f1)" "$VELMORA_ARTEFACTS/first.log"
done
ln -sfn first "$VELMORA_ARTEFACTS/current"

check "the zip holds the program folder, LIB\\ and the documents, and nothing else" \
  python3 - "$VELMORA_ARTEFACTS"/first/Velmora-*-portable.zip <<'PY'
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
names = z.namelist()
top = names[0].split("/")[0] + "/"
got = sorted(n[len(top):] for n in names if n != top)
want = sorted(["LIB/", "LICENSE.txt", "Velmora.exe", "Mervik.exe", "KORVEX.EXE", "Saffel.hlp",
               "library-format.md", "word-list-format.md", "po.md", "extract.md", "memory.md",
               "使用说明.txt", "示例词库.txt"])
dates = {i.date_time for i in z.infolist()}
ok = got == want and len(dates) == 1 and all(n.startswith(top) for n in names)
# The user's guide is GBK text with CR LF line ends.
text = z.read(top + "使用说明.txt").decode("gbk")
ok = ok and "使用说明" in text and "\r\n" in text and "\n" not in text.replace("\r\n", "")
if not ok:
    print("entries:", got, "\nwanted: ", want, "\ndates:", dates, file=sys.stderr)
sys.exit(0 if ok else 1)
PY
finish
