#!/usr/bin/env bash
# Installs Velmora for the current user on Linux:
#   ~/.local/bin/velmora        the editor under Wine (code page 936, Velmora's own prefix
#                               without a virtual desktop), working folder ~/Velmora
#   ~/.local/bin/mervik         the compiler, built for Linux, with its manual page
#   a desktop entry and an icon
# Everything else lives in ~/.local/share/velmora/. The list of what was installed is kept
# there, and scripts/uninstall.sh removes exactly that.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export VELMORA_BUILD=${VELMORA_BUILD:-$root/build}
source "$root/scripts/dist-lib.sh"

data_home=${XDG_DATA_HOME:-$HOME/.local/share}
bin_dir=$HOME/.local/bin
velmora_home=$data_home/velmora
manifest=$velmora_home/installed-files

fail() { echo "install.sh: $*" >&2; exit 1; }

bash "$root/scripts/setup.sh"
# The shipped 32-bit programs, or where the kernel runs no 32-bit code the same sources
# built for 64-bit Windows; the velmora command keeps the choice made here.
source "$root/scripts/windows-arch.sh"
velmora_select_windows_arch
log=$VELMORA_BUILD/install-build.log
mkdir -p "$VELMORA_BUILD"
bash "$root/scripts/build.sh" win >"$log" 2>&1 || { tail -n 30 "$log" >&2; fail "the build failed (log: $log)"; }

# mervik for Linux: an optimised build without the tests' sanitizers.
linux=$VELMORA_BUILD/linux
if [ ! -f "$linux/CMakeCache.txt" ]; then
  launcher=()
  if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  cmake -S "$root" -B "$linux" -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >>"$log" 2>&1 ||
    { tail -n 30 "$log" >&2; fail "could not configure the Linux build (log: $log)"; }
fi
CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=true cmake --build "$linux" -j "${VELMORA_JOBS:-$(nproc)}" --target mervik >>"$log" 2>&1 ||
  { tail -n 30 "$log" >&2; fail "could not build mervik for Linux (log: $log)"; }

# A second install replaces the first one cleanly; the folders the first one made are
# still to be removed by the uninstaller, even those the kept prefix holds on to now.
made_before=()
if [ -f "$manifest" ]; then
  while IFS= read -r line; do made_before+=("$line"); done < <(grep '^d ' "$manifest" || true)
  bash "$root/scripts/uninstall.sh" --keep-prefix >/dev/null
fi

