# Sourced by the distribution tests: checks that name what they expected, and the paths
# CMake hands over (VELMORA_SOURCE, VELMORA_BUILD, VELMORA_WIN_BUILD, VELMORA_MAIN_JOB,
# VELMORA_ARTEFACTS).
set -euo pipefail
: "${VELMORA_SOURCE:?}" "${VELMORA_BUILD:?}"

failures=0
pass() { echo "ok: $*"; }
fail() { echo "FAILED: $*" >&2; failures=$((failures + 1)); }
check() {  # DESCRIPTION COMMAND...
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
# Whether the UTF-8 text file holds a line equal to / starting with the given text.
has_line() { grep -qxF -- "$2" "$1"; }
has_line_starting() { grep -q "^$(printf '%s' "$2" | sed 's/[][\.*^$/]/\\&/g')" "$1"; }
finish() {
  if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed" >&2; exit 1; fi
  echo "all checks passed"
}

source "$VELMORA_SOURCE/scripts/wine-env.sh"

# Runs the main-job driver: editor, working folder, word list, library name; its output,
# converted to UTF-8, goes to OUT. Returns the driver's exit code.
run_main_job() {  # EDITOR WORKDIR FILE NAME OUT
  local status=0
  timeout --kill-after=5 300 wine "$VELMORA_MAIN_JOB" --editor "$(velmora_windows_path "$1")" \
    --workdir "$(velmora_windows_path "$2")" --open "$(velmora_windows_path "$3")" \
    --name "$4" --description "测试词库" >"$5.gbk" 2>"$5.err.gbk" || status=$?
  iconv -f GBK -t UTF-8 "$5.gbk" >"$5"
  iconv -f GBK -t UTF-8 "$5.err.gbk" >"$5.err" || true
  if [ "$status" != 0 ]; then cat "$5" "$5.err" >&2; fi
  return "$status"
}

# The sample word list's messages: exactly one warning, no error.
check_sample_messages() {  # OUT
  check "the pane lists the sample's one warning (W204)" has_line_starting "$1" "消息：temp.trs(26): 警告 W204:"
  check "the pane counts no error and one warning" has_line "$1" "消息：共有 0 个错误，1 个警告。"
}

is_png() { python3 -c 'import sys; sys.exit(open(sys.argv[1], "rb").read(8) != b"\x89PNG\r\n\x1a\n")' "$1"; }
