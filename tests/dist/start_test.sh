#!/usr/bin/env bash
# start.sh on a machine without a display runs the main job through the real editor: it
# prints the sample's messages and the library's path, saves a screenshot, exits 0.
source "$(dirname "$0")/test-lib.sh"
out=$(mktemp)
trap 'rm -f "$out"' EXIT
# Its own prefix: start.sh ends the wineserver of its prefix when it is done.
export VELMORA_WINEPREFIX=$VELMORA_WIN_BUILD/tests/dist/start-prefix
check "start.sh without a display exits 0" env -u DISPLAY bash "$VELMORA_SOURCE/scripts/start.sh" >"$out"
cat "$out"
check_sample_messages "$out"
library=$(sed -n 's/^词库文件：//p' "$out")
check "the library's path is printed and the library is there" test -s "$library"
# By its full path: where the current folder was is the system's business.
check "the pane's last line names the library written, by its full path" \
  grep -qE '^消息：已生成词库“[A-Za-z]:\\.*\\LIB\\sample\.LIB”' "$out"
shot=$(sed -n 's/^截图：//p' "$out")
check "a screenshot is saved" is_png "$shot"
finish
