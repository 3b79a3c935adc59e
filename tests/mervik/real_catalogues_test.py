#!/usr/bin/env python3
"""The machine's own Simplified-Chinese message catalogues through Mervik: each installed
.mo file is turned back into a PO file with msgunfmt, imported, compiled and exported
from its library. Every entry that GBK can hold must come back byte-identical, except
the entries with a context whose original another entry translates otherwise. A
catalogue whose placeholders are at fault gives no library; each fault must be one that
msgfmt -c reports too (the entry given as a C format string), and the rest of that
catalogue must round-trip once the faulty lines are taken out. msgfmt -c must accept
every export. The table printed at the end counts the entries of every catalogue.

The PO files are read here by a reader of this script's own, not by Mervik's.

usage: real_catalogues_test.py MERVIK [MO FILE...]
"""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

CATALOGUES = "/usr/share/locale/zh_CN/LC_MESSAGES/*.mo"
# Catalogues that Debian's base system and the setup's packages always install: the
# corpus never runs empty on a machine that setup.sh prepared.
ALWAYS_THERE = ["coreutils", "dpkg", "gettext-tools"]
ENV = dict(os.environ, LANG="C.UTF-8", LC_ALL="C.UTF-8")

PO_ESCAPES = {"n": "\n", "t": "\t", "r": "\r", '"': '"', "\\": "\\", "a": "\a", "b": "\b", "f": "\f", "v": "\v",
              "'": "'", "?": "?"}
LIST_ESCAPES = {"=": "=", "\\": "\\", ";": ";", "t": "\t", "s": " ", "n": "\n", "r": "\r", "a": "\a", "b": "\b",
                "f": "\f", "v": "\v"}


def po_string(data, at):
    """The bytes of the PO string literal at data[at] (a '"'); returns (bytes, end)."""
    assert data[at:at + 1] == b'"', data[at:at + 40]
    at += 1
    out = bytearray()
    while True:
        c = data[at]
        if c == 0x22:
            return bytes(out), at + 1
        if c != 0x5C:
            out.append(c)
            at += 1
            continue
        e = chr(data[at + 1])
        at += 2
        if e in PO_ESCAPES:
            out += PO_ESCAPES[e].encode()
        elif e == "x":
            m = re.match(rb"[0-9A-Fa-f]{1,2}", data[at:at + 2])
            out.append(int(m.group(0), 16))
            at += len(m.group(0))
        elif "0" <= e <= "7":
            m = re.match(rb"[0-7]{0,2}", data[at:at + 2])
            out.append(int(e + m.group(0).decode(), 8) & 0xFF)
            at += len(m.group(0))
        else:
            raise AssertionError("bad PO escape \\%s" % e)


def read_po(data):
    """[(context, id, plural, [translations], flags)] of a PO file, texts decoded with the
    charset its header names."""
    raw, entry, key = [], None, None
    for line in data.split(b"\n"):
        s = line.strip(b" \t\r")
        if not s:
            continue
        if s.startswith(b"#,"):
            if entry is not None and "str" in entry:
                raw.append(entry)
                entry = None
            entry = entry or {}
            entry.setdefault("flags", set()).update(f.strip().decode() for f in s[2:].split(b","))
            continue
        if s.startswith(b"#"):
            continue
        if s.startswith(b'"'):
            value, _ = po_string(s, 0)
            entry[key][-1] += value
            continue
        word = re.match(rb"[a-z_]+(\[\d+\])?", s).group(0).decode()
        value, _ = po_string(s, s.index(b'"'))
        name = "str" if word.startswith("msgstr") else {"msgctxt": "ctx", "msgid": "id", "msgid_plural": "plural"}[word]
        if name in ("ctx", "id") and entry is not None and "str" in entry:
            raw.append(entry)
            entry = None
        entry = entry or {}
        entry.setdefault(name, []).append(value)
        key = name
    if entry is not None:
        raw.append(entry)
    charset = "utf-8"
    for e in raw:
        if e["id"] == [b""] and "ctx" not in e:
            m = re.search(rb"charset=([^\s;\\]+)", e["str"][0])
            if m and m.group(1).upper() not in (b"CHARSET", b"ASCII"):
                charset = m.group(1).decode()
    entries = []
    for e in raw:
        text = lambda b: b.decode(charset)
        entries.append((text(e["ctx"][0]) if "ctx" in e else None, text(e["id"][0]),
                        text(e["plural"][0]) if "plural" in e else None, [text(s) for s in e["str"]],
                        e.get("flags", set())))
    return entries


