#!/usr/bin/env python3
"""Writes Saffel.hlp, the editor's help file, from the topic sources in docs/help.

Usage: make_help.py SOURCE_DIR OUTPUT_FILE

The sources are UTF-8 text in a small subset of Markdown; the help file is a
Windows 3.1 help file whose texts are GBK (code page 936). Only what the help
needs is written: uncompressed topic blocks, no phrase table, paragraphs, bold
headings, example lines in a Latin fixed-pitch font, jumps between topics, the
topic titles and a keyword index. Nothing in the output depends on the time or
the machine, so the same sources always give the same bytes.

Topic source form:
    # Title {#context}          a topic starts; context: letters, digits, _ and .
    关键字：one；two             optional, right after the title: index keywords
    ## Heading                  a bold heading
    - item                      a list item
        example line            four blanks: an example, in the Latin font
    text with [a jump](#context) and **bold** words
Every other non-blank line is one paragraph. Topics follow the order in which the
first topic ("contents") and then each later topic first jump to them.
"""
import re
import struct
import sys
from pathlib import Path

TITLE = "词库生成系统 帮助"
CONTENTS = "contents"
CHARSET_GB2312 = 134

TOPIC_BLOCK = 4096            # uncompressed 3.1 file: 4 KB topic blocks
BLOCK_HEADER = 12
BLOCK_DATA = TOPIC_BLOCK - BLOCK_HEADER
LINK_HEADER = 21              # the fixed part of a topic link
TOPIC_HEADER_RECORD = 0x02
DISPLAY_RECORD = 0x20

# Fonts: (face index, half points, bold); faces: one Chinese, one Latin.
FACES = ["宋体", "Courier New"]
FONT_TEXT, FONT_BOLD, FONT_HEADING, FONT_TITLE, FONT_EXAMPLE = range(5)
FONTS = [(0, 20, False), (0, 20, True), (0, 22, True), (0, 28, True), (1, 20, False)]

# Context-name hash, as the viewer computes it to find a topic in |CONTEXT.
HASH_TABLE = bytes([
    0x00, 0xD1, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE, 0xDF,
    0xE0, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE, 0xEF,
    0xF0, 0x0B, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0x0C, 0xFF,
    0x0A, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
    0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0D,
    0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
    0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C, 0x2D, 0x2E, 0x2F,
    0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x5B, 0x5C, 0x5D, 0x5E, 0x5F,
    0x60, 0x61, 0x62, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x6B, 0x6C, 0x6D, 0x6E, 0x6F,
    0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F,
    0x80, 0x81, 0x82, 0x83, 0x0B, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F,
    0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0x9C, 0x9D, 0x9E, 0x9F,
    0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE, 0xAF,
    0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,
    0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB, 0xCC, 0xCD, 0xCE, 0xCF,
])
assert len(HASH_TABLE) == 256


def context_hash(name):
    if not name:
        return 1
    h = 0
    for c in name.encode("ascii"):
        h = (h * 43 + (HASH_TABLE[c] if HASH_TABLE[c] < 0x80 else HASH_TABLE[c] - 0x100)) & 0xFFFFFFFF
    return h - (1 << 32) if h & 0x80000000 else h


def gbk(text):
    try:
        return text.encode("gbk")
    except UnicodeEncodeError:
        raise SystemExit(f"text that GBK cannot hold: {text!r}")


# ---- compressed numbers of the paragraph records ------------------------------

def cushort(v):
    return struct.pack("<B", v * 2) if v < 0x80 else struct.pack("<H", v * 2 + 1)


def cshort(v):
    return struct.pack("<B", (v + 0x40) * 2) if -0x40 <= v < 0x40 else struct.pack("<H", (v + 0x4000) * 2 + 1)


def culong(v):
    return struct.pack("<H", v * 2) if v < 0x8000 else struct.pack("<L", v * 2 + 1)


# ---- sources -------------------------------------------------------------------

class Topic:
    def __init__(self, title, context, where):
        self.title, self.context, self.where = title, context, where
        self.keywords = []
        self.paragraphs = []   # (kind, text) with kind: text, heading, item, example
        self.offset = None     # TOPICOFFSET of its header, once laid out


HEADING_RE = re.compile(r"^# (.+?) \{#([A-Za-z0-9_.]+)\}\s*$")
KEYWORDS_RE = re.compile(r"^关键字[：:](.*)$")
INLINE_RE = re.compile(r"\[([^\]]+)\]\(#([A-Za-z0-9_.]+)\)|\*\*(.+?)\*\*")


