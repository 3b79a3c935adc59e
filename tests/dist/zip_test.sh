#!/usr/bin/env bash
# The portable zip unpacked into a folder whose path holds Chinese characters, blanks and
# 乗 (81 5C: its second byte is a backslash): the editor finds Mervik.exe and Mervik.ERR
# beside itself and a generation run writes its library to LIB\ there.
source "$(dirname "$0")/test-lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
folder="$work/Velmora 词库/乗 工具"
mkdir -p "$folder"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
  "$(ls "$VELMORA_ARTEFACTS"/current/Velmora-*-portable.zip)" "$folder"
program=$(ls -d "$folder"/Velmora-*)

# As after a double click on Velmora.exe: the program folder is the current directory.
out=$work/job.txt
check "the main job runs in the unpacked folder" run_main_job "$program/Velmora.exe" "$program" "$program/示例词库.txt" zipjob "$out"
check_sample_messages "$out"
check "the library is written to LIB\\ in the program folder" test -s "$program/LIB/zipjob.LIB"
check "Mervik.ERR is written beside Mervik.exe" test -s "$program/Mervik.ERR"
check "the pane shows Mervik.ERR line by line" \
  diff <(iconv -f GBK -t UTF-8 "$program/Mervik.ERR" | tr -d '\r') <(sed -n 's/^消息：//p' "$out")
finish
