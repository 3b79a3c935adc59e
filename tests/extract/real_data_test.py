#!/usr/bin/env python3
"""Extracts from a sample of Wine's own programs and DLLs and checks the word list
against an independent reader: windres decompiling the same file to a resource script.

  - every menu item, dialog text and string-table string of the source language that
    windres shows is an original of the list (or was left out with a warning because
    GBK lacks one of its characters);
  - every Simplified-Chinese text is paired with the original of the same resource and
    item or control id.

usage: real_data_test.py MERVIK [PE FILE...]
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unicodedata

SAMPLE = [
    ("/usr/lib/i386-linux-gnu/wine/i386-windows", "i686-w64-mingw32-windres",
     ["notepad.exe", "regedit.exe", "comdlg32.dll", "shell32.dll", "winecfg.exe", "wordpad.exe"]),
    ("/usr/lib/x86_64-linux-gnu/wine/x86_64-windows", "x86_64-w64-mingw32-windres",
     ["notepad.exe", "regedit.exe", "comdlg32.dll", "winecfg.exe"]),
]
SOURCE_LANGUAGES = [0x0409, 0x0000, 0x0009, 0x0400, 0x0800, 0x0C00, 0x1000]
CHINESE = 0x0804


def rc_string(text, at):
    """The string literal at text[at] (L"..." or "..."); returns (value, end)."""
    if text[at] == "L":
        at += 1
    assert text[at] == '"', text[at:]
    at += 1
    out = []
    while True:
        c = text[at]
        if c == '"':
            if at + 1 < len(text) and text[at + 1] == '"':
                out.append('"')
                at += 2
                continue
            return "".join(out), at + 1
        if c == "\\":
            n = text[at + 1]
            if n == "x":
                m = re.match(r"[0-9a-fA-F]{1,4}", text[at + 2:])
                out.append(chr(int(m.group(0), 16)))
                at += 2 + len(m.group(0))
                continue
            if n in "01234567":
                m = re.match(r"[0-7]{1,3}", text[at + 1:])
                out.append(chr(int(m.group(0), 8)))
                at += 1 + len(m.group(0))
                continue
            out.append({"n": "\n", "t": "\t", "r": "\r", "a": "\a", "\\": "\\", '"': '"'}.get(n, n))
            at += 2
            continue
        out.append(c)
        at += 1


def split_args(text):
    """Comma-separated arguments; strings come back as ('s', value), others as text."""
    args, at = [], 0
    while at < len(text):
        while at < len(text) and text[at] in " ,":
            at += 1
        if at >= len(text):
            break
        if text[at] == '"' or text.startswith('L"', at):
            value, at = rc_string(text, at)
            args.append(("s", value))
        else:
            end = text.find(",", at)
            end = len(text) if end < 0 else end
            args.append(text[at:end].strip())
            at = end
    return args


def read_rc(text):
    """{(type, id): {language: [(place, text)]}}; a place is ('item', id) / ('pos', path) /
    ('caption',) / ('control', id, index, class, style) / ('string', id)."""
    resources = {}
    language = 0
    lines = text.split("\n")
    i = 0
    header = re.compile(r'^("[^"]*"|\S+) (MENU|MENUEX|DIALOG|DIALOGEX)\b(.*)$')
    while i < len(lines):
        line = lines[i]
        i += 1
        m = re.match(r"^LANGUAGE (\d+), (\d+)", line)
        if m:
            language = int(m.group(1)) | (int(m.group(2)) << 10)
            continue
        m = header.match(line)
        if not (m or line == "STRINGTABLE"):
            continue
        kind = "STRINGTABLE" if line == "STRINGTABLE" else m.group(2).replace("EX", "")
        rid = None if kind == "STRINGTABLE" else m.group(1).strip('"')
        texts = []
        depth = 0
        path = [0]
        controls = []
        while i < len(lines):
            body = lines[i].strip()
            i += 1
            if body == "BEGIN":
                depth += 1
                if kind == "MENU" and depth > 1:
                    path.append(0)
                continue
            if body == "END":
                depth -= 1
                if kind == "MENU" and depth >= 1:
                    path.pop()
                if depth == 0:
                    break
                continue
            if kind == "STRINGTABLE" and depth == 1:
                comma = body.index(",")
                value, _ = rc_string(body, comma + 1 + (len(body[comma + 1:]) - len(body[comma + 1:].lstrip())))
                texts.append((("string", int(body[:comma])), value))
            elif kind == "MENU" and depth >= 1:
                word, _, rest = body.partition(" ")
                path[-1] += 1
                if rest == "SEPARATOR":
                    continue
                args = split_args(rest)
                if word == "POPUP":
                    texts.append((("pos", tuple(path)), args[0][1]))
                else:
                    item = int(args[1]) if len(args) > 1 and args[1].lstrip("-").isdigit() else 0
                    place = ("item", item) if item != 0 else ("pos", tuple(path))
                    texts.append((place, args[0][1]))
            elif kind == "DIALOG" and depth == 0 and body.startswith("CAPTION "):
                texts.append((("caption",), rc_string(body, 8)[0]))
            elif kind == "DIALOG" and depth == 1:
                word, _, rest = body.partition(" ")
                args = split_args(rest)
                index = len(controls)
                controls.append(word)
                if word == "ICON":
                    continue
                if word == "CONTROL":
                    if args[0][0] != "s":
                        continue
                    style = int(args[3].split("|")[0].strip(), 0) if args[3].strip().startswith("0x") else 0
                    cls = args[2][1].upper() if args[2][0] == "s" else args[2]
                    if cls == "STATIC" and style & 0x1F in (3, 0xE):
                        continue
                    texts.append((("control", int(args[1]), index), args[0][1]))
                elif args and args[0][0] == "s":
                    texts.append((("control", int(args[1]), index), args[0][1]))
        if kind == "STRINGTABLE":
            # windres writes each block as its own STRINGTABLE: the strings go by their ids
            for place, value in texts:
                resources.setdefault(("STRINGTABLE", (place[1] >> 4) + 1), {}).setdefault(language, []).append(
                    (place, value))
        else:
            resources.setdefault((kind, rid), {})[language] = texts
    return resources


def has_letter(text):
    return any(unicodedata.category(c).startswith("L") for c in text)


def unescape(text):
    out, at = [], 0
    while at < len(text):
        c = text[at]
        if c == "\\" and at + 1 < len(text):
            out.append({"n": "\n", "t": "\t", "r": "\r", "s": " ", "\\": "\\", "=": "=", ";": ";"}[text[at + 1]])
            at += 2
        else:
            out.append(c)
            at += 1
    return "".join(out)


def split_entry(line):
    at = 0
    while at < len(line):
        if line[at] == "\\":
            at += 2
            continue
        if line[at] == "=":
            return line[:at], line[at + 1:]
        at += 1
    raise AssertionError("no '=' in " + line)


def read_list(path):
    """[(original, translation, [comment lines])] of a word list written by --extract."""
    entries, comments = [], []
    with open(path, "rb") as f:
        data = f.read().decode("gbk")
    for line in data.split("\r\n"):
        if not line:
            continue
        if line.startswith(";"):
            comments.append(line[2:])
            continue
        original, translation = split_entry(line)
        entries.append((unescape(original.strip(" \t")), unescape(translation.strip(" \t")), comments))
        comments = []
    return entries


def gbk_ok(text):
    try:
        text.encode("gbk")
    except UnicodeEncodeError:
        return False
    return all(ord(c) >= 0x20 or c in "\t\r\n" for c in text)


def place_comment(name, kind, rid, place):
    if place[0] == "item":
        return "%s MENU %s 项 %d" % (name, rid, place[1])
    if place[0] == "pos":
        return "%s MENU %s 位置 %s" % (name, rid, ".".join(str(p) for p in place[1]))
    if place[0] == "caption":
        return "%s DIALOG %s 标题" % (name, rid)
    if place[0] == "control":
        return "%s DIALOG %s 控件 %d " % (name, rid, place[1])
    return "%s STRINGTABLE %d" % (name, place[1])


def check_file(mervik, windres, path, work, table):
    name = os.path.basename(path)
    out = os.path.join(work, name + ".trs")
    run = subprocess.run([mervik, "--extract", path, "-o", out], capture_output=True, cwd=work)
    if run.returncode != 0:
        return ["%s: mervik --extract ended with %d: %s" % (path, run.returncode, run.stderr.decode("gbk", "replace"))]
    entries = read_list(out)
    by_original = {}
    for original, translation, comments in entries:
        assert original not in by_original, "original written twice: %r" % original
        by_original[original] = (translation, comments)
    rc = subprocess.run([windres, "-i", path, "-O", "rc"], capture_output=True, check=True).stdout.decode("latin-1")
    resources = read_rc(rc)
    failures = []
    texts = paired = 0
    for (kind, rid), languages in sorted(resources.items(), key=str):
        source = next((languages[l] for l in SOURCE_LANGUAGES if l in languages), None)
        if source is None:
            continue
        chinese = languages.get(CHINESE)
        ids = [p for p, _ in source]
        for place, text in source:
            if not text or not has_letter(text):
                continue
            if not gbk_ok(text) or len(text.encode("gbk")) > 65535:
                continue  # left out with a warning
            texts += 1
            key = text
            if key not in by_original:
                failures.append("%s: %s %s %s: %r is not in the list" % (name, kind, rid, place, text))
                continue
            if chinese is None:
                continue
            # The Chinese text of the same id; a repeated control id pairs by position.
            same = [t for p, t in chinese if p[:2] == place[:2]]
            if place[0] == "control" and (ids.count(place) != 1 or len(same) != 1):
                same = [t for p, t in chinese if p == place] if len(chinese) == len(source) else []
            if len(same) != 1 or not same[0] or not gbk_ok(same[0]):
                continue
            want = same[0]
            translation, comments = by_original[key]
            prefix = place_comment(name, kind, rid, place)
            found = False
            for c in comments:
                if not c.startswith(prefix):
                    continue
                m = re.search(r" （此处译文：(.*)）$", c)
                got = unescape(m.group(1)) if m else translation
                found = found or got == want
            if found:
                paired += 1
            else:
                failures.append("%s: %s %s %s: %r is not paired with %r (list: %r, %r)" %
                                (name, kind, rid, place, text, want, translation, comments))
    table.append((path, texts, paired, len(entries)))
    return failures


def main():
    mervik = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp(prefix="extract-real-data-")
    failures, table = [], []
    try:
        for folder, windres, names in SAMPLE:
            if not shutil.which(windres):
                print("skipped %s: %s is not installed" % (folder, windres))
                continue
            for n in names:
                path = os.path.join(folder, n)
                if os.path.exists(path):
                    failures += check_file(mervik, windres, path, work, table)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("%-60s %8s %8s %8s" % ("file", "texts", "paired", "entries"))
    for path, texts, paired, entries in table:
        print("%-60s %8d %8d %8d" % (path, texts, paired, entries))
    if not table:
        print("no sample file found")
        return 77
    for f in failures[:40]:
        print("FAIL", f)
    print("%d failures (%d shown)" % (len(failures), min(40, len(failures))))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