def read_sources(folder):
    topics = []
    for path in sorted(Path(folder).glob("*.md")):
        topic = None
        try:
            text = path.read_text(encoding="utf-8")
        except UnicodeDecodeError as e:
            raise SystemExit(f"{path.name}: not UTF-8 ({e.reason} at byte {e.start})")
        for number, line in enumerate(text.splitlines(), 1):
            where = f"{path.name}:{number}"
            m = HEADING_RE.match(line)
            if m:
                topic = Topic(m.group(1), m.group(2), where)
                topics.append(topic)
                continue
            if topic is None:
                if line.strip():
                    raise SystemExit(f"{where}: text before the first topic")
                continue
            m = KEYWORDS_RE.match(line)
            if m and not topic.paragraphs:
                topic.keywords += [k.strip() for k in re.split("[；;]", m.group(1)) if k.strip()]
            elif line.startswith("    ") and line.strip():
                topic.paragraphs.append(("example", line[4:].rstrip()))
            elif line.startswith("## "):
                topic.paragraphs.append(("heading", line[3:].strip()))
            elif line.startswith("- "):
                topic.paragraphs.append(("item", line[2:].strip()))
            elif line.strip():
                topic.paragraphs.append(("text", line.strip()))
    return order_topics(topics)


def order_topics(topics):
    by_context = {}
    for t in topics:
        if t.context.lower() in by_context:
            raise SystemExit(f"{t.where}: context {t.context} is used twice")
        by_context[t.context.lower()] = t
    for t in topics:
        for kind, text in t.paragraphs:
            for m in INLINE_RE.finditer(text):
                if m.group(2) and m.group(2).lower() not in by_context:
                    raise SystemExit(f"{t.where}: jump to unknown topic #{m.group(2)}")
    if CONTENTS not in by_context:
        raise SystemExit(f"no topic {{#{CONTENTS}}}")
    ordered, seen = [], set()

    def visit(t):
        if t.context.lower() in seen:
            return
        seen.add(t.context.lower())
        ordered.append(t)
    # Breadth first from the contents: the contents, what it names, what those name...
    visit(by_context[CONTENTS])
    i = 0
    while i < len(ordered):
        for kind, text in ordered[i].paragraphs:
            for m in INLINE_RE.finditer(text):
                if m.group(2):
                    visit(by_context[m.group(2).lower()])
        i += 1
    for t in topics:
        if t.context.lower() not in seen:
            raise SystemExit(f"{t.where}: no jump leads to topic #{t.context}")
    return ordered


# ---- topic records -------------------------------------------------------------

def paragraph_record(kind, text, lines=None):
    """LinkData1 (formatting) and LinkData2 (text) of one paragraph record."""
    commands, strings = [], []

    def emit(string, command):
        strings.append(gbk(string) + b"\0")
        commands.append(command)

    font = {"heading": FONT_HEADING, "title": FONT_TITLE, "example": FONT_EXAMPLE}.get(kind, FONT_TEXT)
    pending = ""
    emit("", b"\x80" + struct.pack("<h", font))
    if kind == "example":
        for i, line in enumerate(lines):
            if i:
                emit(pending, b"\x81")
            pending = line
    else:
        if kind == "item":
            text = "· " + text
        at = 0
        for m in INLINE_RE.finditer(text):
            pending += text[at:m.start()]
            if m.group(2):
                emit(pending, b"\xE3" + struct.pack("<l", context_hash(m.group(2))))
                emit(m.group(1), b"\x89")
            else:
                emit(pending, b"\x80" + struct.pack("<h", FONT_BOLD))
                emit(m.group(3), b"\x80" + struct.pack("<h", font))
            pending = ""
            at = m.end()
        pending += text[at:]
    emit(pending, b"\x82")
    emit("", b"\xFF")
    data2 = b"".join(strings)

    bits, extra = 0x0004, cshort(4 if kind in ("title", "heading") else 2)   # space below
    if kind in ("title", "heading"):
        bits |= 0x0002
        extra = cshort(6) + extra                                               # space above
    if kind in ("example", "item"):
        bits |= 0x0010
        extra += cshort(20)                                                     # left indent
    data1 = (culong(len(data2)) + cushort(len(data2)) + bytes([0, 0x80]) + struct.pack("<HH", 0, bits) +
             extra + b"".join(commands))
    return data1, data2


