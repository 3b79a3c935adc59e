#!/usr/bin/env python3
"""Draws the program's pictures: the tool-button glyph strips and the application icon.

Each glyph is 16 x 16 pixel art below. A strip holds two images side by side: the
glyph as drawn, then its disabled form (an embossed grey silhouette). The strip's
bottom-left pixel is the transparent colour, as the tool buttons expect.
Usage: make_images.py OUTPUT_DIR
"""
import os
import struct
import sys

PALETTE = {
    '.': (255, 0, 255),   # transparent
    'k': (0, 0, 0),
    'w': (255, 255, 255),
    'l': (192, 192, 192),
    'd': (128, 128, 128),
    'b': (0, 0, 160),
    'B': (64, 128, 255),
    'y': (255, 224, 64),
    'o': (200, 140, 0),
    'r': (192, 0, 0),
    'g': (0, 128, 0),
    'n': (128, 64, 0),
    'c': (0, 160, 160),
}

GLYPHS = {
    'new': """
................
...kkkkkkkk.....
...kwwwwwwkk....
...kwwwwwwkwk...
...kwwwwwwkkkk..
...kwwwwwwwwwk..
...kwwwwwwwwwk..
...kwwwwwwwwwk..
...kwwwwwwwwwk..
...kwwwwwwwwwk..
...kwwwwwwwwwk..
...kwwwwwwwwwk..
...kwwwwwwwwwk..
...kwwwwwwwwwk..
...kkkkkkkkkkk..
................""",
    'open': """
................
................
.........kkk....
........k...k.k.
.............kk.
.kkk........kkk.
kyoyykkkkkkk....
kowowowowok.....
kwowowowowk.....
kowowkkkkkkkkkk.
kwowkyyyyyyyyyk.
kowkyyyyyyyyyk..
kwkyyyyyyyyyk...
kkyyyyyyyyyk....
kkkkkkkkkkk.....
................""",
    'save': """
................
.kkkkkkkkkkkkkk.
.kbkwwwwwwwwkbk.
.kbkwwwwwwwwkbk.
.kbkwwwwwwwwkbk.
.kbkwwwwwwwwkbk.
.kbkwwwwwwwwkbk.
.kbbkkkkkkkkbbk.
.kbbbbbbbbbbbbk.
.kbbkkkkkkkkbbk.
.kbbkllkkllkbbk.
.kbbkllkkllkbbk.
.kbbkllkkllkbbk.
..kbkkkkkkkkbbk.
...kkkkkkkkkkkk.
................""",
    'cut': """
................
....k.....k.....
....k.....k.....
....k.....k.....
....kk...kk.....
.....k...k......
.....kk.kk......
......kkk.......
.......k........
......rkr.......
.....rr.rr......
..rrrr...rrrr...
.r...r...r...r..
.r...r...r...r..
.r...r...r...r..
..rrr.....rrr...""",
    'copy': """
................
kkkkkk..........
kwwwwkk.........
kwkkwkwk........
kwwwwkkkk.......
kwkkkkkkkkkk....
kwwwkwwwwwwkk...
kwkkkwkkkkwkwk..
kwwwkwwwwwwkkkk.
kwkkkwkkkkkkkwk.
kwwwkwwwwwwwwwk.
kkkkkwkkkkkkkwk.
.....wwwwwwwwwk.
.....wkkkkkkkwk.
.....wwwwwwwwwk.
.....kkkkkkkkkk.""",
    'paste': """
................
.....kkkk.......
.kkkkkllkkkkk...
.knnkwkkwknnk...
.knkkkkkkkknk...
.knnnnnnnnnnk...
.knnnnkkkkkkkkk.
.knnnnkwwwwwwkwk
.knnnnkwkkkkwkkk
.knnnnkwwwwwwwwk
.knnnnkwkkkkkkwk
.knnnnkwwwwwwwwk
.knnnnkwkkkkkkwk
.knnnnkwwwwwwwwk
..kkkkkkkkkkkkkk
................""",
    'find': """
................
....kkkkk.......
...kwwwwwk......
..kwwBBwwwk.....
..kwBwwwwwk.....
..kwBwwwwwk.....
..kwwwwwwwk.....
..kwwwwwwwk.....
...kwwwwwk......
....kkkkkkk.....
.........kkk....
..........kkk...
...........kkk..
............kkk.
.............kk.
................""",
    'replace': """
................
..kkkkk.........
..kwwwk.........
..kwbwk.........
..kwwwk.........
..kkkkk.....k...
............kk..
..gggggggggggkk.
............kk..
............k...
.........kkkkk..
.........kwwwk..
.........kwrwk..
.........kwwwk..
.........kkkkk..
................""",
    'generate': """
................
......kkkk......
...k.kyyyyk.k...
..kykyyyyyykyk..
...kyyykkyyyk...
...kyykllkyyk...
.kkyykllllkyykk.
.kyyykllllkyyyk.
.kyyykllllkyyyk.
.kkyykllllkyykk.
...kyykllkyyk...
...kyyykkyyyk...
..kykyyyyyykyk..
...k.kyyyyk.k...
......kkkk......
................""",
    'libman': """
................
.kkkkkkkkkk.....
.kgggggggggk....
.kgwwwwwwwgk....
.kgwkkkkwwgk..k.
.kgwwwwwwwgk.kok
.kgwkkkkkwgkkok.
.kgwwwwwwwgkok..
.kgwkkkkwwgok...
.kgwwwwwwwkk....
.kgwkkkkkwgk....
.kgwwwwwwwgk....
.kggggggggggk...
.kwwwwwwwwwwk...
..kkkkkkkkkkk...
................""",
    'adjlib': """
................
..kkkkkkkkkk....
..kccccccccck...
..kkkkkkkkkkk...
................
..kkkkkkkkkk..k.
..kgggggggggk.kk
..kkkkkkkkkkkkkk
..............kk
..kkkkkkkkkk..k.
..krrrrrrrrrk...
..kkkkkkkkkkk...
................
..kkkkkkkkkk....
..kbbbbbbbbbk...
..kkkkkkkkkkk...""",
    'icon': """
................
.kkkkkkkkkkkkkk.
.kbbbbbbbbbbbbk.
.kbwwwwwwwwwwbk.
.kbwkkwwkkkkwbk.
.kbwwwwwwwwwwbk.
.kbwkkwwkkkwwbk.
.kbwwwwwwwwwwbk.
.kbwkkwwkkkkwbk.
.kbwwwwwwwwwwbk.
.kbwkkwwkkwwwbk.
.kbwwwwwwwwwwbk.
.kbbbbbbbbbbbbk.
.kkkkkkkkkkkkkk.
...kkkkkkkkkk...
................""",
}

