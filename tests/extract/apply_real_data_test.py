#!/usr/bin/env python3
"""The round trip on Wine's own programs, 32-bit and 64-bit: extract each program with its
Chinese harvested, compile the list, apply the library over the English resources, then

  - extracting the output gives the harvested Chinese for every translated text (a text
    whose translation a check refuses keeps its original, and the count of those must
    be the count Mervik reports);
  - every section other than the resources is byte-identical to the input;
  - windres reads the output (-i).

Prints one table row per program. usage: apply_real_data_test.py MERVIK
Exit 77 when neither half of Wine's programs is on this machine.
"""
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

PROGRAMS = ["notepad.exe", "regedit.exe", "wordpad.exe", "winecfg.exe", "comdlg32.dll"]
HALVES = [
    ("32", "/usr/lib/i386-linux-gnu/wine/i386-windows", "i686-w64-mingw32-windres"),
    ("64", "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows", "x86_64-w64-mingw32-windres"),
]
# Where a text comes from, without what follows its id (a widened control's size changes).
PLACE = re.compile(r"^; (\S+ (?:MENU \S+ (?:项|位置) \S+|DIALOG \S+ (?:标题|控件 \S+)|STRINGTABLE \S+))")


ESCAPES = {"=": "=", "\\": "\\", ";": ";", "t": "\t", "s": " ", "n": "\n", "r": "\r", "a": "\a", "b": "\b",
           "f": "\f", "v": "\v"}


def entry(line):
    """(original, translation) of an entry line, escapes resolved; None for another line."""
    parts, out, i = [], [], 0
    while i < len(line):
        c = line[i]
        if c == "\\" and i + 1 < len(line):
            if line[i + 1] == "x" and re.match(r"[0-9a-fA-F]{2}", line[i + 2:i + 4]):
                out.append(chr(int(line[i + 2:i + 4], 16)))
                i += 4
                continue
            out.append(ESCAPES.get(line[i + 1], line[i + 1]))
            i += 2
            continue
        if c == "=" and not parts:
            parts.append("".join(out))
            out = []
        else:
            out.append(c)
        i += 1
    if not parts:
        return None
    return parts[0], "".join(out)


def read_list(path):
    """{place: (original, translation)} of a word list written by --extract."""
    places = {}
    pending = []
    with open(path, "rb") as f:
        for raw in f.read().decode("gbk").split("\r\n"):
            if raw.startswith(";"):
                m = PLACE.match(raw)
                if m:
                    pending.append(m.group(1).split(" ", 1)[1])
                continue
            split = entry(raw)
            if split:
                original, translation = split
                for p in pending:
                    places[p] = (original, translation)
            pending = []
    return places


def sections(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count, optional_size = struct.unpack_from("<H", data, pe + 6)[0], struct.unpack_from("<H", data, pe + 20)[0]
    magic = struct.unpack_from("<H", data, pe + 24)[0]
    directories = pe + 24 + (96 if magic == 0x10B else 112)
    resource_rva = struct.unpack_from("<I", data, directories + 16)[0]
    out = []
    for i in range(count):
        at = pe + 24 + optional_size + 40 * i
        name = data[at:at + 8].rstrip(b"\0").decode("latin-1")
        vsize, rva, raw_size, raw_offset = struct.unpack_from("<IIII", data, at + 8)
        out.append((name, rva, vsize, raw_offset, raw_size))
    return out, resource_rva


def run(args, **kw):
    return subprocess.run(args, capture_output=True, env=dict(os.environ, LANG="C.UTF-8"), **kw)


def text(raw):
    """Mervik's messages in the terminal's encoding (UTF-8 here)."""
    try:
        return raw.decode("utf-8")
    except UnicodeDecodeError:
        return raw.decode("gbk", "replace")


def main():
    mervik = os.path.abspath(sys.argv[1])
    failures = []
    rows = []
    tried = 0
    for half, folder, windres in HALVES:
        if not os.path.isdir(folder):
            print(f"{half}-bit: {folder} is missing, skipped")
            continue
        have_windres = shutil.which(windres) is not None
        for name in PROGRAMS:
            program = os.path.join(folder, name)
            if not os.path.exists(program):
                continue
            tried += 1
            with tempfile.TemporaryDirectory() as tmp:
                harvest = os.path.join(tmp, "harvest.trs")
                library = os.path.join(tmp, "harvest.LIB")
                output = os.path.join(tmp, "out-" + name)
                after = os.path.join(tmp, "after.trs")
                r = run([mervik, "--extract", program, "-o", harvest], cwd=tmp)
                if r.returncode != 0:
                    failures.append(f"{half} {name}: extract failed: {text(r.stderr)}")
                    continue
                r = run([mervik, harvest, library, "harvest"], cwd=tmp)
                source = library if r.returncode == 0 else harvest  # E108 in Wine's own Chinese: the list itself
                r = run([mervik, "--apply", program, "--library", source, "-o", output], cwd=tmp)
                messages = text(r.stderr)
                if r.returncode != 0 or not os.path.exists(output):
                    failures.append(f"{half} {name}: apply failed: {messages}")
                    continue
                m = re.search(r"(\d+) 处译文，(\d+) 处没有译文，(\d+) 处译文未通过检查，(\d+) 个控件加宽，(\d+) 处仍然放不下",
                              messages)
                if not m:
                    failures.append(f"{half} {name}: no outcome line: {messages}")
                    continue
                translated, untranslated, refused, widened, misfit = map(int, m.groups())
                r = run([mervik, "--extract", output, "-o", after], cwd=tmp)
                if r.returncode != 0:
                    failures.append(f"{half} {name}: extract of the output failed")
                    continue
                before_places, after_places = read_list(harvest), read_list(after)
                kept = wrong = 0
                for place, (original, translation) in before_places.items():
                    if not translation:
                        continue
                    now = after_places.get(place, (None,))[0]
                    if now == translation:
                        continue
                    if now == original:
                        kept += 1
                    else:
                        wrong += 1
                        if wrong <= 3:
                            failures.append(f"{half} {name}: {place}: {now!r}, wanted {translation!r}")
                if kept != refused:
                    failures.append(f"{half} {name}: {kept} texts kept their original, {refused} were refused")
                with open(program, "rb") as f:
                    data_in = f.read()
                with open(output, "rb") as f:
                    data_out = f.read()
                secs, resource_rva = sections(data_in)
                same = True
                for sname, rva, vsize, raw_offset, raw_size in secs:
                    if rva <= resource_rva < rva + max(vsize, raw_size):
                        continue
                    if data_in[raw_offset:raw_offset + raw_size] != data_out[raw_offset:raw_offset + raw_size]:
                        same = False
                        failures.append(f"{half} {name}: section {sname} differs")
                windres_ok = "-"
                if have_windres:
                    r = run([windres, "-i", output, "-o", os.path.join(tmp, "out.rc")])
                    windres_ok = "ok" if r.returncode == 0 else "FAILED"
                    if r.returncode != 0:
                        failures.append(f"{half} {name}: windres -i failed: {r.stderr.decode(errors='replace')[:300]}")
                rows.append((f"{name} ({half})", translated, untranslated, refused, widened, misfit,
                             len(data_in), len(data_out), "yes" if same else "NO", windres_ok))
    if tried == 0:
        print("none of Wine's programs is on this machine")
        return 77
    print("| program | translated | untranslated | refused | widened | not fitting | bytes in | bytes out "
          "| other sections identical | windres -i |")
    print("|---|---|---|---|---|---|---|---|---|---|")
    for row in rows:
        print("| " + " | ".join(str(c) for c in row) + " |")
    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