def topic_paragraphs(topic):
    """The paragraph records of a topic: its title as a heading, then its body,
    consecutive example lines joined into one paragraph with line breaks."""
    records = [paragraph_record("title", topic.title)]
    examples = []
    for kind, text in topic.paragraphs + [("end", "")]:
        if kind == "example":
            examples.append(text)
            continue
        if examples:
            records.append(paragraph_record("example", "", examples))
            examples = []
        if kind != "end":
            records.append(paragraph_record(kind, text))
    return records


def build_topic_stream(topics):
    """Lays the topic links out in the uncompressed topic stream and returns the
    |TOPIC file. A TOPICPOS is 12 plus the link's place in the stream of block
    contents; a TOPICOFFSET is the block number times 0x8000 plus the characters
    of the display records that start in that block before the position."""
    links = []   # [record type, data1, data2, topic or None]
    for t in topics:
        links.append([TOPIC_HEADER_RECORD, None, gbk(t.title) + b"\0", t])
        for data1, data2 in topic_paragraphs(t):
            links.append([DISPLAY_RECORD, data1, data2, None])
    links.append([TOPIC_HEADER_RECORD, None, b"", None])   # the end: a link without data

    header_size = 28
    sizes = [LINK_HEADER + (header_size if d1 is None else len(d1)) + len(d2) for _, d1, d2, _ in links]
    starts, at = [], 0
    for s in sizes:
        starts.append(at)
        at += s
    stream_size = at

    def pos(i):
        return BLOCK_HEADER + starts[i] if i < len(links) else -1

    # Topic offsets: characters count per block, from the first link that starts in it.
    chars_in_block, block = 0, -1
    for i, (kind, d1, d2, topic) in enumerate(links):
        b = starts[i] // BLOCK_DATA
        if b != block:
            block, chars_in_block = b, 0
        if kind == TOPIC_HEADER_RECORD and topic is not None:
            topic.offset = block * 0x8000 + chars_in_block
        if kind == DISPLAY_RECORD:
            chars_in_block += len(d2)

    headers = [i for i, l in enumerate(links) if l[0] == TOPIC_HEADER_RECORD]
    out = bytearray()
    for i, (kind, d1, d2, topic) in enumerate(links):
        if kind == TOPIC_HEADER_RECORD:
            later = [h for h in headers if h > i]
            nxt = later[0] if later else len(links)
            size = sum(sizes[i:nxt])
            d1 = struct.pack("<lllllll", size, -1, -1, headers.index(i), -1,
                             pos(i + 1) if i + 1 < nxt else -1, pos(later[0]) if later else -1)
        data1_len = LINK_HEADER + len(d1)
        out += struct.pack("<lllllB", sizes[i], len(d2), pos(i - 1) if i else -1,
                           pos(i + 1), data1_len, kind) + d1 + d2
    assert len(out) == stream_size

    blocks = bytearray()
    count = (stream_size + BLOCK_DATA - 1) // BLOCK_DATA
    for b in range(count):
        begin, end = b * BLOCK_DATA, (b + 1) * BLOCK_DATA
        first = next((i for i in range(len(links)) if begin <= starts[i] < end), None)
        last_before = max((i for i in range(len(links)) if starts[i] < begin), default=None)
        last_header = max((i for i in headers if starts[i] < end), default=None)
        blocks += struct.pack("<lll", pos(last_before) if last_before is not None else -1,
                              pos(first) if first is not None else -1,
                              pos(last_header) if last_header is not None else -1)
        chunk = out[begin:end]
        blocks += chunk + b"\0" * (BLOCK_DATA - len(chunk))
    return bytes(blocks)


# ---- B+ trees --------------------------------------------------------------------

def btree(structure, entries, page_size=2048, directory=False):
    """A B+ tree over `entries`: (key bytes, leaf entry bytes), already in order.
    Index pages hold the key bytes of each child's first entry. Returns the tree
    and, for each leaf page, its page number and the number of entries before it."""
    def pages_of(items, header_size, size_of):
        pages, current, used = [], [], header_size
        for item in items:
            if current and used + size_of(item) > page_size:
                pages.append(current)
                current, used = [], header_size
            current.append(item)
            used += size_of(item)
        pages.append(current)
        return pages

    def padded(page):
        return page + b"\0" * (page_size - len(page))

    leaves = pages_of(entries, 8, lambda e: len(e[1]))
    page_bytes, leaf_map, before = [], [], 0
    for n, leaf in enumerate(leaves):
        body = b"".join(e[1] for e in leaf)
        page_bytes.append(padded(struct.pack("<Hhhh", page_size - 8 - len(body), len(leaf), n - 1 if n else -1,
                                             n + 1 if n + 1 < len(leaves) else -1) + body))
        leaf_map.append((n, before))
        before += len(leaf)
    level, levels = [(leaf[0][0] if leaf else b"", n) for n, leaf in enumerate(leaves)], 1
    while len(level) > 1:
        levels += 1
        next_level = []
        # The first child of an index page is its "previous page"; every other child
        # is named by its first key.
        for group in pages_of(level, 6, lambda e: len(e[0]) + 2):
            body = b"".join(k + struct.pack("<h", p) for k, p in group[1:])
            next_level.append((group[0][0], len(page_bytes)))
            page_bytes.append(padded(struct.pack("<Hhh", page_size - 6 - len(body), len(group) - 1, group[0][1]) + body))
        level = next_level
    head = struct.pack("<HHH16shhhhhhl", 0x293B, 0x0402 if directory else 0x0002, page_size,
                       structure.encode("ascii"), 0, 0, level[0][1], -1, len(page_bytes), levels, len(entries))
    return head + b"".join(page_bytes), leaf_map


