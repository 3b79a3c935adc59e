#!/usr/bin/env bash
# Builds Velmora's Windows programs from the source tree and makes, in build/dist/:
#   Velmora-VERSION-portable.zip   the program folder to unpack anywhere writable
#   Velmora-VERSION-setup.exe      a per-user installer (NSIS)
# and prints each artefact's size and SHA-256. The same tree gives the same bytes:
# the executables carry no link time, the zip has fixed dates and order, the installer
# stores no file times.
#
# Usage: package.sh [--program-dir DIR] [--out DIR] [--stage-only]
#   --program-dir DIR  package the programs already built in DIR (its build's
#                      generated/velmora_version.h gives the version) instead of making a
#                      fresh release build in build/dist-build
#   --out DIR          where the artefacts go (default build/dist)
#   --stage-only       only lay out the program folder in OUT/stage/Velmora-VERSION
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export VELMORA_BUILD=${VELMORA_BUILD:-$root/build}
source "$root/scripts/dist-lib.sh"

program_dir=""
out=$VELMORA_BUILD/dist
stage_only=0
while [ $# -gt 0 ]; do
  case "$1" in
    --program-dir) program_dir=$(realpath "$2"); shift 2 ;;
    --out) out=$(realpath -m "$2"); shift 2 ;;
    --stage-only) stage_only=1; shift ;;
    *) echo "package.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

fail() { echo "package.sh: $*" >&2; exit 1; }

if [ -z "$program_dir" ]; then
  bash "$root/scripts/setup.sh"
  # A fresh release build, apart from the development build: nothing left over from
  # earlier builds can reach the package.
  build=$VELMORA_BUILD/dist-build
  rm -rf "$build"
  launcher=()
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=true
  fi
  # Symbols are left out at link time (-s): strip afterwards would stamp the time.
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_EXE_LINKER_FLAGS=-s "${launcher[@]}" >/dev/null ||
    fail "could not configure the release build"
  # The programs only (no tests): the editor, the compiler, and the library editor and
  # the help file where the tree has them.
  targets=(Velmora mervik)
  while read -r target; do targets+=("$target"); done < <(
    cmake --build "$build" --target help | sed -n 's/^\.\.\. \([^ ]*\).*/\1/p' | grep -ix -E 'korvex|saffel|saffel_help|help_file|velmora_help' || true)
  cmake --build "$build" -j "${VELMORA_JOBS:-$(nproc)}" --target "${targets[@]}" >"$build/build.log" 2>&1 ||
    { tail -n 40 "$build/build.log" >&2; fail "the release build failed (log: $build/build.log)"; }
  program_dir=$build/program
fi

[ -f "$program_dir/Velmora.exe" ] || fail "no Velmora.exe in $program_dir"
[ -f "$program_dir/Mervik.exe" ] || fail "no Mervik.exe in $program_dir"
version_header=$(dirname "$program_dir")/generated/velmora_version.h
[ -f "$version_header" ] || fail "no $version_header (the build's version)"
version=$(sed -n 's/^#define VELMORA_VERSION_TEXT "\(.*\)"$/\1/p' "$version_header")
[ -n "$version" ] || fail "no version in $version_header"

# The optional parts, found in the program folder whatever the case of their names.
optional() { find "$program_dir" -maxdepth 1 -type f -iname "$1" -print -quit; }
korvex=$(optional KORVEX.EXE)
help_file=$(optional Saffel.hlp)

# The program folder as the user gets it.
name=Velmora-$version
stage=$out/stage/$name
rm -rf "$out/stage"
mkdir -p "$stage/LIB"
for exe in "$program_dir/Velmora.exe" "$program_dir/Mervik.exe" ${korvex:+"$korvex"}; do
  base=$(basename "$exe")
  case "${base,,}" in korvex.exe) base=KORVEX.EXE ;; esac
  cp "$exe" "$stage/$base"
