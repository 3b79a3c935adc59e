#!/usr/bin/env python3
"""Every program of the Windows build that carries a manifest asks for the side-by-side
assemblies of its own architecture: x86 in a 32-bit program, amd64 in a 64-bit one. A
64-bit program whose manifest names x86 is handed the 32-bit Common Controls wherever the
32-bit side is installed, and the loader stops before main (c000007b).

    manifest_arch_test.py BUILD_DIR PROGRAM...

reads the RT_MANIFEST resource of every .exe under BUILD_DIR (the named PROGRAMs must have
one) and compares each processorArchitecture with the file's machine type. It first shows
that it catches the fault: a copy of the first PROGRAM with its manifest's architecture
swapped must fail."""
import os
import re
import struct
import sys

MACHINES = {0x014C: "x86", 0x8664: "amd64"}
RT_MANIFEST = 24


def sections(data, pe):
    count = struct.unpack_from("<H", data, pe + 6)[0]
    optional_size = struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional_size
    for i in range(count):
        at = table + 40 * i
        vsize, vaddr, rsize, raw = struct.unpack_from("<IIII", data, at + 8)
        yield vaddr, max(vsize, rsize), raw


def file_offset(data, pe, rva):
    for vaddr, size, raw in sections(data, pe):
        if vaddr <= rva < vaddr + size:
            return raw + rva - vaddr
    raise ValueError(f"address {rva:#x} lies in no section")


def manifests(data):
    """(machine, [manifest texts]) of a PE file; the resource tree is walked by hand."""
    if data[:2] != b"MZ":
        raise ValueError("not a PE file")
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError("not a PE file")
    machine = struct.unpack_from("<H", data, pe + 4)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", data, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    rva, size = struct.unpack_from("<II", data, directories + 8 * 2)
    if rva == 0 or size == 0:
        return machine, []
    root = file_offset(data, pe, rva)

    def entries(directory):
        named, ids = struct.unpack_from("<HH", data, directory + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, directory + 16 + 8 * i)
            yield name, target

    texts = []
    for name, target in entries(root):
        if name != RT_MANIFEST or not target & 0x80000000:
            continue
        for _, by_name in entries(root + (target & 0x7FFFFFFF)):
            for _, leaf in entries(root + (by_name & 0x7FFFFFFF)):
                data_rva, data_size = struct.unpack_from("<II", data, root + leaf)
                at = file_offset(data, pe, data_rva)
                texts.append(data[at:at + data_size].decode("utf-8", "replace"))
    return machine, texts


def problems(name, data):
    machine, texts = manifests(data)
    wanted = MACHINES.get(machine)
    if wanted is None:
        return [f"{name}: machine type {machine:#06x} is neither x86 nor x86-64"], 0
    found = []
    for text in texts:
        for arch in re.findall(r'processorArchitecture\s*=\s*"([^"]*)"', text):
            if arch not in (wanted, "*"):
                found.append(f"{name}: a {wanted} program whose manifest asks for processorArchitecture=\"{arch}\"")
    return found, len(texts)


def main():
    build, named = sys.argv[1], sys.argv[2:]
    # The check must see the fault it exists for.
    original = open(named[0], "rb").read()
    arch = MACHINES[manifests(original)[0]]
    other = "amd64" if arch == "x86" else "x86"
    swapped = original.replace(f'processorArchitecture="{arch}"'.encode(),
                               f'processorArchitecture="{other}"'.ljust(len(arch) + 24).encode())
    if swapped == original or not problems("swapped", swapped)[0]:
        print("the check does not catch a manifest of the wrong architecture")
        return 1

    failed, checked = [], 0
    for path in named:
        if not manifests(open(path, "rb").read())[1]:
            failed.append(f"{path}: has no manifest")
    for folder, _, files in os.walk(build):
        for file in sorted(files):
            if not file.lower().endswith(".exe"):
                continue
            path = os.path.join(folder, file)
            data = open(path, "rb").read()
            if data[:2] != b"MZ":
                continue
            found, count = problems(os.path.relpath(path, build), data)
            failed += found
            checked += 1 if count else 0
    for line in failed:
        print(line)
    print(f"{checked} programs with a manifest checked ({arch} build), {len(failed)} wrong")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