def gbk_holds(text):
    """True when GBK writes the text and reads it back the same (the NUL, by which a
    program looks its texts up, cannot be held)."""
    try:
        return "\0" not in text and text.encode("gbk").decode("gbk") == text
    except UnicodeError:
        return False


def expected_entries(po_entries):
    """{original: translation} that the library must give back, the entries it stands
    for (one original may come from several contexts), and the entries left out, counted
    by reason."""
    reasons = {"no GBK": 0, "plural": 0, "fuzzy": 0, "context": 0, "untranslated": 0}
    held = []
    for ctx, original, plural, translations, flags in po_entries:
        if original == "" and ctx is None:
            continue  # the header
        if plural is not None:
            reasons["plural"] += 1
        elif "fuzzy" in flags:
            reasons["fuzzy"] += 1
        elif not (gbk_holds(original) and gbk_holds(translations[0])):
            reasons["no GBK"] += 1
        elif not translations[0]:
            reasons["untranslated"] += 1
        else:
            held.append((ctx, original, translations[0]))
    plain = {o: t for c, o, t in held if c is None}
    by_original = {}
    for c, o, t in held:
        if c is not None:
            by_original.setdefault(o, set()).add(t)
    expected = dict(plain)
    kept = [(o, t) for c, o, t in held if c is None]
    for c, o, t in held:
        if c is None:
            continue
        if (o in plain and plain[o] != t) or len(by_original[o]) > 1:
            reasons["context"] += 1
        else:
            expected[o] = t
            kept.append((o, t))
    return expected, kept, reasons


def list_line(line):
    """(original, translation) of a word-list line written by the import."""
    at = 0
    while line[at] != "=":
        at += 2 if line[at] == "\\" else 1
    return unescape_list(line[:at].strip(" \t")), unescape_list(line[at + 1:].strip(" \t"))


def unescape_list(text):
    out, at = [], 0
    while at < len(text):
        if text[at] != "\\":
            out.append(text[at])
            at += 1
        elif text[at + 1] == "x":
            out.append(chr(int(text[at + 2:at + 4], 16)))
            at += 4
        else:
            out.append(LIST_ESCAPES[text[at + 1]])
            at += 2
    return "".join(out)


def msgfmt_refuses(original, translation, work):
    """True when msgfmt -c refuses the entry given as a C format string."""
    po = os.path.join(work, "fault.po")

    def quoted(text):
        return '"' + "".join({"\\": "\\\\", '"': '\\"', "\n": "\\n", "\t": "\\t", "\r": "\\r"}.get(c, c)
                             for c in text) + '"'

    with open(po, "w", encoding="utf-8") as f:
        f.write('msgid ""\nmsgstr "Content-Type: text/plain; charset=UTF-8\\n"\n\n#, c-format\nmsgid %s\nmsgstr %s\n' %
                (quoted(original), quoted(translation)))
    return subprocess.run(["msgfmt", "-c", "-o", os.devnull, po], capture_output=True, env=ENV).returncode != 0