SIZE = 16


def parse(art):
    rows = [r for r in art.strip('\n').split('\n')]
    assert len(rows) == SIZE, len(rows)
    for r in rows:
        assert len(r) == SIZE, r
    return [[PALETTE[c] for c in r] for r in rows]


def disabled(pixels):
    """Embossed silhouette: every dark pixel becomes grey with a white shadow."""
    clear = PALETTE['.']
    out = [[clear] * SIZE for _ in range(SIZE)]
    dark = [[p != clear and sum(p) < 600 for p in row] for row in pixels]
    for y in range(SIZE):
        for x in range(SIZE):
            if dark[y][x] and y + 1 < SIZE and x + 1 < SIZE:
                out[y + 1][x + 1] = (255, 255, 255)
    for y in range(SIZE):
        for x in range(SIZE):
            if dark[y][x]:
                out[y][x] = (128, 128, 128)
    return out


def write_bmp(path, rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b'\0' * (stride - len(line))
        data += line
    header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    with open(path, 'wb') as f:
        f.write(header + info + data)


def icon_image(pixels, scale):
    size = SIZE * scale
    clear = PALETTE['.']
    xor = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        bits = [0] * (mask_stride * 8)
        for x in range(size):
            p = pixels[y // scale][x // scale]
            if p == clear:
                xor += bytes((0, 0, 0, 0))
                bits[x] = 1
            else:
                xor += bytes((p[2], p[1], p[0], 255))
        for i in range(mask_stride):
            byte = 0
            for bit in range(8):
                byte = (byte << 1) | bits[i * 8 + bit]
            mask.append(byte)
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return size, info + xor + mask


def write_ico(path, pixels):
    images = [icon_image(pixels, 2), icon_image(pixels, 1)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


def main():
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    for name, art in GLYPHS.items():
        pixels = parse(art)
        if name == 'icon':
            write_ico(os.path.join(outdir, 'velmora.ico'), pixels)
            continue
        off = disabled(pixels)
        strip = [pixels[y] + off[y] for y in range(SIZE)]
        write_bmp(os.path.join(outdir, name + '.bmp'), strip)


if __name__ == '__main__':
    main()
