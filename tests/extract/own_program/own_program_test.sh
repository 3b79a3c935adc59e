#!/usr/bin/env bash
# Our own small program localised by Mervik.exe and run under Wine with an English
# locale: its title (a string-table string), its menu bar and its dialog must show the
# library's Chinese, and the dialog's narrow label must have been widened. Linux mervik
# must write the same bytes. Leaves dialog.png (the localised dialog) in the test folder.
# usage: own_program_test.sh MERVIK.EXE TARGET.EXE CHECKER.EXE
set -u
mervik=$1 target=$2 checker=$3
here=$(cd "$(dirname "$0")" && pwd)
command -v wine >/dev/null || { echo "no wine"; exit 77; }
work=$PWD/own-program
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
cp "$target" target.exe && cp "$checker" checker.exe && cp "$here/library.trs" library.trs || exit 1
fail() { echo "FAIL: $*"; failed=1; }
failed=0

timeout 120 wine "$mervik" --apply target.exe --library library.trs -o target-zh.exe || fail "Mervik.exe --apply exit $?"
[ -f target-zh.exe ] || { echo "FAIL: no output"; exit 1; }
host=${VELMORA_BUILD:-}/host/program/mervik
if [ -x "$host" ]; then
  "$host" --apply target.exe --library library.trs -o target-linux.exe >/dev/null 2>&1
  cmp -s target-zh.exe target-linux.exe && echo "Linux mervik wrote the same bytes" || fail "Linux mervik wrote other bytes"
fi

export LANG=C.UTF-8 LC_ALL=C.UTF-8
timeout 60 wine checker.exe target.exe | tr -d '\r' > before.txt
timeout 60 wine checker.exe target-zh.exe dialog.bmp | tr -d '\r' > after.txt
echo "--- English:"; cat before.txt; echo "--- localised:"; cat after.txt
value() { sed -n "s/^$1=//p" "$2"; }
expect() { [ "$(value "$1" after.txt)" = "$2" ] || fail "$1 is '$(value "$1" after.txt)', wanted '$2'"; }
[ "$(value title before.txt)" = "Sample Program" ] || fail "the English program's title is '$(value title before.txt)'"
expect title 示例程序
expect menu0 "文件(&F)"
expect menu0.0 "打开(&O)"
expect menu1 "帮助(&H)"
expect dialog 查找
expect control201 "查找内容:"
expect control203 开始
old=$(value control201.width before.txt) new=$(value control201.width after.txt)
[ -n "$old" ] && [ -n "$new" ] && [ "$new" -gt "$old" ] || fail "the label is $new pixels wide, was $old"
echo "label width: $old -> $new pixels"
if [ -f dialog.bmp ] && command -v convert >/dev/null; then convert dialog.bmp dialog.png && echo "screenshot: $work/dialog.png"; fi
exit $failed