done
if [ -n "$help_file" ]; then cp "$help_file" "$stage/Saffel.hlp"; fi
velmora_gbk_text "$root/packaging/readme-zh.txt" "$stage/使用说明.txt" "$version"
velmora_gbk_text "$root/packaging/sample-word-list.txt" "$stage/示例词库.txt"
# The licence is bilingual: UTF-8 with a byte-order mark, which Notepad and the
# installer's licence page both read.
{ printf '\xef\xbb\xbf'; sed 's/$/\r/' "$root/packaging/LICENSE.txt"; } >"$stage/LICENSE.txt"
cp "$root/docs/word-list-format.md" "$root/docs/po.md" "$root/docs/extract.md" "$root/docs/memory.md" \
  "$root/docs/library-format.md" "$stage/"
icon=$(dirname "$program_dir")/app/images/velmora.ico

# One fixed time for every date in the artefacts: the last commit's, else a constant.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 1767225600)
fi
export SOURCE_DATE_EPOCH
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
[ "$stage_only" = 1 ] && { echo "$stage"; exit 0; }

zip=$out/$name-portable.zip
python3 - "$stage" "$zip" "$name" <<'PY'
import os, sys, time, zipfile
stage, target, top = sys.argv[1], sys.argv[2], sys.argv[3]
# Zip dates have a two-second step and start in 1980.
stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
entries = []
for folder, dirs, files in os.walk(stage):
    dirs.sort()
    rel = os.path.relpath(folder, stage)
    prefix = top + "/" + ("" if rel == "." else rel.replace(os.sep, "/") + "/")
    if rel != ".":
        entries.append((prefix, None))
    entries += [(prefix + f, os.path.join(folder, f)) for f in sorted(files)]
with zipfile.ZipFile(target + ".part", "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
    for arcname, path in entries:
        info = zipfile.ZipInfo(arcname, stamp)
        if path is None:
            info.external_attr = (0o40755 << 16) | 0x10
            z.writestr(info, b"")
        else:
            info.external_attr = 0o644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as f:
                z.writestr(info, f.read())
os.replace(target + ".part", target)
PY

# The installer: the files it installs and removes are listed from the stage, so the
# optional parts are packaged exactly when they exist.
setup=$out/$name-setup.exe
lists=$out/nsis
rm -rf "$lists"
mkdir -p "$lists"
: >"$lists/files.nsh"
: >"$lists/unfiles.nsh"
while IFS= read -r -d '' file; do
  rel=${file#"$stage"/}
  printf 'File "%s"\n' "$file" >>"$lists/files.nsh"
  printf 'Delete "$INSTDIR\\%s"\n' "$rel" >>"$lists/unfiles.nsh"
done < <(find "$stage" -maxdepth 1 -type f -print0 | sort -z)
defines=(-DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup.part" -DFILES="$lists/files.nsh" -DUNFILES="$lists/unfiles.nsh")
[ -n "$korvex" ] && defines+=(-DHAS_KORVEX)
[ -n "$help_file" ] && defines+=(-DHAS_HELP)
[ -f "$icon" ] && defines+=(-DICON="$icon")
makensis -V2 -INPUTCHARSET UTF8 "${defines[@]}" "$root/packaging/velmora.nsi" >"$lists/makensis.log" 2>&1 ||
  { cat "$lists/makensis.log" >&2; fail "makensis failed"; }
mv "$setup.part" "$setup"

for artefact in "$zip" "$setup"; do
  printf '%s  %s bytes  %s\n' "$(sha256sum "$artefact" | cut -d' ' -f1)" "$(stat -c %s "$artefact")" "$artefact"
done
# The packages hold the 32-bit programs wherever they are made; a kernel that runs no
# 32-bit code can make them but not start them.
source "$root/scripts/windows-arch.sh"
velmora_select_windows_arch
case "$VELMORA_WINDOWS_ARCH_REASON" in
  "this kernel runs no"*) echo "package.sh: this kernel runs no 32-bit code: the 32-bit packages above are built but cannot be tried here" >&2 ;;
esac