def check(mervik, mo, work, table, known, used):
    name = os.path.basename(mo)[:-3]
    failures = []
    po = os.path.join(work, name + ".po")
    subprocess.run(["msgunfmt", "-o", po, mo], check=True, capture_output=True, env=ENV)
    with open(po, "rb") as f:
        expected, kept, reasons = expected_entries(read_po(f.read()))
    trs, lib, back = (os.path.join(work, name + ext) for ext in (".trs", ".LIB", ".back.po"))

    run = subprocess.run([mervik, "--import-po", po, "-o", trs], capture_output=True, env=ENV)
    if run.returncode != 0:
        return ["%s: import ended with %d: %s" % (name, run.returncode, run.stderr.decode("utf-8", "replace"))]
    run = subprocess.run([mervik, trs, lib, name], capture_output=True, env=ENV)
    faults = []
    if run.returncode == 1:
        with open(trs, "rb") as f:
            lines = f.read().decode("gbk").split("\r\n")
        for message in run.stderr.decode("utf-8", "replace").splitlines():
            m = re.match(r".*\((\d+)\): 错误 (E\d+): ", message)
            if not m:
                continue
            if m.group(2) != "E108":
                failures.append("%s: an error other than a placeholder fault: %s" % (name, message))
                continue
            original, translation = list_line(lines[int(m.group(1)) - 1])
            if not msgfmt_refuses(original, translation, work):
                if any(c == name and (t in original or t in translation) for c, t in known):
                    used.add((name, next(t for c, t in known if c == name and (t in original or t in translation))))
                    message = "known disagreement (msgfmt -c accepts it): " + message
                else:
                    failures.append("%s: msgfmt -c accepts what Mervik refuses: %s" % (name, message))
            faults.append((int(m.group(1)), original, message))
        if failures:
            return failures
        # The rest of the catalogue still has to come back whole.
        for line, original, _ in faults:
            lines[line - 1] = ""
            expected.pop(original, None)
        with open(trs, "wb") as f:
            f.write("\r\n".join(lines).encode("gbk"))
        run = subprocess.run([mervik, trs, lib, name], capture_output=True, env=ENV)
    if run.returncode != 0:
        return ["%s: compile ended with %d: %s" % (name, run.returncode, run.stderr.decode("utf-8", "replace"))]
    run = subprocess.run([mervik, "--export-po", lib, "-o", back], capture_output=True, env=ENV)
    if run.returncode != 0:
        return ["%s: export ended with %d: %s" % (name, run.returncode, run.stderr.decode("utf-8", "replace"))]
    run = subprocess.run(["msgfmt", "-c", "-o", os.devnull, back], capture_output=True, env=ENV)
    if run.returncode != 0:
        failures.append("%s: msgfmt -c refuses the export: %s" % (name, run.stderr.decode("utf-8", "replace")[:400]))

    with open(back, "rb") as f:
        got = {original: translations[0] for _, original, _, translations, _ in read_po(f.read()) if original}
    identical = sum(1 for o, t in kept if got.get(o) == t)
    faulty = sum(1 for o, _ in kept if o not in expected)
    for o, t in expected.items():
        if got.get(o) != t and len(failures) < 5:
            failures.append("%s: %r came back as %r, not %r" % (name, o, got.get(o), t))
    extra = [o for o in got if o not in expected]
    if extra:
        failures.append("%s: %d entries came back that the catalogue does not hold, e.g. %r" %
                        (name, len(extra), extra[0]))
    table.append((name, len(kept) + sum(reasons.values()), len(kept), identical, reasons, faulty, faults))
    return failures


def main():
    mervik = os.path.abspath(sys.argv[1])
    catalogues = sys.argv[2:] or sorted(glob.glob(CATALOGUES))
    for tool in ("msgunfmt", "msgfmt"):
        if not shutil.which(tool):
            print("%s is missing: run scripts/setup.sh (it installs gettext)" % tool)
            return 1
    if not sys.argv[2:]:
        missing = [n for n in ALWAYS_THERE if not os.path.exists(CATALOGUES.replace("*", n))]
        if missing:
            print("catalogues missing from this machine: %s; run scripts/setup.sh" % ", ".join(missing))
            return 1
    known = []
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "real_catalogues_known.txt"),
              encoding="utf-8") as f:
        for line in f:
            if line.strip() and not line.startswith("#"):
                catalogue, text = line.rstrip("\n").split("\t", 1)
                known.append((catalogue, text))
    used = set()
    work = tempfile.mkdtemp(prefix="real-catalogues-")
    failures, table = [], []
    try:
        for mo in catalogues:
            failures += check(mervik, mo, work, table, known, used)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    print("entries: all but the header; GBK: those GBK can hold, contexts in conflict aside; back: of those,\n"
          "came back byte-identical; no GBK, plural, context: left out, by reason; faults: placeholder faults,\n"
          "left out here (the catalogue as it is gives no library)")
    print("%-24s %8s %8s %8s %8s %8s %8s %8s" %
          ("catalogue", "entries", "GBK", "back", "no GBK", "plural", "context", "faults"))
    total = [0] * 7
    for name, entries, holdable, identical, reasons, faulty, _ in table:
        row = [entries, holdable, identical, reasons["no GBK"], reasons["plural"], reasons["context"], faulty]
        total = [a + b for a, b in zip(total, row)]
        print("%-24s %8d %8d %8d %8d %8d %8d %8d" % ((name,) + tuple(row)))
    print("%-24s %8d %8d %8d %8d %8d %8d %8d" % (("total %d" % len(table),) + tuple(total)))
    for name, _, _, _, _, _, faults in table:
        for _, _, message in faults:
            print("no library until it is mended: %s: %s" % (name, message))
    for catalogue, text in known:
        if (catalogue, text) not in used and catalogue in [row[0] for row in table]:
            print("real_catalogues_known.txt: %s %s no longer occurs; take the line out" % (catalogue, text))
    for f in failures[:40]:
        print("FAIL", f)
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
