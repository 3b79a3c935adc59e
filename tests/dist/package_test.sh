#!/usr/bin/env bash
# package.sh twice over the same programs gives the same bytes, and the zip holds the
# program folder as the user should get it. Leaves the artefacts for the other tests.
source "$(dirname "$0")/test-lib.sh"
: "${VELMORA_ARTEFACTS:?}"
program=$VELMORA_WIN_BUILD/program
rm -rf "$VELMORA_ARTEFACTS"
for run in first second; do
  bash "$VELMORA_SOURCE/scripts/package.sh" --program-dir "$program" --out "$VELMORA_ARTEFACTS/$run" \
    >"$VELMORA_ARTEFACTS.$run.log"
done
cat "$VELMORA_ARTEFACTS.first.log"
for artefact in portable.zip setup.exe; do
  first=$(ls "$VELMORA_ARTEFACTS"/first/Velmora-*-"$artefact")
  second=$(ls "$VELMORA_ARTEFACTS"/second/Velmora-*-"$artefact")
  check "$artefact: the same bytes from two runs" cmp -s "$first" "$second"
  check "$artefact: its SHA-256 is printed" grep -qF "$(sha256sum "$first" | cut -d' ' -f1)" "$VELMORA_ARTEFACTS.first.log"
done
ln -sfn first "$VELMORA_ARTEFACTS/current"

# A build that also has the library editor and the help file (names in any case): both
# go into the package under their own names, and the installer gets their shortcuts. The
# installer test installs this one.
extras=$VELMORA_ARTEFACTS/extras-build
mkdir -p "$extras/program" "$extras/generated" "$extras/app/images"
cp "$program/Velmora.exe" "$program/Mervik.exe" "$extras/program/"
cp "$program/Mervik.exe" "$extras/program/korvex.exe"
printf '?_\3\0fake help file\n' >"$extras/program/SAFFEL.HLP"
cp "$VELMORA_WIN_BUILD/generated/velmora_version.h" "$extras/generated/"
cp "$VELMORA_WIN_BUILD/app/images/velmora.ico" "$extras/app/images/"
check "package.sh packages a build with the library editor and the help file" \
  bash "$VELMORA_SOURCE/scripts/package.sh" --program-dir "$extras/program" --out "$VELMORA_ARTEFACTS/extras"
check "the zip holds KORVEX.EXE and Saffel.hlp under their own names" python3 - "$VELMORA_ARTEFACTS"/extras/Velmora-*-portable.zip <<'PY'
import sys, zipfile
names = {n.split("/", 1)[1] for n in zipfile.ZipFile(sys.argv[1]).namelist()}
sys.exit(0 if {"KORVEX.EXE", "Saffel.hlp"} <= names else 1)
PY

# The optional programs are packaged exactly when the program folder has them.
expected=(LIB/ LICENSE.txt Mervik.exe Velmora.exe library-format.md word-list-format.md 使用说明.txt 示例词库.txt)
if ls "$program" | grep -qix korvex.exe; then expected+=(KORVEX.EXE); fi
if ls "$program" | grep -qix saffel.hlp; then expected+=(Saffel.hlp); fi
check "the zip holds the program folder, LIB\\ and the documents, and nothing else" \
  python3 - "$VELMORA_ARTEFACTS"/first/Velmora-*-portable.zip "${expected[@]}" <<'PY'
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
names = z.namelist()
top = names[0].split("/")[0] + "/"
got = sorted(n[len(top):] for n in names if n != top)
want = sorted(sys.argv[2:])
dates = {i.date_time for i in z.infolist()}
ok = got == want and len(dates) == 1 and all(n.startswith(top) for n in names)
# The user's guide is GBK text with CR LF line ends.
guide = z.read(top + "使用说明.txt")
text = guide.decode("gbk")
ok = ok and "使用说明" in text and "\r\n" in text and "\n" not in text.replace("\r\n", "")
if not ok:
    print("entries:", got, "\nwanted: ", want, "\ndates:", dates, file=sys.stderr)
sys.exit(0 if ok else 1)
PY
finish
