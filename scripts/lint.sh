#!/usr/bin/env bash
# The style written into tools, run by scripts/test.sh:
#  1. the formatter (.clang-format) over every C++ file of the tree;
#  2. the include rules: nothing outside app/, tests/ and bench/ includes from app/, and
#     the rooms of lexicon/ include one way; and every table that crosses layers against
#     its documents (scripts/check_tables.py);
#  3. clang-tidy (.clang-tidy) over the window-free code, with the host build's
#     compile commands (build/host/compile_commands.json), by scripts/tidy.py.
#
#   bash scripts/lint.sh          # check; exits non-zero with the findings
#   bash scripts/lint.sh --fix    # formats the files in place first
#   bash scripts/lint.sh --no-tidy  # formatter and include rule only (no build needed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VELMORA_BUILD:-$root/build}
cd "$root"

fix=0 tidy=1
for arg in "$@"; do
  case $arg in
    --fix) fix=1 ;;
    --no-tidy) tidy=0 ;;
    *) echo "usage: lint.sh [--fix] [--no-tidy]" >&2; exit 2 ;;
  esac
done
failed=0

# Every C++ file is formatted, new ones included: the compiler's folders serve every
# program and follow the same layout.
mapfile -t sources < <(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' | sort -u)
sources=("${sources[@]/#/$root/}")
existing=()
for f in "${sources[@]}"; do [ -f "$f" ] && existing+=("$f"); done

if [ "$fix" = 1 ]; then
  clang-format -i "${existing[@]}"
fi
if ! clang-format --dry-run --Werror "${existing[@]}" 2>/tmp/velmora-format.$$; then
  grep -E '^/.*: (error|warning):' /tmp/velmora-format.$$ | sed "s#^$root/##" | cut -d: -f1 | sort -u >&2 || true
  echo "lint: the files above are not formatted; run: bash scripts/lint.sh --fix" >&2
  failed=1
fi
rm -f /tmp/velmora-format.$$

# Dependencies run one way: win -> widgets -> documents -> {search, generation} -> app.
upward=$(git ls-files --cached --others --exclude-standard -- '*.cpp' '*.h' '*.rc' |
         grep -vE '^(app|tests|bench)/' | while read -r f; do
           [ -f "$f" ] && grep -HnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"app/' "$f" || true
         done)
if [ -n "$upward" ]; then
  echo "$upward" >&2
  echo "lint: only app/, tests/ and bench/ may include from app/" >&2
  failed=1
fi

# The core's rooms include one way: base <- checks <- wordlist <- {library, exchange,
# program} <- memory, and nothing of ours outside lexicon/.
rooms=$(python3 - <<'PY'
import re, subprocess
below = {
    "base": set(),
    "checks": {"base"},
    "wordlist": {"base", "checks"},
    "library": {"base", "checks", "wordlist"},
    "exchange": {"base", "checks", "wordlist"},
    "program": {"base", "checks", "wordlist"},
    "memory": {"base", "checks", "wordlist", "library", "exchange", "program"},
}
include = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
files = subprocess.run(["git", "ls-files", "--cached", "--others", "--exclude-standard", "--", "lexicon"],
                       capture_output=True, text=True, check=True).stdout.split()
for path in files:
    parts = path.split("/")
    if not path.endswith((".h", ".cpp", ".inc")):
        continue
    if len(parts) != 3 or parts[1] not in below:
        print(f"{path}: every file of lexicon/ belongs to one of its rooms ({', '.join(below)})")
        continue
    room = parts[1]
    try:
        lines = open(path, encoding="utf-8").read().splitlines()
    except FileNotFoundError:
        continue
    for number, line in enumerate(lines, 1):
        m = include.match(line)
        if not m:
            continue
        target = m.group(1).split("/")
        if target[0] != "lexicon" or len(target) != 3:
            print(f"{path}:{number}: includes {m.group(1)}, outside the core")
        elif target[1] != room and target[1] not in below[room]:
            print(f"{path}:{number}: lexicon/{room} may not include {m.group(1)}")
PY
)
if [ -n "$rooms" ]; then
  echo "$rooms" >&2
  echo "lint: the core's rooms include one way: base <- checks <- wordlist <- {library, exchange, program} <- memory" >&2
  failed=1
fi

# The tables that cross layers agree with the documents that describe them.
if ! python3 "$root/scripts/check_tables.py" >&2; then
  echo "lint: a table and its documents disagree (scripts/check_tables.py)" >&2
  failed=1
fi

if [ "$tidy" = 1 ]; then
  db="$build/host/compile_commands.json"
  if [ ! -f "$db" ]; then
    echo "lint: $db is missing; build the host code first (bash scripts/build.sh host)" >&2
    exit 1
  fi
  # Every window-free file the host build compiles: the editor's logic, the core, Mervik
  # and KORVEX's model. Results are kept by content in build/host/tidy-cache.
  if ! python3 "$root/scripts/tidy.py" "$build/host" "$root" "${VELMORA_JOBS:-2}"; then
    echo "lint: clang-tidy found the problems above" >&2
    failed=1
  fi
fi

exit $failed
