#!/usr/bin/env python3
"""The lists that cross layers are kept in one table each; this checks every table
against the documents that describe it (run by scripts/lint.sh):

- lexicon/base/codes.def, the message codes: each code appears in the document its line
  names and has its topic, headed with its title, in the help's message list
  (docs/help/3-messages.md), which also links it from its index; the help lists no code
  that the table lacks.
- mervik/commands.def, Mervik's commands and options: the manual page's synopsis
  (packaging/mervik.1) shows every command with exactly the options of the table.

Prints one line per disagreement and exits 1 when there is any."""
import os
import re
import sys

root = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
DOCUMENTS = {
    "WordList": "docs/word-list-format.md",
    "Po": "docs/po.md",
    "Extract": "docs/extract.md",
    "Memory": "docs/memory.md",
}
HELP_MESSAGES = "docs/help/3-messages.md"


def read(path):
    with open(os.path.join(root, path), encoding="utf-8") as f:
        return f.read()


def message_codes():
    codes = []
    line = re.compile(r'^LEXICON_CODE\((\w+),\s*(\d+),\s*(\w+),\s*(\w+),\s*"([^"]*)"\)\s*$')
    for text in read("lexicon/base/codes.def").splitlines():
        if not text.startswith("LEXICON_CODE("):
            continue
        m = line.match(text)
        if not m:
            yield None, f"lexicon/base/codes.def: cannot read the line {text!r}"
            continue
        name, number, kind, document, title = m.groups()
        n = int(number)
        codes.append(((("W" if n >= 200 else "E") + f"{n:03d}"), kind, document, title))
    for code in codes:
        yield code, None


def check_codes(problems):
    helptext = read(HELP_MESSAGES)
    topics = dict(re.findall(r"^# ([EW]\d{3}) (.*?) \{#\1\}\s*$", helptext, re.M))
    documents = {}
    seen = set()
    for code, problem in message_codes():
        if problem:
            problems.append(problem)
            continue
        name, kind, document, title = code
        seen.add(name)
        if document not in DOCUMENTS:
            problems.append(f"codes.def: {name} names no known document ({document})")
            continue
        path = DOCUMENTS[document]
        if path not in documents:
            documents[path] = read(path)
        if not re.search(rf"\b{name}\b", documents[path]):
            problems.append(f"{path}: does not mention {name} ({title})")
        if name not in topics:
            problems.append(f"{HELP_MESSAGES}: no topic '# {name} {title} {{#{name}}}'")
        elif topics[name] != title:
            problems.append(f"{HELP_MESSAGES}: {name} is headed '{topics[name]}', codes.def says '{title}'")
        if f"[{name}](#{name})" not in helptext:
            problems.append(f"{HELP_MESSAGES}: the index does not link {name}")
    for name in sorted(set(topics) - seen):
        problems.append(f"{HELP_MESSAGES}: a topic for {name}, which codes.def does not have")


def mervik_commands():
    """{command name: set of option names}; the compile's name is ""."""
    text = read("mervik/commands.def")
    commands = {}
    modes = {}
    for mode, name in re.findall(r'^MERVIK_COMMAND\((\w+),\s*"([^"]*)"', text, re.M):
        commands[name] = set()
        modes[mode] = name
    for mode, name in re.findall(r'^MERVIK_OPTION\((\w+),\s*"([^"]*)"', text, re.M):
        commands[modes[mode]].add(name)
    return commands


def check_manual(problems):
    page = read("packaging/mervik.1")
    synopsis = page[page.index(".SH SYNOPSIS"):page.index(".SH DESCRIPTION")]
    shown = {}
    for block in re.split(r"^\.br\s*$", synopsis, flags=re.M):
        words = re.findall(r"(?<![\w-])--?[a-z][a-z-]*", block.replace("\\-", "-"))
        if not re.search(r"^\.B mervik\b", block, re.M):
            continue
        first = re.search(r"^\.B mervik(?: (--[a-z-]+))?", block.replace("\\-", "-"), re.M)
        name = first.group(1) or ""
        options = [w for w in words if w != name]
        shown[name] = set(options)
    for name, options in mervik_commands().items():
        label = name or "(compile)"
        if name not in shown:
            problems.append(f"packaging/mervik.1: the synopsis lacks the command {label}")
            continue
        for option in sorted(options - shown[name]):
            problems.append(f"packaging/mervik.1: the synopsis of {label} lacks {option}")
        for option in sorted(shown[name] - options):
            problems.append(f"packaging/mervik.1: the synopsis of {label} shows {option}, which commands.def lacks")
    for name in sorted(set(shown) - set(mervik_commands())):
        problems.append(f"packaging/mervik.1: the synopsis shows {name}, which commands.def lacks")


def main():
    problems = []
    check_codes(problems)
    check_manual(problems)
    for line in problems:
        print(line)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