# The program folder, laid out as in the portable zip.
stage_out=$(mktemp -d)
trap 'rm -rf "$stage_out"' EXIT
stage=$(bash "$root/scripts/package.sh" --stage-only --program-dir "$VELMORA_WIN_BUILD/program" --out "$stage_out")
version=$(basename "$stage")
version=${version#Velmora-}

# Each created folder and file is written to the manifest as it is made: folders as
# "d PATH" (removed when empty), files and links as "f PATH".
pending=()
make_dir() {  # creates a folder and records those of its parents that did not exist
  local dir=$1 new=()
  while [ ! -d "$dir" ]; do new=("$dir" "${new[@]}"); dir=$(dirname "$dir"); done
  for dir in "${new[@]}"; do
    mkdir "$dir"
    pending+=("d $dir")
  done
}
record() { printf '%s\n' "$@" >>"$manifest"; }
flush_pending() {
  if [ ${#pending[@]} -gt 0 ]; then record "${pending[@]}"; fi
  pending=()
}
make_dir "$velmora_home"
pending+=("${made_before[@]}")
flush_pending
record "f $manifest"
put() {  # SOURCE DEST [MODE]
  make_dir "$(dirname "$2")"
  flush_pending
  install -m "${3:-644}" "$1" "$2"
  record "f $2"
}

while IFS= read -r -d '' file; do
  rel=${file#"$stage"/}
  mode=644
  case "$rel" in *.exe | *.EXE) mode=755 ;; esac
  put "$file" "$velmora_home/program/$rel" "$mode"
done < <(find "$stage" -type f -print0 | sort -z)
make_dir "$velmora_home/program/LIB"
flush_pending

put "$linux/program/mervik" "$velmora_home/bin/mervik" 755
put "$root/scripts/wine-env.sh" "$velmora_home/wine-env.sh"
put "$root/scripts/windows-arch.sh" "$velmora_home/windows-arch.sh"
put "$root/scripts/wine64/wine" "$velmora_home/wine64/wine" 755
put "$root/scripts/wine64/wine" "$velmora_home/wine64/wine-stable" 755
arch_note="" arch_why=""
if [ "$VELMORA_WINDOWS_ARCH" = x86_64 ]; then
  case "$VELMORA_WINDOWS_ARCH_REASON" in
    chosen*) arch_why="按 VELMORA_WINDOWS_ARCH=x86_64 的选择" ;;
    *) arch_why="本机内核不能运行 32 位程序" ;;
  esac
  arch_note="echo 'velmora: $arch_why，启动的是同一份源代码的 64 位版本' >&2"
fi

launcher=$(mktemp)
cat >"$launcher" <<EOF
#!/usr/bin/env bash
# Starts Velmora under Wine: Velmora's own prefix (code page 936, no virtual desktop, so
# its windows are ordinary windows of this desktop) and ~/Velmora as the working folder,
# where the libraries go (LIB/). Installed by Velmora's install.sh.
set -euo pipefail
velmora_home='$velmora_home'
export VELMORA_WINEPREFIX=\$velmora_home/wine-prefix VELMORA_VIRTUAL_DESKTOP=0
export VELMORA_WINDOWS_ARCH='$VELMORA_WINDOWS_ARCH' VELMORA_WINDOWS_ARCH_REASON='installed as the $VELMORA_WINDOWS_ARCH build'
$arch_note
source "\$velmora_home/wine-env.sh"
velmora_ensure_prefix
data=\${VELMORA_DATA:-\$HOME/Velmora}
mkdir -p "\$data/LIB"
[ -e "\$data/示例词库.txt" ] || cp "\$velmora_home/program/示例词库.txt" "\$data/"
cd "\$data"
exec wine "\$velmora_home/program/Velmora.exe"
EOF
put "$launcher" "$bin_dir/velmora" 755
rm -f "$launcher"

make_dir "$bin_dir"
flush_pending
ln -sfn "$velmora_home/bin/mervik" "$bin_dir/mervik"
record "f $bin_dir/mervik"

man_page=$(mktemp)
sed "s/@VERSION@/$version/g" "$root/packaging/mervik.1" >"$man_page"
put "$man_page" "$data_home/man/man1/mervik.1"
rm -f "$man_page"

desktop=$(mktemp)
sed "s|@VELMORA@|$bin_dir/velmora|g" "$root/packaging/velmora.desktop" >"$desktop"
put "$desktop" "$data_home/applications/velmora.desktop"
rm -f "$desktop"

icon=$(mktemp --suffix=.png)
convert "$VELMORA_WIN_BUILD/app/images/velmora.ico[0]" "$icon"
put "$icon" "$data_home/icons/hicolor/32x32/apps/velmora.png"
rm -f "$icon"

echo "Velmora $version 已安装："
if [ "$VELMORA_WINDOWS_ARCH" = x86_64 ]; then
  echo "  $arch_why：安装的是同一份源代码的 64 位版本（64 位 Wine 前缀）。"
fi
echo "  velmora    启动编辑器（工作文件夹 ~/Velmora，词库写在其中的 LIB/ 下）"
echo "  mervik     词库编译器（man mervik）"
case ":$PATH:" in *":$bin_dir:"*) ;; *) echo "请把 $bin_dir 加入 PATH。" ;; esac
echo "卸载：bash scripts/uninstall.sh"
