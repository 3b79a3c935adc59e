#!/usr/bin/env python3
"""Draws KORVEX.EXE's icon, a bound word list, with the main program's icon writer.
Usage: make_icon.py OUTPUT.ico
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'app', 'resources'))
import make_images  # noqa: E402

ICON = """
................
..kkkkkkkkkkkk..
..kgggggggggggk.
..kgwwwwwwwwwgk.
..kgwrrwwkkkwgk.
..kgwwwwwwwwwgk.
..kgwrrwwkkwwgk.
..kgwwwwwwwwwgk.
..kgwrrwwkkkwgk.
..kgwwwwwwwwwgk.
..kgwrrwwkkwwgk.
..kgwwwwwwwwwgk.
..kgggggggggggk.
..kyyyyyyyyyyyk.
..kkkkkkkkkkkkk.
................"""

if __name__ == '__main__':
    make_images.write_ico(sys.argv[1], make_images.parse(ICON))