# ---- internal files ----------------------------------------------------------------

def system_file(contents_offset):
    records = [(1, gbk(TITLE) + b"\0"),
               (3, struct.pack("<l", contents_offset)),
               (11, struct.pack("<H", CHARSET_GB2312))]
    head = struct.pack("<HHHlH", 0x036C, 21, 1, 0, 0)   # 3.1, no date, not compressed
    return head + b"".join(struct.pack("<HH", t, len(d)) + d for t, d in records)


def font_file():
    face_len = 32
    faces = b"".join(gbk(f).ljust(face_len, b"\0") for f in FACES)
    descriptors = b"".join(struct.pack("<BBBH3s3s", 1 if bold else 0, half_points, 3 if face == 1 else 2,
                                       face, b"\0\0\0", b"\xff\xff\xff")
                           for face, half_points, bold in FONTS)
    head_size = 8
    return struct.pack("<HHHH", len(FACES), len(FONTS), head_size, head_size + len(faces)) + faces + descriptors


def keyword_files(topics):
    """|KWBTREE (keyword, count, place in |KWDATA), |KWDATA (topic offsets) and
    |KWMAP (the number of the first keyword of each leaf page)."""
    index = {}
    for t in topics:
        for k in t.keywords:
            index.setdefault(gbk(k), []).append(t.offset)
    data, entries = b"", []
    for k in sorted(index):
        offsets = sorted(set(index[k]))
        entries.append((k + b"\0", k + b"\0" + struct.pack("<hl", len(offsets), len(data))))
        data += b"".join(struct.pack("<l", o) for o in offsets)
    tree, leaf_map = btree("F24", entries)
    kwmap = b"".join(struct.pack("<lH", before, page) for page, before in leaf_map)
    return tree, data, kwmap


def help_file(topics):
    topic_file = build_topic_stream(topics)
    contexts = sorted(((context_hash(t.context), t.offset) for t in topics), key=lambda e: e[0])
    context_file, _ = btree("L4", [(struct.pack("<l", h), struct.pack("<ll", h, o)) for h, o in contexts])
    titles, _ = btree("Lz", [(struct.pack("<l", t.offset), struct.pack("<l", t.offset) + gbk(t.title) + b"\0")
                          for t in sorted(topics, key=lambda t: t.offset)])
    kwbtree, kwdata, kwmap = keyword_files(topics)
    files = {
        "|CONTEXT": context_file,
        "|FONT": font_file(),
        "|KWBTREE": kwbtree,
        "|KWDATA": kwdata,
        "|KWMAP": kwmap,
        "|SYSTEM": system_file(topics[0].offset),
        "|TOPIC": topic_file,
        "|TTLBTREE": titles,
    }
    out = bytearray(16)
    offsets = {}
    for name in sorted(files):
        offsets[name] = len(out)
        content = files[name]
        out += struct.pack("<llB", len(content) + 9, len(content), 4) + content
    directory, _ = btree("z4", [(n.encode("ascii"), n.encode("ascii") + b"\0" + struct.pack("<l", offsets[n]))
                             for n in sorted(files)], page_size=1024, directory=True)
    directory_at = len(out)
    out += struct.pack("<llB", len(directory) + 9, len(directory), 4) + directory
    struct.pack_into("<llll", out, 0, 0x00035F3F, directory_at, -1, len(out))
    return bytes(out)


def main():
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    topics = read_sources(sys.argv[1])
    data = help_file(topics)
    Path(sys.argv[2]).write_bytes(data)


if __name__ == "__main__":
    main()
